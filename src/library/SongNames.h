// Artist and title from a song's file name, and the texts search and the
// grouping of versions compare.
#pragma once

#include <string>
#include <string_view>

namespace cx {

enum class NamePattern : int {
    Auto = 0,             // "DISC-ID - Artist - Title" when the first part looks like a disc id,
                          // else "Artist - Title"
    ArtistTitle = 1,      // "Artist - Title"
    DiscArtistTitle = 2,  // "DISC-ID - Artist - Title"
    TitleArtist = 3,      // "Title - Artist"
};
inline constexpr int kNamePatternCount = 4;

struct NameParts {
    std::string Artist;
    std::string Title;
    std::string DiscId;
};

// Reads a file's base name (no folder, no extension) by the pattern.
NameParts PartsFromName(std::string_view stem, NamePattern pattern);

// Lower case, Latin accents taken off, punctuation and runs of spaces made
// one space: two versions of a song have the same key.
std::string FoldForCompare(std::string_view text);

// The full-text query for what the user typed: every word must start a word
// of the song. Empty when nothing searchable was typed.
std::string PrefixQuery(std::string_view typed);

}  // namespace cx
