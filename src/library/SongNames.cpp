#include "library/SongNames.h"

#include <algorithm>
#include <vector>

namespace cx {
namespace {

// Base letters of U+00C0..U+00FF and U+0100..U+017F; a space for signs.
constexpr std::string_view kLatin1Fold =
    "aaaaaaaceeeeiiiidnooooo ouuuuytsaaaaaaaceeeeiiiidnooooo ouuuuyty";
constexpr std::string_view kLatinAFold =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllll"
    "lllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
// More words than this in one search are not looked for.
constexpr std::size_t kMaxQueryWords = 8;
constexpr std::string_view kSeparator = " - ";

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitParts(std::string_view stem) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = stem.find(kSeparator, start);
        parts.push_back(Trim(stem.substr(start, at == std::string_view::npos ? at : at - start)));
        if (at == std::string_view::npos) break;
        start = at + kSeparator.size();
    }
    std::erase_if(parts, [](const std::string& p) { return p.empty(); });
    return parts;
}

std::string JoinFrom(const std::vector<std::string>& parts, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (!out.empty()) out += kSeparator;
        out += parts[i];
    }
    return out;
}

// A disc id is one run of letters, digits and dashes with at least one digit.
bool LooksLikeDiscId(const std::string& part) {
    return part.find(' ') == std::string::npos &&
           std::any_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsAsciiWordChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

NameParts PartsFromName(std::string_view stem, NamePattern pattern) {
    std::string name(stem);
    // Names written with underscores for spaces ("Artist_-_Title").
    if (name.find(' ') == std::string::npos) std::replace(name.begin(), name.end(), '_', ' ');
    const std::vector<std::string> parts = SplitParts(name);
    NameParts out;
    if (parts.empty()) return out;
    if (parts.size() == 1) {
        out.Title = parts[0];
        return out;
    }
    if (pattern == NamePattern::Auto)
        pattern = parts.size() >= 3 && LooksLikeDiscId(parts[0]) ? NamePattern::DiscArtistTitle
                                                                 : NamePattern::ArtistTitle;
    if (pattern == NamePattern::DiscArtistTitle && parts.size() >= 3) {
        out.DiscId = parts[0];
        out.Artist = parts[1];
        out.Title = JoinFrom(parts, 2);
    } else if (pattern == NamePattern::TitleArtist) {
        out.Title = parts[0];
        out.Artist = JoinFrom(parts, 1);
    } else {
        out.Artist = parts[0];
        out.Title = JoinFrom(parts, 1);
    }
    return out;
}

std::string FoldForCompare(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto put = [&out](char c) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) return;
        out += c;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            put(IsAsciiWordChar(c) ? static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c) : ' ');
            continue;
        }
        if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            const unsigned code =
                ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            if (code >= 0xC0 && code < 0x100) {
                put(kLatin1Fold[code - 0xC0]);
                ++i;
                continue;
            }
            if (code >= 0x100 && code < 0x180) {
                put(kLatinAFold[code - 0x100]);
                ++i;
                continue;
            }
        }
        out += static_cast<char>(c);
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string PrefixQuery(std::string_view typed) {
    std::string query;
    std::size_t words = 0;
    std::size_t i = 0;
    while (i < typed.size() && words < kMaxQueryWords) {
        // Words are runs of letters and digits; any byte of a multi-byte
        // letter belongs to a word, and the index splits what it must.
        while (i < typed.size() && static_cast<unsigned char>(typed[i]) < 0x80 &&
               !IsAsciiWordChar(static_cast<unsigned char>(typed[i])))
            ++i;
        const std::size_t start = i;
        while (i < typed.size() && (static_cast<unsigned char>(typed[i]) >= 0x80 ||
                                    IsAsciiWordChar(static_cast<unsigned char>(typed[i]))))
            ++i;
        if (i == start) break;
        if (!query.empty()) query += ' ';
        query += '"';
        query.append(typed.substr(start, i - start));
        query += "\"*";
        ++words;
    }
    return query;
}

}  // namespace cx
