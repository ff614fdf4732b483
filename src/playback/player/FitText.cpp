#include "playback/player/FitText.h"

#include <vector>

namespace cx {
namespace {

bool Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string FitText(const std::string& text, int maxWidth,
                    const std::function<int(const std::string&)>& width) {
    if (width(text) <= maxWidth) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one UTF-8 character: its continuation bytes and its lead byte.
        while (!cut.empty() && Continuation(cut.back())) {
            cut.pop_back();
        }
        if (!cut.empty()) cut.pop_back();
        if (width(cut + "...") <= maxWidth) return cut + "...";
    }
    return "...";
}

std::string ScrolledText(const std::string& text, std::size_t step) {
    if (text.empty()) return text;
    const std::string loop = text + kScrollGap;
    std::vector<std::size_t> starts;  // where each character begins
    for (std::size_t i = 0; i < loop.size(); ++i)
        if (!Continuation(loop[i])) starts.push_back(i);
    const std::size_t at = starts[step % starts.size()];
    return loop.substr(at) + loop.substr(0, at) + text;
}

}  // namespace cx
