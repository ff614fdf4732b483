#include "karaoke/SongDetails.h"

#include <algorithm>
#include <filesystem>

#include "lyrics/TimeText.h"

namespace cx {

DisplayBlock BlockFromLook(const SongLook& look) {
    DisplayBlock b;
    b.Artist = look.Artist;
    b.Title = look.Title;
    b.Picture = look.Picture;
    b.ForeColor = static_cast<int>(look.ForeColor);
    b.HighlightColor = static_cast<int>(look.HighlightColor);
    b.OutlineColor1 = static_cast<int>(look.OutlineColor1);
    b.OutlineColor2 = static_cast<int>(look.OutlineColor2);
    b.OutlineColor3 = static_cast<int>(look.OutlineColor3);
    b.OutlineColor4 = static_cast<int>(look.OutlineColor4);
    b.BackColor = static_cast<int>(look.BackColor);
    b.Alignment = look.Alignment < 0 ? kSettingUnset : look.Alignment;
    b.Layout = look.Layout < 0 ? kSettingUnset : look.Layout;
    b.Codepage = look.Codepage;
    for (const TimelinePicture& p : look.Schedule)
        b.Images.push_back({p.Path, p.Time, p.Effect, p.EffectDetail, p.Speed});
    BuildSchedule(b);
    return b;
}

SongLook LookFromBlock(const DisplayBlock& block, const SongLook& previous) {
    DisplayBlock ordered = block;
    BuildSchedule(ordered);
    SongLook look;
    look.Artist = ordered.Artist;
    look.Title = ordered.Title;
    look.Picture = ordered.Picture;
    look.ForeColor = ordered.ForeColor;
    look.HighlightColor = ordered.HighlightColor;
    look.OutlineColor1 = ordered.OutlineColor1;
    look.OutlineColor2 = ordered.OutlineColor2;
    look.OutlineColor3 = ordered.OutlineColor3;
    look.OutlineColor4 = ordered.OutlineColor4;
    look.BackColor = ordered.BackColor;
    look.Alignment = ordered.Alignment;
    look.Layout = ordered.Layout;
    look.Codepage = ordered.Codepage;
    for (std::size_t i = 1; i < ordered.Schedule.size(); ++i) {
        const auto index = static_cast<std::size_t>(ordered.Schedule[i].Index);
        if (index < 1 || index >= ordered.Images.size()) continue;
        const PictureEntry& e = ordered.Images[index];
        look.Schedule.push_back(
            {e.Path, ordered.Schedule[i].Time, e.Effect, e.EffectDetail, e.Speed});
    }
    look.TagArtist = previous.TagArtist;
    look.TagTitle = previous.TagTitle;
    look.MediaPath = previous.MediaPath;
    look.PageText = previous.PageText;
    return look;
}

std::uint32_t SettingColour(const KaraokeSettings& s, SongColour which) {
    switch (which) {
        case SongColour::Normal:
            return s.LyricsColor;
        case SongColour::Highlight:
            return s.LyricsHighlightColor;
        case SongColour::Outline1:
            return s.LyricsOutlineColor1;
        case SongColour::Outline2:
            return s.LyricsOutlineColor2;
        case SongColour::Outline3:
            return s.LyricsOutlineColor3;
        case SongColour::Outline4:
            return s.LyricsOutlineColor4;
        case SongColour::Back:
            return s.LyricsBackColor;
    }
    return 0;
}

namespace {
int* ColourField(DisplayBlock& b, SongColour which) {
    switch (which) {
        case SongColour::Normal:
            return &b.ForeColor;
        case SongColour::Highlight:
            return &b.HighlightColor;
        case SongColour::Outline1:
            return &b.OutlineColor1;
        case SongColour::Outline2:
            return &b.OutlineColor2;
        case SongColour::Outline3:
            return &b.OutlineColor3;
        case SongColour::Outline4:
            return &b.OutlineColor4;
        case SongColour::Back:
            return &b.BackColor;
    }
    return &b.ForeColor;
}
}  // namespace

int BlockColour(const DisplayBlock& block, SongColour which) {
    return *ColourField(const_cast<DisplayBlock&>(block), which);
}

void SetBlockColour(DisplayBlock& block, SongColour which, int value) {
    *ColourField(block, which) = value;
}

std::uint32_t ShownColour(int stored, std::uint32_t setting) {
    return stored < 0 ? setting : static_cast<std::uint32_t>(stored) & 0xFFFFFFu;
}

int StoredColour(std::uint32_t chosen, std::uint32_t setting) {
    chosen &= 0xFFFFFFu;
    return chosen == (setting & 0xFFFFFFu) ? kColorUnset : static_cast<int>(chosen);
}

PictureCheck CheckTimelinePicture(const std::string& path) {
    if (path.empty()) return PictureCheck::NotAssigned;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec))
        return PictureCheck::Missing;
    return PictureCheck::Ok;
}

std::string FormatPictureTime(int seconds) {
    return FormatMinSec(seconds);
}

int ParsePictureTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::max(0, static_cast<int>(ParseLeadingNumber(text)));
    const double minutes = ParseLeadingNumber(text.substr(0, colon));
    const double seconds = ParseLeadingNumber(text.substr(colon + 1));
    return std::max(0, static_cast<int>(minutes) * 60 + static_cast<int>(seconds));
}

int TimelineCapacity(const DisplayBlock& b) {
    int singles = 0;
    for (const std::string* t : {&b.Artist, &b.Title, &b.Picture}) singles += t->empty() ? 0 : 1;
    for (int c : {b.ForeColor, b.HighlightColor, b.OutlineColor1, b.OutlineColor2, b.OutlineColor3,
                  b.OutlineColor4, b.BackColor})
        singles += c == kColorUnset ? 0 : 1;
    singles += b.Alignment == kSettingUnset ? 0 : 1;
    singles += b.Layout == kSettingUnset ? 0 : 1;
    singles += b.Codepage == 0 ? 0 : 1;
    return kMaxDisplayBlockLines - singles;
}

}  // namespace cx
