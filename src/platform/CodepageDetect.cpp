#include "platform/CodepageDetect.h"

#include <uchardet/uchardet.h>

#include <array>
#include <memory>

namespace cx {
namespace {

constexpr std::array<Codepage, 3> kCandidates = {Codepage::Cp1250, Codepage::Cp1252,
                                                 Codepage::Iso8859_2};

// What the detector names, as one of our code pages. Latin-1 text reads the
// same in 1252, which only adds letters in the range Latin-1 leaves to controls.
std::optional<Codepage> DetectorAnswer(std::string_view bytes) {
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> ud(uchardet_new(),
                                                                   &uchardet_delete);
    if (!ud || uchardet_handle_data(ud.get(), bytes.data(), bytes.size()) != 0) return {};
    uchardet_data_end(ud.get());
    const std::string_view name = uchardet_get_charset(ud.get());
    if (name == "WINDOWS-1250") return Codepage::Cp1250;
    if (name == "ISO-8859-2") return Codepage::Iso8859_2;
    if (name == "WINDOWS-1252" || name == "ISO-8859-1" || name == "ISO-8859-15")
        return Codepage::Cp1252;
    return {};
}

// How one decoded character speaks for its code page: letters for it,
// controls and signs that lyrics hardly use (a Polish letter read in the
// wrong code page often turns into one) against it.
int Plausibility(char32_t c) {
    if (c < 0xA0) return c >= 0x80 ? -2 : 0;
    if (c >= 0xC0 && c <= 0x24F) return (c == 0xD7 || c == 0xF7) ? -1 : 1;
    switch (c) {
        case 0xA1:  // inverted marks stand at the start of Spanish lines
        case 0xBF:
        case 0xA0:
        case 0xA7:
        case 0xA9:
        case 0xAB:
        case 0xAD:
        case 0xB0:
        case 0xBB:
            return 0;
        default:
            break;
    }
    if (c < 0xC0 || (c >= 0x2C0 && c <= 0x2DF)) return -1;  // ¦ ¬ ± ¶ £ ˇ ˘ ˝ ...
    return 0;                                               // quotes, dashes and the euro sign
}

// How well a code page reads the text: characters against it first (fewer
// is better), then letters.
struct Reading {
    int against = 0;
    int letters = 0;
    bool operator==(const Reading&) const = default;
    bool BetterThan(const Reading& o) const {
        return against != o.against ? against < o.against : letters > o.letters;
    }
};

Reading Read(std::string_view bytes, Codepage cp) {
    Reading r;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) continue;
        const int p = Plausibility(CodepageChar(b, cp));
        if (p < 0) r.against -= p;
        if (p > 0) r.letters += p;
    }
    return r;
}

bool HasBom(std::string_view bytes) {
    return bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
}

}  // namespace

Codepage DetectCodepage(std::string_view bytes, Codepage fallback) {
    if (!HasNonAscii(bytes)) return fallback;
    std::array<Reading, kCandidates.size()> readings{};
    Reading best;
    for (std::size_t i = 0; i < kCandidates.size(); ++i) {
        readings[i] = Read(bytes, kCandidates[i]);
        if (i == 0 || readings[i].BetterThan(best)) best = readings[i];
    }
    const auto readingOf = [&](Codepage cp) { return readings[static_cast<std::size_t>(cp)]; };
    // The detector knows languages; it is trusted unless its code page turns
    // some of the text into signs that another code page reads as letters.
    if (const auto answer = DetectorAnswer(bytes);
        answer && (readingOf(*answer).against == 0 || readingOf(*answer) == best))
        return *answer;
    if (readingOf(fallback) == best) return fallback;
    for (Codepage cp : kCandidates)
        if (readingOf(cp) == best) return cp;
    return fallback;
}

std::optional<Codepage> CodepageOfText(std::string_view bytes, CodepageChoice choice) {
    if (HasBom(bytes) || !HasNonAscii(bytes) || IsValidUtf8(bytes)) return std::nullopt;
    return choice.fixed ? choice.codepage : DetectCodepage(bytes, choice.codepage);
}

std::string DecodeText(std::string_view bytes, CodepageChoice choice) {
    if (HasBom(bytes)) return std::string(bytes.substr(3));
    const auto cp = CodepageOfText(bytes, choice);
    return cp ? DecodeCodepage(bytes, *cp) : std::string(bytes);
}

}  // namespace cx
