#include "lyrics/TimeText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cx {
namespace {

// Longest digit run we convert; more digits than this are no time anyway.
constexpr std::size_t kMaxNumberChars = 64;

std::string TwoDigits(long long v) {
    std::string s = std::to_string(v);
    return v < 10 ? "0" + s : s;
}

double Sanitize(double t) {
    return std::isfinite(t) ? t : 0.0;
}

}  // namespace

std::string FormatMinSec(double seconds) {
    const double t = std::max(0.0, Sanitize(seconds));
    const long long whole = static_cast<long long>(std::min(t, 1e15));
    const long long m = whole / 60;
    return TwoDigits(m) + ":" + TwoDigits(whole - 60 * m);
}

std::string FormatTime(double seconds, bool secondsOnly) {
    double t = Sanitize(seconds);
    const bool negative = t < 0;
    t = std::round(std::min(std::fabs(t), 1e12) * 1000.0) / 1000.0;
    const double whole = std::trunc(t);
    long long ms = std::llround((t - whole) * 1000.0);
    if (ms > 999) ms = 999;
    const long long m = static_cast<long long>(std::floor(t / 60.0));
    std::string text = (m <= 0 ? std::string("00") : TwoDigits(m)) + ":";
    const long long s =
        secondsOnly ? static_cast<long long>(whole) : static_cast<long long>(whole) - 60 * m;
    text += TwoDigits(s);
    if (secondsOnly) text = text.substr(text.size() - 2);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03lld", ms);
    text += ",";
    text += buf;
    if (negative && t != 0) text = "- " + text;
    if (secondsOnly && text.size() >= 6 && text.compare(text.size() - 6, 6, "00,000") == 0)
        text = "00,000";
    return text;
}

double ParseLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i - start > kMaxNumberChars) return 0.0;
    const std::string number(text.substr(start, i - start));
    const double v = std::strtod(number.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

double ParseEditorTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    const double minutes = ParseLeadingNumber(text.substr(0, 2));
    const double secs = text.size() > 3 ? ParseLeadingNumber(text.substr(3, 2)) : 0.0;
    std::size_t sep = text.rfind(',');
    if (sep == std::string_view::npos) sep = text.rfind('.');
    // Without a separator there is no fraction (not the whole text).
    const std::string_view fraction =
        sep == std::string_view::npos ? std::string_view() : text.substr(sep + 1);
    std::string composed = std::to_string(static_cast<long long>(minutes * 60 + secs));
    std::string digits;
    for (char c : fraction) {
        if (c < '0' || c > '9' || digits.size() >= 9) break;
        digits += c;
    }
    if (!digits.empty()) composed += "." + digits;
    const double v = ParseLeadingNumber(composed);
    return negative ? -v : v;
}

std::string FormatShortestDecimal(double value, int decimals) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, Sanitize(value));
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

}  // namespace cx
