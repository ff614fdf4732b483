// Colours, line geometry, outline rules and font fitting of the lyric area.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "karaoke/KaraokeSettings.h"

namespace cx {

// Frame strips of the windowed karaoke window; full screen has none.
inline constexpr int kCaptionStrip = 20;
inline constexpr int kBottomStrip = 17;
// Font sizes fitting never goes beyond.
inline constexpr int kMinFontSize = 4;
inline constexpr int kMaxFontSize = 400;

struct LyricColors {
    std::uint32_t Fore = 0;
    std::uint32_t Highlight = 0;
    std::uint32_t Outline1 = 0;
    std::uint32_t Outline2 = 0;
    std::uint32_t Outline3 = 0;
    std::uint32_t Outline4 = 0;
    std::uint32_t Back = 0;
};

// What UpdateColors decides for one song.
struct LyricLook {
    LyricColors Colors;
    int LyricAlignment = 0;
    int PictureLayout = 0;
};

// The song's value where it sets one, the setting otherwise.
LyricLook UpdateColors(const KaraokeSettings& settings, const SongLook& song);

// 0x00BBGGRR to an opaque colour.
QColor ToQColor(std::uint32_t bgr);

// The window font: the settings' face at `points` (at 96 pixels per inch, as the
// lyrics were sized for), drawn without antialiasing so every text pixel is
// either fully the text colour or untouched.
QFont MakeLyricsFont(const KaraokeSettings& settings, int points);

// The outline for width 0..4: offsets lo..hi in both directions and its colour;
// nothing for width < 1.
struct OutlineRule {
    int Lo = 0;
    int Hi = 0;
    std::uint32_t Color = 0;
};
std::optional<OutlineRule> OutlineFor(int width, const LyricColors& colors);

// Left edge of a line whose text is `textWidth` wide, centred in the area.
int LineLeft(int areaWidth, int textWidth);

// Lyric area height for a window inner height.
int AreaHeightFor(int innerHeight, bool fullscreen);

// Top of a band of `bandHeight` in lyric-area coordinates, placed by alignment
// (0 centre, 1 top, 2 bottom) within a window of inner height `innerHeight`.
int BandTopInArea(int alignment, int innerHeight, bool fullscreen, int bandHeight);

// Measurements FitLyrics needs, so that tests can use exact numbers.
struct FontMeasure {
    std::function<int(const std::string& text, int size)> Width;
    std::function<int(int size)> MgHeight;  // text height of "Mg"
};
FontMeasure QtFontMeasure(const KaraokeSettings& settings);

struct FitInput {
    std::string WidestLine;
    bool ShowBall = false;
    int DisplayMode = 1;
    int InnerWidth = 0;
    int InnerHeight = 0;
    int CurrentSize = 0;         // the window font's size now
    int SettingsSize = 0;        // LyricsFontSize
    int MinSize = kMinFontSize;  // the width never shrinks the font below it: lines wrap
};
// The font size that fits the widest line into the window.
int FitLyrics(const FitInput& in, const FontMeasure& measure);

}  // namespace cx
