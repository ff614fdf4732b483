// The label rule for titles: a text that is too wide loses characters from
// its end and gets "..." until it fits.
#pragma once

#include <functional>
#include <string>

namespace cx {

// `width` measures a UTF-8 text; characters are removed whole, never split.
std::string FitText(const std::string& text, int maxWidth,
                    const std::function<int(const std::string&)>& width);

}  // namespace cx
