// Our own reader and writer of the Lyrics3 block (v2.00, and v1 for reading)
// that MP3 files may carry just before their ID3v1 tag, and of the 128-byte
// ID3v1 tag at the very end of the file. Bytes in, bytes out; field texts
// are raw 8-bit text for the caller to decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cx {

inline constexpr std::size_t kId3v1Size = 128;
inline constexpr std::size_t kLyrics3MaxField = 99999;   // five size digits
inline constexpr std::size_t kLyrics3MaxBlock = 999999;  // six size digits
inline constexpr std::size_t kLyrics3v1MaxText = 5100;

// True when the file ends with an ID3v1 tag ("TAG" 128 bytes from the end).
bool HasId3v1(std::string_view file);

// The file without its ID3v1 tag, and the tag (empty when there is none).
struct Id3v1Split {
    std::string_view body;
    std::string_view tag;
};
Id3v1Split SplitId3v1(std::string_view file);

// Where an ID3v2 tag appended at the end of the file starts (found by its
// "3DI" footer, at the very end or right before an ID3v1 tag), or -1.
// `tail` is the file's last bytes (kId3v1Size + 10 reach both places);
// `fileSize` is the whole file's size.
long long FindAppendedId3v2(std::string_view tail, std::uint64_t fileSize);

struct Lyrics3Block {
    bool Exists = false;
    int Version = 0;          // 2 for v2.00, 1 for the old form
    std::size_t Offset = 0;   // where "LYRICSBEGIN" starts
    std::size_t Size = 0;     // bytes from "LYRICSBEGIN" through the end marker
    std::string Lyrics;       // LYR (v2) or the whole text (v1)
    std::string Indications;  // IND
    std::string Info;         // INF
    std::string Author;       // AUT
    std::string Album;        // EAL
    std::string Artist;       // EAR
    std::string Title;        // ETT
    std::string Picture;      // IMG
};

// Finds the block that ends right before the ID3v1 tag (or the end of the file).
Lyrics3Block ReadLyrics3(std::string_view file);

struct Lyrics3Fields {
    std::string Author, Artist, Title, Album, Picture, Lyrics;  // 8-bit text
};

// The v2.00 block bytes; empty with `error` set when a field is too long.
std::string BuildLyrics3Block(const Lyrics3Fields& fields, std::string& error);

// The file with any existing Lyrics3 block replaced by `block` (placed before
// the ID3v1 tag, which is kept). An empty `block` just removes the old one.
std::string ReplaceLyrics3(std::string_view file, std::string_view block);

}  // namespace cx
