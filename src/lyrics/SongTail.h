// The blocks stored inside a song (LRS lyrics, the display block, Lyrics3
// and ID3v1) sit at its end: reading megabytes of audio to find them made
// every song change wait for the disk.
#pragma once

#include <filesystem>

#include "platform/AtomicFile.h"

namespace cx {

// Larger than any block the writers append (a Lyrics3 block is under 1 MB).
inline constexpr std::size_t kSongTailBytes = 2u * 1024u * 1024u;

// The song's last kSongTailBytes, or all of it when a block ends there but
// starts before them.
ReadResult ReadSongTail(const std::filesystem::path& path);

}  // namespace cx
