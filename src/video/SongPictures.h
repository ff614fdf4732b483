// The pictures of a song over time as the player shows them: the CD+G
// screen, or the karaoke window's lyric area. Each source says when its
// picture did not change, so that unchanged frames cost nothing.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>

#include "cdg/CdgPlayer.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"

namespace cx {

class SongPictures {
public:
    virtual ~SongPictures() = default;
    // The picture at `songSeconds` of the song, `videoMs` into the video
    // (times only grow); nullptr when it is the one returned last. The
    // picture stays valid until the next call.
    virtual const QImage* At(double songSeconds, std::int64_t videoMs) = 0;
};

// The CD+G screen after every packet due by the time, scaled into `size`
// with its aspect kept (sharply, or smoothly with `smooth`), as the CD+G
// window and `cbx cdg --at` draw it. `player` holds a loaded song.
std::unique_ptr<SongPictures> MakeCdgPictures(std::unique_ptr<CdgPlayer> player, QSize size,
                                              bool smooth);

// The karaoke display of a full screen of `size`, ticked every 10 ms as the
// player ticks it, so transitions and timers run as in the window. `song`
// must outlive the pictures.
std::unique_ptr<SongPictures> MakeKaraokePictures(KaraokeSong& song,
                                                  const KaraokeSettings& settings, QSize size);

}  // namespace cx
