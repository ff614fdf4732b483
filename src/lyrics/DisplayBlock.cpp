#include "lyrics/DisplayBlock.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>

#include "lyrics/LyricsText.h"
#include "lyrics/TimeText.h"

namespace cx {
namespace {

enum class Item {
    Artist,
    Title,
    Picture,
    Fore,
    Highlight,
    O1,
    O2,
    O3,
    O4,
    Align,
    Layout,
    Back,
    Codepage,
    Image
};

struct Key {
    std::string_view name;
    Item item;
};

// Tried in this order; the order is also the order of writing.
constexpr Key kKeys[] = {
    {"ARTIST", Item::Artist},
    {"TITLE", Item::Title},
    {"PICTURE", Item::Picture},
    {"FORE COLOR", Item::Fore},
    {"HIGHLIGHT COLOR", Item::Highlight},
    {"OUTLINE COLOR 1", Item::O1},
    {"OUTLINE COLOR 2", Item::O2},
    {"OUTLINE COLOR 3", Item::O3},
    {"OUTLINE COLOR 4", Item::O4},
    {"ALIGNMENT", Item::Align},
    {"LAYOUT", Item::Layout},
    {"BACK COLOR", Item::Back},
    // Newer than the other items: readers that do not know it skip the line.
    {"CODEPAGE", Item::Codepage},
    {"IMAGE", Item::Image},
};

// The numeric value rounded into [lo, hi]; `fallback` when it does not fit.
int RoundedInRange(std::string_view text, long long lo, long long hi, int fallback) {
    const double v = std::nearbyint(ParseLeadingNumber(text));
    if (v < static_cast<double>(lo) || v > static_cast<double>(hi)) return fallback;
    return static_cast<int>(v);
}

int Color(std::string_view v) {
    return RoundedInRange(v, INT_MIN, INT_MAX, kColorUnset);
}

// 16-bit settings: -1 and 65535 both mean "use the setting".
int Setting16(std::string_view v) {
    const int n = RoundedInRange(v, -32768, 65535, kSettingUnset);
    return n == -1 ? kSettingUnset : n;
}

void AddImage(std::string_view value, const std::string& folder, DisplayBlock& b) {
    const auto parts = SplitAt(value, '%');
    PictureEntry e;
    e.Path = ResolvePicturePath(parts[0], folder);
    if (parts.size() > 1) e.Time = RoundedInRange(parts[1], INT_MIN, INT_MAX, 0);
    if (parts.size() > 2) e.Effect = std::string(parts[2]);
    if (parts.size() > 3) e.Speed = RoundedInRange(parts[3], -32768, 32767, 0);
    if (parts.size() > 4) e.EffectDetail = std::string(parts[4]);
    b.Images.push_back(std::move(e));
}

void Apply(Item item, std::string_view v, const std::string& folder, DisplayBlock& b) {
    switch (item) {
        case Item::Artist:
            b.Artist = std::string(v);
            break;
        case Item::Title:
            b.Title = std::string(v);
            break;
        case Item::Picture:
            b.Picture = ResolvePicturePath(v, folder);
            break;
        case Item::Fore:
            b.ForeColor = Color(v);
            break;
        case Item::Highlight:
            b.HighlightColor = Color(v);
            break;
        case Item::O1:
            b.OutlineColor1 = Color(v);
            break;
        case Item::O2:
            b.OutlineColor2 = Color(v);
            break;
        case Item::O3:
            b.OutlineColor3 = Color(v);
            break;
        case Item::O4:
            b.OutlineColor4 = Color(v);
            break;
        case Item::Align:
            b.Alignment = Setting16(v);
            break;
        case Item::Layout:
            b.Layout = Setting16(v);
            break;
        case Item::Back:
            b.BackColor = Color(v);
            break;
        case Item::Codepage: {
            const int number = RoundedInRange(v, 0, 65535, 0);
            b.Codepage = CodepageFromNumber(number) ? number : 0;  // unknown: told from the text
            break;
        }
        case Item::Image:
            AddImage(v, folder, b);
            break;
    }
}

// Line ends inside a value would split the item.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

}  // namespace

void ResetDisplayBlock(DisplayBlock& block) {
    block = DisplayBlock{};
}

std::string ResolvePicturePath(std::string_view value, const std::string& folder) {
    if (value.empty()) return {};
    if (value.front() == '/' || value.find(':') != std::string_view::npos)
        return std::string(value);
    std::string relative(value);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (folder.empty()) return relative;
    return (std::filesystem::path(folder) / relative).string();
}

void ParseDisplayBlock(std::string_view text, const std::string& folder, DisplayBlock& block) {
    ResetDisplayBlock(block);
    const auto lines = SplitLines(text);
    const std::size_t last = std::min<std::size_t>(lines.size() - 1, kMaxDisplayBlockLines);
    for (std::size_t i = 1; i <= last; ++i) {
        const std::string_view line = lines[i];
        for (const Key& k : kKeys) {
            // The first character (normally "#") and the "=" are not checked.
            if (line.size() < k.name.size() + 2 || line.substr(1, k.name.size()) != k.name)
                continue;
            Apply(k.item, line.substr(k.name.size() + 2), folder, block);
            break;
        }
    }
    BuildSchedule(block);
}

namespace {

// The last end marker that closes a line (CR LF, LF or CR after it), or npos.
std::size_t FindDisplayEnd(std::string_view bytes) {
    std::size_t from = bytes.size();
    while (from > 0) {
        const std::size_t q = bytes.rfind(kDisplayEnd, from - 1);
        if (q == std::string_view::npos) break;
        const std::size_t after = q + kDisplayEnd.size();
        if (after < bytes.size() && (bytes[after] == '\r' || bytes[after] == '\n')) return q;
        from = q;
    }
    return std::string_view::npos;
}

}  // namespace

bool ReadDisplayBlock(std::string_view bytes, const std::string& folder, CodepageChoice cp,
                      DisplayBlock& block) {
    ResetDisplayBlock(block);
    const std::size_t p = bytes.rfind(kDisplayBegin);
    if (p == std::string_view::npos) return false;
    const std::size_t q = FindDisplayEnd(bytes);
    if (q == std::string_view::npos || q < p) return false;
    const std::string_view raw = bytes.substr(p, q + kDisplayEnd.size() - p);
    // The choice is plain ASCII: read it first, it says how to read the rest.
    ParseDisplayBlock(raw, folder, block);
    if (const auto chosen = CodepageFromNumber(block.Codepage)) cp = CodepageChoice::Fixed(*chosen);
    ParseDisplayBlock(DecodeText(raw, cp), folder, block);
    return true;
}

void BuildSchedule(DisplayBlock& block) {
    block.Schedule.assign(1, ScheduleEntry{});
    for (std::size_t i = 1; i < block.Images.size(); ++i) {
        const int t = block.Images[i].Time;
        block.Schedule.push_back({t < 1 ? 0 : t, static_cast<int>(i)});
    }
    std::stable_sort(
        block.Schedule.begin() + 1, block.Schedule.end(),
        [](const ScheduleEntry& a, const ScheduleEntry& b) { return a.Time < b.Time; });
}

std::string BuildDisplayBlockText(const DisplayBlock& b) {
    std::string out = std::string(kDisplayBegin) + "\r\n";
    auto text = [&](std::string_view key, const std::string& v) {
        if (!v.empty()) out += "#" + std::string(key) + "=" + OneLine(v) + "\r\n";
    };
    auto number = [&](std::string_view key, int v, int unset) {
        if (v != unset) out += "#" + std::string(key) + "=" + std::to_string(v) + "\r\n";
    };
    text("ARTIST", b.Artist);
    text("TITLE", b.Title);
    text("PICTURE", b.Picture);
    number("FORE COLOR", b.ForeColor, kColorUnset);
    number("HIGHLIGHT COLOR", b.HighlightColor, kColorUnset);
    number("OUTLINE COLOR 1", b.OutlineColor1, kColorUnset);
    number("OUTLINE COLOR 2", b.OutlineColor2, kColorUnset);
    number("OUTLINE COLOR 3", b.OutlineColor3, kColorUnset);
    number("OUTLINE COLOR 4", b.OutlineColor4, kColorUnset);
    number("ALIGNMENT", b.Alignment, kSettingUnset);
    number("LAYOUT", b.Layout, kSettingUnset);
    number("BACK COLOR", b.BackColor, kColorUnset);
    number("CODEPAGE", b.Codepage, 0);
    for (std::size_t i = 1; i < b.Images.size(); ++i) {
        const PictureEntry& e = b.Images[i];
        std::string v = e.Path + "%" + std::to_string(e.Time);
        if (!e.Effect.empty())
            v += "%" + e.Effect + "%" + std::to_string(e.Speed) + "%" + e.EffectDetail;
        out += "#IMAGE=" + OneLine(v) + "\r\n";
    }
    return out + "\r\n" + std::string(kDisplayEnd);
}

}  // namespace cx
