// Text handling shared by the lyrics formats: splitting lines, decoding bytes
// read from files and encoding text for writing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"
#include "platform/CodepageDetect.h"

namespace cx {

// Lines split at CR LF, at a lone LF and at a lone CR, so files from any
// system read alike; writers still end lines with CR LF. "a\r\n" gives
// {"a", ""}, "a\n\nb" gives {"a", "", "b"}.
std::vector<std::string_view> SplitLines(std::string_view text);

// Where the first line end at or after `from` starts and how long it is
// (2 for CR LF, else 1); npos when there is none.
struct LineEnd {
    std::size_t at = std::string_view::npos;
    std::size_t length = 0;
};
LineEnd FindLineEnd(std::string_view text, std::size_t from = 0);

// Splits at every occurrence of one character, keeping empty parts.
std::vector<std::string_view> SplitAt(std::string_view text, char sep);

struct EncodedText {
    std::string bytes;
    std::string warning;  // set when the code page could not hold the text
};

// The code page when every character fits; otherwise UTF-8 (with a BOM when
// `bomAllowed`, i.e. for whole files) and a warning.
EncodedText EncodeLyricsText(std::string_view utf8, Codepage cp, bool bomAllowed);

// Last occurrence of `needle` in `hay`, or npos.
inline std::size_t FindLast(std::string_view hay, std::string_view needle) {
    return hay.rfind(needle);
}

// Lower-case ASCII copy.
std::string AsciiLower(std::string_view s);

}  // namespace cx
