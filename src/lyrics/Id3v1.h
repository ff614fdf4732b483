// The 128-byte ID3v1 (v1.1) tag and the ID3v1 genre table.
#pragma once

#include <string>
#include <string_view>

namespace cx {

inline constexpr int kGenreCount = 126;

// Fields as raw 8-bit text with the blank padding removed (CutSp).
struct Id3v1Values {
    std::string Title, Artist, Album, Year, Comment;
    int Track = 0;    // 0: none
    int Genre = 255;  // 255: none
};

// Parses a 128-byte tag starting "TAG"; false otherwise.
bool ParseId3v1(std::string_view tag, Id3v1Values& out);

// Builds a 128-byte tag; fields are cut to their widths, and the comment to
// 28 bytes when a track number is stored.
std::string BuildId3v1(const Id3v1Values& values);

// "Blues" (0) to "Dance Hall" (125); empty for any other number.
std::string GenreName(int number);

// The number of a genre name (case-insensitive), or 255.
int GenreNumber(std::string_view name);

// The text without trailing blanks (and NULs, which pad some writers' tags).
std::string CutSp(std::string_view text);

}  // namespace cx
