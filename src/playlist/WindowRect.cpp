#include "playlist/WindowRect.h"

#include <charconv>

namespace cx {

std::optional<std::vector<int>> ParseNumberList(std::string_view text, std::size_t maxFields) {
    std::vector<int> out;
    while (true) {
        const auto comma = text.find(',');
        std::string_view field = text.substr(0, comma);
        while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
        while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
        // Positions were once stored with decimals; the whole part is enough.
        const auto dot = field.find('.');
        if (dot != std::string_view::npos) field = field.substr(0, dot);
        int value = 0;
        const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || ec != std::errc() || ptr != field.data() + field.size()) {
            return std::nullopt;
        }
        out.push_back(value);
        if (out.size() > maxFields) return std::nullopt;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

std::optional<WindowRect> ParseWindowRect(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto n = ParseNumberList(text, 4);
    if (!n || n->size() != 4 || (*n)[2] <= 0 || (*n)[3] <= 0) return std::nullopt;
    return WindowRect{(*n)[0], (*n)[1], (*n)[2], (*n)[3]};
}

std::string FormatWindowRect(const WindowRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) +
           "," + std::to_string(r.height);
}

}  // namespace cx
