// The label rules for titles: a text that is too wide loses characters from
// its end and gets "..." until it fits, or, when the user wants it, scrolls.
#pragma once

#include <functional>
#include <string>

namespace cx {

// `width` measures a UTF-8 text; characters are removed whole, never split.
std::string FitText(const std::string& text, int maxWidth,
                    const std::function<int(const std::string&)>& width);

// Gap between the end of a scrolling title and its start coming round again.
inline constexpr const char* kScrollGap = "     ";

// Step `step` of a scrolling title: the text and the gap, turned left by
// `step` whole UTF-8 characters (counted round the loop), followed by the
// text again so that the label never shows an empty end.
std::string ScrolledText(const std::string& text, std::size_t step);

}  // namespace cx
