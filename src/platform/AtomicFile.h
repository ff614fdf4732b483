// Whole-file reads and crash-safe rewrites of the user's files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cx {

// Refuses files above this size so that a wrong path cannot exhaust memory.
inline constexpr std::size_t kMaxReadFileBytes = 1024u * 1024u * 1024u;

struct ReadResult {
    std::optional<std::string> bytes;  // empty on failure
    std::string error;                 // why, when bytes is empty
};

ReadResult ReadWholeFile(const std::filesystem::path& path,
                         std::size_t maxBytes = kMaxReadFileBytes);
// The last `maxBytes` of a file (all of it when smaller); `wholeFile` says which.
ReadResult ReadFileTail(const std::filesystem::path& path, std::size_t maxBytes,
                        bool* wholeFile = nullptr);

// Writes bytes to a temporary file in the same folder, flushes it and renames
// it over the target, so the target is either the old or the new content.
// Keeps the target's permission bits. Returns an empty string on success.
// Refuses files of a song unpacked from a zip archive (ReadOnlyFolders.h).
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace cx
