// Telling which code page 8-bit text is in, so that lyrics and tags written
// on another system's code page read right under any interface language.
#pragma once

#include <string>
#include <string_view>

#include "platform/Codepage.h"

namespace cx {

// The code page of 8-bit text: the detector's answer unless it reads some of
// the text's high bytes as controls or odd signs that another code page reads
// better; when unsure, `fallback` if it reads the text as well as any, else
// the code page that reads it best. Text without high bytes gives `fallback`.
Codepage DetectCodepage(std::string_view bytes, Codepage fallback);

// UTF-8 of text read from a file or a tag: UTF-8 as it is (a BOM dropped);
// other text in the chosen code page, or in the detected one when the choice
// is not fixed.
std::string DecodeText(std::string_view bytes, CodepageChoice choice);

// The code page `DecodeText` reads non-UTF-8 bytes in; nullopt when the
// bytes are UTF-8 or plain ASCII.
std::optional<Codepage> CodepageOfText(std::string_view bytes, CodepageChoice choice);

}  // namespace cx
