// Files that belong together by base name (song.mp3, song.lrc, song.kok).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// Lyrics files beside a song are small; anything larger is not ours.
inline constexpr std::size_t kMaxLyricsFileBytes = 16u * 1024u * 1024u;

// The file beside `path` with the same base name and extension `ext`
// (without the dot). An exact name wins; otherwise the extension and base
// name are compared without regard to case, as on the systems the files
// come from. nullopt when there is none.
std::optional<std::filesystem::path> FindSiblingFile(const std::filesystem::path& path,
                                                     std::string_view ext);

// FindSiblingFile for the many files of a folder scan: each folder is listed
// once, not once per file that has no exact-case sibling. It answers as the
// folders stood when first listed, so it lives for one scan only.
class SiblingFinder {
public:
    std::optional<std::filesystem::path> Find(const std::filesystem::path& path,
                                              std::string_view ext);

private:
    // Lower-case file name to the entry's path, regular files only.
    using Listing = std::unordered_map<std::string, std::filesystem::path>;
    const Listing& ListingOf(const std::filesystem::path& dir);

    std::unordered_map<std::string, Listing> m_folders;
};

// Reads a lyrics text file as UTF-8 (code page, or UTF-8 when it is UTF-8).
struct TextFileRead {
    bool ok = false;
    std::string text;
    std::string error;
};
TextFileRead ReadLyricsTextFile(const std::filesystem::path& path, CodepageChoice cp);

// Writes UTF-8 text as a lyrics file in the code page (UTF-8 with a BOM and a
// warning when the code page cannot hold it), through a temporary file.
LyricsResult WriteLyricsTextFile(const std::filesystem::path& path, std::string_view utf8,
                                 Codepage cp);

}  // namespace cx
