// Fitting the font to the window, with exact made-up measurements.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "KaraokeTestSupport.h"
#include "karaoke/LyricLayout.h"

namespace cx {
namespace {

// Every character is `size` pixels wide; "Mg" is `size` pixels high.
FontMeasure Linear() {
    FontMeasure m;
    m.Width = [](const std::string& text, int size) {
        return static_cast<int>(text.size()) * size;
    };
    m.MgHeight = [](int size) { return size; };
    return m;
}

FitInput Input(int size, int height = 2000) {
    FitInput in;
    in.WidestLine = "0123456789";  // 10 characters: w = 10 x size + 16
    in.InnerWidth = 1000;          // S - 40 = 960, S - 30 = 970
    in.InnerHeight = height;
    in.CurrentSize = size;
    in.SettingsSize = 33;
    return in;
}

TEST(Fit, WidthRules) {
    // 966 lies between S - 40 and S - 30: done at once, not even the height rule runs.
    EXPECT_EQ(FitLyrics(Input(95, 200), Linear()), 95);
    // 1216 > S: shrink until w < S - 30.
    EXPECT_EQ(FitLyrics(Input(120), Linear()), 95);
    // 516 < S - 40: grow until w > S - 40.
    EXPECT_EQ(FitLyrics(Input(50), Linear()), 95);
    // 996 lies between S - 30 and S: width leaves it alone.
    EXPECT_EQ(FitLyrics(Input(98), Linear()), 98);
}

TEST(Fit, HeightLimitsTwoAndThreeLines) {
    EXPECT_EQ(FitLyrics(Input(50, 300), Linear()), (300 - 132) / 2);
    FitInput three = Input(50, 300);
    three.DisplayMode = 3;
    EXPECT_EQ(FitLyrics(three, Linear()), (300 - 139) / 3);
    // A window too low for any text stops at the smallest size instead of looping.
    EXPECT_EQ(FitLyrics(Input(50, 10), Linear()), kMinFontSize);
}

TEST(Fit, BallRoomAndEmptyLyrics) {
    FitInput ball = Input(50);
    ball.ShowBall = true;  // 12 characters: grows until 12 x size + 16 > 960
    EXPECT_EQ(FitLyrics(ball, Linear()), 79);
    FitInput none = Input(50);
    none.WidestLine.clear();
    EXPECT_EQ(FitLyrics(none, Linear()), 33);
}

TEST(Layout, ColoursComeFromTheSongUnlessMissing) {
    KaraokeSettings s;
    s.LyricsColor = 1;
    s.LyricsHighlightColor = 2;
    s.LyricsAlignment = 2;
    s.LyricsPicLayout = 1;
    SongLook song;
    song.HighlightColor = 0x123456;
    song.Alignment = 65535;
    song.Layout = 0;
    const LyricLook look = UpdateColors(s, song);
    EXPECT_EQ(look.Colors.Fore, 1u);
    EXPECT_EQ(look.Colors.Highlight, 0x123456u);
    EXPECT_EQ(look.LyricAlignment, 2);
    EXPECT_EQ(look.PictureLayout, 0);
}

TEST(Layout, MissingFaceFallsBackToTheSansSerif) {
    KaraokeSettings s = test::TestSettings();
    s.LyricsFont = "No Such Face At All";
    const QFontInfo missing(MakeLyricsFont(s, 20));
    const QFontInfo sans(QFont("Sans Serif"));
    EXPECT_EQ(missing.family(), sans.family());
    s.LyricsFont = "DejaVu Sans";
    EXPECT_EQ(QFontInfo(MakeLyricsFont(s, 20)).family(), "DejaVu Sans");
}

TEST(Layout, GeometryAndOutlineRules) {
    EXPECT_EQ(LineLeft(640, 100), 265);  // 320 - 54.5, integer part
    EXPECT_EQ(AreaHeightFor(480, false), 443);
    EXPECT_EQ(AreaHeightFor(480, true), 480);
    // Windowed: top margin 20, bottom 17; the band's place in the lyric area.
    EXPECT_EQ(BandTopInArea(0, 480, false, 100), 240 - 50 - 20);
    EXPECT_EQ(BandTopInArea(1, 480, false, 100), 8);
    EXPECT_EQ(BandTopInArea(2, 480, false, 100), 480 - 100 - 8 - 17 - 20);
    EXPECT_EQ(BandTopInArea(1, 480, true, 100), 8);
    EXPECT_EQ(BandTopInArea(2, 480, true, 100), 372);

    LyricColors c{0, 0, 11, 22, 33, 44, 0};
    EXPECT_FALSE(OutlineFor(0, c));
    EXPECT_EQ(OutlineFor(1, c)->Color, 44u);
    EXPECT_EQ(OutlineFor(2, c)->Lo, 2);
    EXPECT_EQ(OutlineFor(3, c)->Color, 22u);
    EXPECT_EQ(OutlineFor(4, c)->Color, 11u);
    EXPECT_EQ(OutlineFor(4, c)->Hi, 8);
}

}  // namespace
}  // namespace cx
