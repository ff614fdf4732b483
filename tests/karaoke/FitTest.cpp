// Fitting the font to the window, with exact made-up measurements.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "KaraokeTestSupport.h"
#include "karaoke/LyricLayout.h"
#include "karaoke/LyricWrap.h"

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

FitInput Input(int size, int height = 2000, int mode = 1, bool ball = false,
               const char* widest = "0123456789", int minSize = kMinFontSize) {
    // The widest line's 10 characters: w = 10 x size + 16; S = 1000: S - 40 = 960, S - 30 = 970.
    return {.WidestLine = widest,
            .ShowBall = ball,
            .DisplayMode = mode,
            .InnerWidth = 1000,
            .InnerHeight = height,
            .CurrentSize = size,
            .SettingsSize = 33,
            .MinSize = minSize};
}

TEST(Fit, WidthHeightAndBallRules) {
    const struct {
        const char* rule;
        FitInput in;
        int size;
    } cases[] = {
        {"966 lies between S - 40 and S - 30: done at once, no height rule", Input(95, 200), 95},
        {"1216 > S: shrink until w < S - 30", Input(120), 95},
        {"516 < S - 40: grow until w > S - 40", Input(50), 95},
        {"996 lies between S - 30 and S: width leaves it alone", Input(98), 98},
        {"never below the readable minimum: the line wraps instead",
         Input(120, 2000, 1, false, "0123456789", 100), 100},
        {"two lines in a low window", Input(50, 300), (300 - 132) / 2},
        {"three lines in a low window", Input(50, 300, 3), (300 - 139) / 3},
        {"too low for any text: the smallest size, no loop", Input(50, 10), kMinFontSize},
        {"the ball takes two characters: 12 x size + 16 > 960", Input(50, 2000, 1, true), 79},
        {"no lyrics: the setting's size", Input(50, 2000, 1, false, ""), 33},
    };
    for (const auto& c : cases) EXPECT_EQ(FitLyrics(c.in, Linear()), c.size) << c.rule;
}

// Rows of 10-pixel characters, shown as the texts between the breaks.
std::vector<std::string> Rows(const std::string& text, int maxWidth) {
    const QString q = QString::fromStdString(text);
    std::vector<std::string> out;
    for (const WrapRow& r :
         WrapRows(q, maxWidth, [](const QString& t) { return 10 * int(t.size()); }))
        out.push_back(q.mid(r.From, r.Length).toStdString());
    return out;
}

TEST(Wrap, BreaksAtWordsAndWithinWordsOnlyWhenTheyAreWiderThanARow) {
    using V = std::vector<std::string>;
    const struct {
        const char* text;
        int width;
        V rows;
    } cases[] = {
        {"short line", 100, {"short line"}},
        {"", 100, {""}},
        {"one two three four", 100, {"one two", "three four"}},
        {"one two  three", 70, {"one two", "three"}},  // the spaces at a break go
        {"abcdefghijkl xy", 50, {"abcde", "fghij", "kl xy"}},
        {"a b", 0, {"a b"}},  // no room at all: left as it is
        {"ab\xF0\x9F\x8E\xA4"
         "cd",
         30,
         {"ab",
          "\xF0\x9F\x8E\xA4"
          "c",
          "d"}},  // no half characters
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.text, c.width), c.rows) << c.text;
    // However long the line, the rows are capped.
    EXPECT_EQ(Rows(std::string(1000, 'x'), 10).size(), std::size_t(kMaxWrapRows));
}

TEST(Wrap, RowsTakeTheSlotsBelowAndTheCurrentLineComesFirst) {
    auto width = [](const QString& t) { return 10 * int(t.size()); };
    SlotGeometry g;
    g.Top = [](int slot) { return slot < 0 ? 5 : slot * 10; };
    auto lay = [&](std::vector<SlotLine> lines, int slotCount, int anchor = 0) {
        g.Slots = slotCount;
        g.Anchor = anchor;
        std::string out;
        for (const BandLine& b :
             LayOutSlots(lines, g, [&](const QString& t) { return WrapRows(t, 60, width); }))
            out += std::to_string(b.Top) + (b.Current ? "*" : "") + b.Text + "@" +
                   std::to_string(b.From) + (b.Continued ? "+" : "") + " ";
        return out;
    };
    // Nothing wraps: the slots as the mode chose them.
    EXPECT_EQ(lay({{"aa", -1, true}}, 2), "5*aa@0 ");
    // A single line that wraps fills the band from the top.
    EXPECT_EQ(lay({{"aaa bbb", -1, true}}, 2), "0*aaa@0+ 10*bbb@4 ");
    // Two lines: the wrapped current line pushes the next one out.
    EXPECT_EQ(lay({{"aaa bbb", 0, true}, {"next", 1, false}}, 2), "0*aaa@0+ 10*bbb@4 ");
    // A wrapped next line shows its first row in its slot.
    EXPECT_EQ(lay({{"cur", 0, true}, {"aaa bbb", 1, false}}, 2), "0*cur@0 10aaa@0+ ");
    // Current in the lowest slot moves up over the older line; the next keeps its slot.
    EXPECT_EQ(lay({{"next", 0, false}, {"old", 1, false}, {"aaa bbb", 2, true}}, 3),
              "10*aaa@0+ 20*bbb@4 0next@0 ");
    // A current line longer than the band shows the rows from the sung one.
    EXPECT_EQ(lay({{"aaa bbb ccc", 0, true}}, 2, 9), "0*bbb@4+ 10*ccc@8 ");
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
    for (const auto& [alignment, full, top] : {std::tuple{0, false, 240 - 50 - 20},
                                               {1, false, 8},
                                               {2, false, 480 - 100 - 8 - 17 - 20},
                                               {1, true, 8},
                                               {2, true, 372}})
        EXPECT_EQ(BandTopInArea(alignment, 480, full, 100), top) << alignment << full;

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
