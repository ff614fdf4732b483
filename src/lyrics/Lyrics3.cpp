#include "lyrics/Lyrics3.h"

#include <cstdio>

namespace cx {
namespace {

constexpr std::string_view kBegin = "LYRICSBEGIN";
constexpr std::string_view kEnd200 = "LYRICS200";
constexpr std::string_view kEndV1 = "LYRICSEND";
constexpr std::size_t kSizeDigits = 6;
constexpr std::size_t kFieldHeader = 8;  // three letters, five digits

bool ParseDigits(std::string_view s, std::size_t& out) {
    if (s.empty()) return false;
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

void StoreField(std::string_view id, std::string_view data, Lyrics3Block& b) {
    std::string* target = nullptr;
    if (id == "LYR")
        target = &b.Lyrics;
    else if (id == "IND")
        target = &b.Indications;
    else if (id == "INF")
        target = &b.Info;
    else if (id == "AUT")
        target = &b.Author;
    else if (id == "EAL")
        target = &b.Album;
    else if (id == "EAR")
        target = &b.Artist;
    else if (id == "ETT")
        target = &b.Title;
    else if (id == "IMG")
        target = &b.Picture;
    if (target) *target = std::string(data);
}

// v2.00: "LYRICSBEGIN" fields, six size digits, "LYRICS200".
bool ReadV2(std::string_view body, Lyrics3Block& b) {
    if (body.size() < kEnd200.size() + kSizeDigits + kBegin.size()) return false;
    if (body.substr(body.size() - kEnd200.size()) != kEnd200) return false;
    const std::size_t sizePos = body.size() - kEnd200.size() - kSizeDigits;
    std::size_t size = 0;
    if (!ParseDigits(body.substr(sizePos, kSizeDigits), size) || size > sizePos) return false;
    const std::size_t start = sizePos - size;
    if (body.substr(start, kBegin.size()) != kBegin) return false;
    b.Exists = true;
    b.Version = 2;
    b.Offset = start;
    b.Size = body.size() - start;
    std::size_t pos = start + kBegin.size();
    while (pos + kFieldHeader <= sizePos) {
        std::size_t len = 0;
        if (!ParseDigits(body.substr(pos + 3, 5), len)) break;
        if (len > sizePos - pos - kFieldHeader) break;
        StoreField(body.substr(pos, 3), body.substr(pos + kFieldHeader, len), b);
        pos += kFieldHeader + len;
    }
    return true;
}

// v1: "LYRICSBEGIN" text "LYRICSEND", the text at most 5100 bytes.
bool ReadV1(std::string_view body, Lyrics3Block& b) {
    if (body.size() < kEndV1.size() + kBegin.size()) return false;
    if (body.substr(body.size() - kEndV1.size()) != kEndV1) return false;
    const std::size_t textEnd = body.size() - kEndV1.size();
    const std::size_t from = textEnd > kLyrics3v1MaxText + kBegin.size()
                                 ? textEnd - kLyrics3v1MaxText - kBegin.size()
                                 : 0;
    const std::size_t start = body.substr(0, textEnd).rfind(kBegin);
    if (start == std::string_view::npos || start < from) return false;
    b.Exists = true;
    b.Version = 1;
    b.Offset = start;
    b.Size = body.size() - start;
    b.Lyrics = std::string(body.substr(start + kBegin.size(), textEnd - start - kBegin.size()));
    return true;
}

std::string Field(std::string_view id, std::string_view data) {
    char size[8];
    std::snprintf(size, sizeof size, "%05zu", data.size());
    return std::string(id) + size + std::string(data);
}

}  // namespace

bool HasId3v1(std::string_view file) {
    return file.size() >= kId3v1Size && file.substr(file.size() - kId3v1Size, 3) == "TAG";
}

long long FindAppendedId3v2(std::string_view tail, std::uint64_t fileSize) {
    if (tail.size() > fileSize) return -1;
    for (std::size_t back : {std::size_t{10}, kId3v1Size + 10}) {
        if (tail.size() < back) continue;
        const std::string_view footer = tail.substr(tail.size() - back, 10);
        if (footer.substr(0, 3) != "3DI") continue;
        std::uint64_t tagSize = 0;
        for (int i = 6; i < 10; ++i) tagSize = (tagSize << 7) | (footer[i] & 0x7F);
        const std::uint64_t total = tagSize + 20;  // header, body and footer
        if (total + back - 10 > fileSize) return -1;
        return static_cast<long long>(fileSize - (back - 10) - total);
    }
    return -1;
}

Id3v1Split SplitId3v1(std::string_view file) {
    if (!HasId3v1(file)) return {file, {}};
    return {file.substr(0, file.size() - kId3v1Size), file.substr(file.size() - kId3v1Size)};
}

Lyrics3Block ReadLyrics3(std::string_view file) {
    Lyrics3Block b;
    const std::string_view body = SplitId3v1(file).body;
    if (!ReadV2(body, b)) {
        b = Lyrics3Block{};
        if (!ReadV1(body, b)) b = Lyrics3Block{};
    }
    return b;
}

std::string BuildLyrics3Block(const Lyrics3Fields& f, std::string& error) {
    const bool timed = f.Lyrics.find("[0") != std::string::npos;
    std::string fields =
        Field("IND", std::string(f.Lyrics.empty() ? "0" : "1") + (timed ? "1" : "0") + "0");
    const std::pair<std::string_view, const std::string*> items[] = {
        {"LYR", &f.Lyrics}, {"AUT", &f.Author}, {"EAR", &f.Artist},
        {"ETT", &f.Title},  {"EAL", &f.Album},  {"IMG", &f.Picture},
    };
    for (const auto& [id, value] : items) {
        if (value->empty()) continue;
        if (value->size() > kLyrics3MaxField) {
            error = "the Lyrics3 field " + std::string(id) + " is longer than 99999 bytes";
            return {};
        }
        fields += Field(id, *value);
    }
    std::string block = std::string(kBegin) + fields;
    if (block.size() > kLyrics3MaxBlock) {
        error = "the Lyrics3 block is longer than 999999 bytes";
        return {};
    }
    char size[16];
    std::snprintf(size, sizeof size, "%06zu", block.size());
    return block + size + std::string(kEnd200);
}

std::string ReplaceLyrics3(std::string_view file, std::string_view block) {
    const Id3v1Split split = SplitId3v1(file);
    const Lyrics3Block old = ReadLyrics3(file);
    const std::string_view audio = old.Exists ? split.body.substr(0, old.Offset) : split.body;
    std::string out;
    out.reserve(audio.size() + block.size() + split.tag.size());
    out.append(audio).append(block).append(split.tag);
    return out;
}

}  // namespace cx
