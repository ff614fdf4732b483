// Single-byte Windows code pages used by lyrics, playlists, language files and
// MIDI texts, and the UTF-8 detection that lets readers accept modern files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cx {

enum class Codepage { Cp1250, Cp1252, Iso8859_2 };

// The code page our 8-bit text files use: 1250 with the Polish language, 1252 otherwise.
Codepage CodepageForLanguage(std::string_view languageValue);

// The Windows number of a code page (1250, 1252, 28592) and back; nullopt for
// a number we do not read.
int CodepageNumber(Codepage cp);
std::optional<Codepage> CodepageFromNumber(int number);

// How one text of 8-bit bytes is read: its code page detected, with `codepage`
// deciding when detection is unsure (the interface language's), or `codepage`
// fixed by the user for the song. UTF-8 is recognised either way.
struct CodepageChoice {
    Codepage codepage = Codepage::Cp1252;
    bool fixed = false;

    CodepageChoice() = default;
    // Implicit: a bare code page is the tie-breaker of detection.
    CodepageChoice(Codepage fallback) : codepage(fallback) {}  // NOLINT
    static CodepageChoice Fixed(Codepage cp) {
        CodepageChoice c(cp);
        c.fixed = true;
        return c;
    }
};

// The character one byte stands for in a code page.
char32_t CodepageChar(unsigned char byte, Codepage cp);

// Converts 8-bit text in the given code page to UTF-8.
std::string DecodeCodepage(std::string_view bytes, Codepage cp);

// Converts UTF-8 to 8-bit text; characters the code page lacks become '?'.
std::string EncodeCodepage(std::string_view utf8, Codepage cp);

bool IsValidUtf8(std::string_view bytes);
// Decodes the UTF-8 sequence at s[i] into `out`; its length, 0 when invalid.
size_t DecodeUtf8At(std::string_view s, size_t i, char32_t& out);
bool HasNonAscii(std::string_view bytes);

// Text read from a file: UTF-8 when it has a BOM (dropped) or is valid UTF-8
// holding non-ASCII bytes; otherwise the given code page. Always returns UTF-8.
std::string DecodeTextFile(std::string_view bytes, Codepage fallback);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace cx
