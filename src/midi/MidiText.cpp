#include "midi/MidiText.h"

#include <vector>

namespace cx {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Decodes valid UTF-8 (callers only pass UTF-8 produced by our decoders).
std::vector<char32_t> CodePoints(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0   ? c
                      : extra == 1 ? (c & 0x1F)
                      : extra == 2 ? (c & 0x0F)
                                   : (c & 0x07);
        ++i;
        for (; extra > 0 && i < s.size(); --extra, ++i) cp = (cp << 6) | (s[i] & 0x3F);
        out.push_back(cp);
    }
    return out;
}

// Case pairs of Latin-1 and Latin Extended-A, enough for the 1250/1252 letters.
char32_t ChangeCase(char32_t c, bool upper) {
    if (c < 0x80) {
        if (upper && c >= 'a' && c <= 'z') return c - 32;
        if (!upper && c >= 'A' && c <= 'Z') return c + 32;
        return c;
    }
    if (c >= 0xC0 && c <= 0xFE && c != 0xD7 && c != 0xF7) {
        if (upper && c >= 0xE0 && c != 0xFF) return c - 32;
        if (!upper && c < 0xDF) return c + 32;
        return c;
    }
    const bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (evenUpper || oddUpper) {
        const bool isUpper = ((c & 1u) == 0) == evenUpper;
        if (upper && !isUpper) return evenUpper ? c - 1 : c - 1;
        if (!upper && isUpper) return c + 1;
    }
    return c;
}

}  // namespace

std::string DecodeMidiText(std::string_view bytes, Codepage fallback) {
    return DecodeTextFile(bytes, fallback);
}

std::string ProperCase(std::string_view utf8) {
    std::string out;
    bool wordStart = true;
    for (char32_t cp : CodePoints(utf8)) {
        const bool blank = cp == ' ' || cp == '\t';
        AppendUtf8(out, blank ? cp : ChangeCase(cp, wordStart));
        wordStart = blank;
    }
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace cx
