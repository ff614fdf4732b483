// Text of MIDI meta events: code page or UTF-8 decoding and proper case.
#pragma once

#include <string>
#include <string_view>

#include "platform/Codepage.h"

namespace cx {

// UTF-8 text of one event: UTF-8 when the bytes are valid UTF-8, else the code page.
std::string DecodeMidiText(std::string_view bytes, Codepage fallback);

// First letter of each blank-separated word upper case, the rest lower case
// (Latin letters, including those of code pages 1250 and 1252).
std::string ProperCase(std::string_view utf8);

// Without leading and trailing blanks (spaces, tabs, CR, LF).
std::string_view TrimBlanks(std::string_view s);

}  // namespace cx
