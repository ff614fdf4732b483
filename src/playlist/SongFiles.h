// Which files the playlist takes, and the song a lyrics or graphics file belongs to.
#pragma once

#include <string>

namespace cx {

// True for songs, zipped songs, and lyrics and CD+G files that name a song
// (by extension, any case), and for sing-along song files (.txt read as one).
bool IsAcceptedSongFile(const std::string& path);

// True for a file that is itself the song it names: an audio or MIDI file, or
// a .zip. Decided by the name alone, without reading the folder or the file.
bool IsSongMediaFile(const std::string& path);

// The media file for a path: a song or a .zip is itself; a .lrs, .lrc, .kok or .cdg file
// maps to the song of the same name beside it, a sing-along song file to the
// audio it names. Empty when there is none.
std::string MediaFileFor(const std::string& path);

}  // namespace cx
