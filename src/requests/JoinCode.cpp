#include "requests/JoinCode.h"

#include <random>

#include "requests/GuestLimits.h"

namespace cx {

std::string MakeJoinCode() {
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, kJoinCodeAlphabet.size() - 1);
    std::string code;
    for (std::size_t i = 0; i < kJoinCodeLength; ++i) code += kJoinCodeAlphabet[pick(source)];
    return code;
}

bool SameCodeConstantTime(std::string_view a, std::string_view b) {
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i)
        difference |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
    return difference == 0 && !a.empty();
}

std::string NormalizeJoinCode(std::string_view typed) {
    std::string code;
    for (const char c : typed.substr(0, 4 * kJoinCodeLength)) {
        if (c == ' ' || c == '-') continue;
        code += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return code;
}

}  // namespace cx
