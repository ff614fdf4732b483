#include "app/SettingText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace cx {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int64_t> RoundedInRange(std::string_view text, double low, double high) {
    const auto number = LeadingNumber(text);
    if (!number) return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (!(rounded >= low && rounded <= high)) return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    double value = 0;
    const auto result = std::from_chars(text.data() + start, text.data() + i, value);
    if (result.ec == std::errc::result_out_of_range) {
        // A negative exponent underflows to 0; a positive one has no usable value.
        const std::string_view token = text.substr(start, i - start);
        const size_t e = token.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-') return 0.0;
        return std::nullopt;
    }
    if (result.ec != std::errc()) return 0.0;
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<bool> ReadBoolText(std::string_view text) {
    const auto number = LeadingNumber(text);
    if (!number) return true;  // a huge number is still not 0
    return *number != 0;
}

std::optional<std::int16_t> ReadInt16Text(std::string_view text) {
    const auto v = RoundedInRange(text, std::numeric_limits<std::int16_t>::min(),
                                  std::numeric_limits<std::int16_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

std::optional<std::int32_t> ReadInt32Text(std::string_view text) {
    const auto v = RoundedInRange(text, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::uint32_t> ReadColourText(std::string_view text) {
    const auto v = RoundedInRange(text, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::uint32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::uint32_t>(*v);
}

std::optional<double> ReadFloatText(std::string_view text) {
    std::string dotted(text);
    for (char& c : dotted) {
        if (c == ',') c = '.';
    }
    return LeadingNumber(dotted);
}

std::string BoolText(bool value) {
    return value ? "1" : "0";
}

std::string FloatText(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

}  // namespace cx
