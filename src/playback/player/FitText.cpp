#include "playback/player/FitText.h"

namespace cx {

std::string FitText(const std::string& text, int maxWidth,
                    const std::function<int(const std::string&)>& width) {
    if (width(text) <= maxWidth) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one UTF-8 character: its continuation bytes and its lead byte.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) {
            cut.pop_back();
        }
        if (!cut.empty()) cut.pop_back();
        if (width(cut + "...") <= maxWidth) return cut + "...";
    }
    return "...";
}

}  // namespace cx
