// Which files the playlist takes, and the song a lyrics or graphics file belongs to.
#pragma once

#include <string>

namespace cx {

// True for songs, zipped songs, and lyrics and CD+G files that name a song
// (by extension, any case).
bool IsAcceptedSongFile(const std::string& path);

// The media file for a path: a song or a .zip is itself; a .lrs, .lrc, .kok or .cdg file
// maps to the song of the same name beside it. Empty when there is none.
std::string MediaFileFor(const std::string& path);

}  // namespace cx
