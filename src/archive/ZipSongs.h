// Zipped songs of this process: each archive is unpacked once into the
// process's private temporary folder and stands there for the archive. The
// unpacked files are read-only to our writers (platform/ReadOnlyFolders.h).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace cx {

// Unpacked archives kept at a time; the oldest is removed when one more is
// unpacked (a playing song keeps its open file on Linux).
inline constexpr std::size_t kMaxUnpackedZipSongs = 4;

// True when the path names a zip archive (by extension, any case).
bool IsZipPath(const std::string& path);

// The unpacked song of a zip archive (reused while the archive is unchanged);
// empty with `error` set when the archive holds no song or cannot be read.
std::string OpenZipSong(const std::string& zipPath, std::string& error);

}  // namespace cx
