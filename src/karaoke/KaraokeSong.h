// Loading a song for the karaoke display outside the player: its lyrics and
// its own look, found the way the player finds them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "karaoke/KaraokeSettings.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

struct KaraokeSong {
    std::string MediaPath;  // the media file, after a lyrics file was mapped to it
    LyricsModel Model;
    SongLook Look;
    std::string Source;  // where the lyrics came from
};

// The display block as the karaoke display takes it: the schedule in time order.
SongLook SongLookFrom(const DisplayBlock& block);

// A loader for song kinds the karaoke library does not read itself (MIDI):
// nullopt when the file is not of its kind, else whether it loaded.
using SongLyricsLoader = std::function<std::optional<bool>(const std::string& path,
                                                           LyricsModel& model, std::string& error)>;

// Bytes of a media file are read up to this size; larger files are refused.
inline constexpr std::uintmax_t kMaxSongFileBytes = 1u << 30;

// Loads MEDIA (or the media file a lyrics file belongs to): its display block,
// tags and lyrics, from the sources the player tries. 8-bit text is read in
// `codepage` (the one the language implies) unless it is UTF-8. False with a
// reason when the file cannot be read or holds no lyrics anywhere.
bool LoadKaraokeSong(const std::string& path, const KaraokeSettings& settings, Codepage codepage,
                     const SongLyricsLoader& other, KaraokeSong& song, std::string& error);

}  // namespace cx
