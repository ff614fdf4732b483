// Loading a song for the karaoke display outside the player: its lyrics and
// its own look, found the way the player finds them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "karaoke/KaraokeSettings.h"
#include "lyrics/LyricsModel.h"

namespace cx {

struct KaraokeSong {
    LyricsModel Model;
    SongLook Look;
    std::string Source;  // where the lyrics came from
};

// A loader for song kinds the karaoke library does not read itself (MIDI):
// nullopt when the file is not of its kind, else whether it loaded.
using SongLyricsLoader = std::function<std::optional<bool>(const std::string& path,
                                                           LyricsModel& model, std::string& error)>;

// Bytes of a media file are read up to this size; larger files are refused.
inline constexpr std::uintmax_t kMaxSongFileBytes = 1u << 30;

// Loads MEDIA (or the media file a lyrics file belongs to). False with a reason
// when the file cannot be read or holds no lyrics anywhere.
bool LoadKaraokeSong(const std::string& path, const KaraokeSettings& settings,
                     const SongLyricsLoader& other, KaraokeSong& song, std::string& error);

}  // namespace cx
