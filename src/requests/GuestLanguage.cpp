#include "requests/GuestLanguage.h"

#include <algorithm>
#include <charconv>

namespace cx {

namespace {

// Language ranges read from one header at most.
constexpr std::size_t kMaxLanguageRanges = 32;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string PrimaryTag(std::string_view range) {
    std::string tag;
    for (const char c : range.substr(0, range.find_first_of("-_"))) {
        if (tag.size() >= 8) break;
        tag += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return tag;
}

// "q=0.8" in thousandths; 1000 when absent, -1 when malformed.
int Quality(std::string_view parameters) {
    parameters = Trim(parameters);
    if (parameters.empty()) return 1000;
    if (parameters.size() < 3 || (parameters[0] != 'q' && parameters[0] != 'Q') ||
        parameters[1] != '=')
        return -1;
    double q = 0;
    const std::string_view number = parameters.substr(2);
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), q);
    if (error != std::errc() || end != number.data() + number.size() || q < 0 || q > 1) return -1;
    return static_cast<int>(q * 1000 + 0.5);
}

bool Has(const std::vector<std::string>& available, std::string_view tag) {
    return std::find(available.begin(), available.end(), tag) != available.end();
}

}  // namespace

std::string ChooseGuestLanguage(std::string_view requested, std::string_view acceptLanguage,
                                const std::vector<std::string>& available,
                                std::string_view player) {
    const std::string wanted = PrimaryTag(requested);
    if (Has(available, wanted)) return wanted;
    std::string best;
    int bestQuality = 0;
    for (std::size_t n = 0; !acceptLanguage.empty() && n < kMaxLanguageRanges; ++n) {
        const std::size_t comma = acceptLanguage.find(',');
        const std::string_view item = acceptLanguage.substr(0, comma);
        acceptLanguage =
            comma == std::string_view::npos ? std::string_view() : acceptLanguage.substr(comma + 1);
        const std::size_t semicolon = item.find(';');
        const std::string tag = PrimaryTag(Trim(item.substr(0, semicolon)));
        const int quality =
            semicolon == std::string_view::npos ? 1000 : Quality(item.substr(semicolon + 1));
        if (quality > bestQuality && Has(available, tag)) {
            best = tag;
            bestQuality = quality;
        }
    }
    if (!best.empty()) return best;
    if (Has(available, player)) return std::string(player);
    return available.empty() ? std::string(player) : available.front();
}

}  // namespace cx
