// Text handling shared by the lyrics formats: CR LF lines, decoding bytes
// read from files and encoding text for writing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace cx {

// Lines split at CR LF only; a lone LF stays inside its line. "a\r\n" gives
// {"a", ""}.
std::vector<std::string_view> SplitCrLf(std::string_view text);

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
