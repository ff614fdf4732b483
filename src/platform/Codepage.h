// Single-byte Windows code pages used by lyrics, playlists, language files and
// MIDI texts, and the UTF-8 detection that lets readers accept modern files.
#pragma once

#include <string>
#include <string_view>

namespace cx {

enum class Codepage { Cp1250, Cp1252 };

// The code page our 8-bit text files use: 1250 with the Polish language, 1252 otherwise.
Codepage CodepageForLanguage(std::string_view languageValue);

// Converts 8-bit text in the given code page to UTF-8.
std::string DecodeCodepage(std::string_view bytes, Codepage cp);

// Converts UTF-8 to 8-bit text; characters the code page lacks become '?'.
std::string EncodeCodepage(std::string_view utf8, Codepage cp);

bool IsValidUtf8(std::string_view bytes);
bool HasNonAscii(std::string_view bytes);

// Text read from a file: UTF-8 when it has a BOM (dropped) or is valid UTF-8
// holding non-ASCII bytes; otherwise the given code page. Always returns UTF-8.
std::string DecodeTextFile(std::string_view bytes, Codepage fallback);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace cx
