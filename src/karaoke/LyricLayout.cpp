#include "karaoke/LyricLayout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>
#include <cmath>

#include "lyrics/LyricsModel.h"

namespace cx {

namespace {

std::uint32_t Pick(std::int64_t song, std::uint32_t setting) {
    return song < 0 ? setting : static_cast<std::uint32_t>(song & 0xFFFFFF);
}

int Pick(int song, int setting) {
    return (song < 0 || song == 65535) ? setting : song;
}

}  // namespace

LyricLook UpdateColors(const KaraokeSettings& s, const SongLook& song) {
    LyricLook look;
    look.Colors.Fore = Pick(song.ForeColor, s.LyricsColor);
    look.Colors.Highlight = Pick(song.HighlightColor, s.LyricsHighlightColor);
    look.Colors.Outline1 = Pick(song.OutlineColor1, s.LyricsOutlineColor1);
    look.Colors.Outline2 = Pick(song.OutlineColor2, s.LyricsOutlineColor2);
    look.Colors.Outline3 = Pick(song.OutlineColor3, s.LyricsOutlineColor3);
    look.Colors.Outline4 = Pick(song.OutlineColor4, s.LyricsOutlineColor4);
    look.Colors.Back = Pick(song.BackColor, s.LyricsBackColor);
    look.LyricAlignment = Pick(song.Alignment, s.LyricsAlignment);
    look.PictureLayout = Pick(song.Layout, s.LyricsPicLayout);
    return look;
}

QColor ToQColor(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QFont MakeLyricsFont(const KaraokeSettings& s, int points) {
    // A face missing here (the settings may name a Windows font) falls back to
    // the system's sans serif rather than to whatever Qt matches first.
    const QString family = QString::fromStdString(s.LyricsFont);
    QFont font(QFontDatabase::hasFamily(family) ? family : QString("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    font.setBold(s.LyricsFontBold);
    font.setItalic(s.LyricsFontItalic);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setKerning(false);  // a prefix must lay out exactly like the start of its line
    return font;
}

std::optional<OutlineRule> OutlineFor(int width, const LyricColors& c) {
    switch (width) {
        case 1:
            return OutlineRule{3, 5, c.Outline4};
        case 2:
            return OutlineRule{2, 6, c.Outline3};
        case 3:
            return OutlineRule{1, 7, c.Outline2};
        case 4:
            return OutlineRule{0, 8, c.Outline1};
        default:
            break;
    }
    if (width > 4) return OutlineRule{0, 8, c.Outline1};
    return std::nullopt;
}

int LineLeft(int areaWidth, int textWidth) {
    return static_cast<int>(std::floor(areaWidth / 2.0 - (textWidth + 9) / 2.0));
}

int AreaHeightFor(int innerHeight, bool fullscreen) {
    return fullscreen ? innerHeight : innerHeight - kCaptionStrip - kBottomStrip;
}

int BandTopInArea(int alignment, int innerHeight, bool fullscreen, int bandHeight) {
    const int m1 = fullscreen ? 0 : kCaptionStrip;
    const int m2 = fullscreen ? 0 : kBottomStrip;
    int top = 0;
    switch (alignment) {
        case 1:
            top = 8 + m1;
            break;
        case 2:
            top = innerHeight - bandHeight - 8 - m2;
            break;
        default:
            top = innerHeight / 2 - bandHeight / 2;
            break;
    }
    return top - m1;
}

FontMeasure QtFontMeasure(const KaraokeSettings& settings) {
    FontMeasure m;
    m.Width = [settings](const std::string& text, int size) {
        return QFontMetrics(MakeLyricsFont(settings, size))
            .horizontalAdvance(QString::fromStdString(text));
    };
    m.MgHeight = [settings](int size) {
        return QFontMetrics(MakeLyricsFont(settings, size)).height();
    };
    return m;
}

int FitLyrics(const FitInput& in, const FontMeasure& measure) {
    if (in.WidestLine.empty()) return in.SettingsSize;
    const std::string widest(CutLineText(in.WidestLine));
    const std::string text = in.ShowBall ? widest + "oo" : widest;
    const int s = in.InnerWidth;
    int size = std::clamp(in.CurrentSize, kMinFontSize, kMaxFontSize);
    auto width = [&](int sz) { return measure.Width(text, sz) + 16; };
    const int w0 = width(size);
    if (w0 > s - 40 && w0 < s - 30) return size;
    if (w0 > s) {
        const int floor = std::max(kMinFontSize, std::min(in.MinSize, size));
        int w = w0;
        while (w >= s - 30 && size > floor) w = width(--size);
    }
    if (w0 < s - 40) {
        int w = w0;
        while (w <= s - 40 && size < kMaxFontSize) w = width(++size);
    }
    const int h = in.InnerHeight;
    const int limit = in.DisplayMode == 3 ? (h - 139) / 3 : (h - 132) / 2;
    while (measure.MgHeight(size) > limit && size > kMinFontSize) --size;
    return size;
}

}  // namespace cx
