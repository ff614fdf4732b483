// The progression driven tick by tick, as the 10 ms playback tick drives it.
#include <gtest/gtest.h>

#include <cmath>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeDisplay.h"

namespace cx {
namespace {

using test::MakeModel;

class Progression : public ::testing::Test {
protected:
    void Start(LyricsModel model, KaraokeSettings s = test::TestSettings()) {
        m_model = std::move(model);
        m_display.SetSettings(s);
        m_display.SetWindow(640, 480, false);
        m_display.SetMediaOpen(true);
        SongLook look;
        look.Artist = "Artist";
        look.Title = "Title";
        m_display.ChangeLyrics(&m_model, look);
    }
    // Ticks every 10 ms from `from` up to and including `to`.
    void Play(double from, double to) {
        const long last = std::lround(to * 1000);
        for (long ms = std::lround(from * 1000); ms <= last; ms += 10) Tick(ms / 1000.0);
    }
    void Tick(double t) { m_display.IsPlaying(t, std::lround(t * 1000)); }
    std::pair<int, int> PieceAndPaints() const {
        return {m_display.CurrentPiece(), m_display.PaintCount()};
    }

    LyricsModel m_model;
    KaraokeDisplay m_display;
};

TEST_F(Progression, TitlePageIsPaintedOnceBeforeTheFirstPiece) {
    Start(MakeModel({{{"one", 2.0}}}));
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Title);
    const int paints = m_display.PaintCount();
    Play(0, 1.9);
    EXPECT_EQ(m_display.PaintCount(), paints);
    EXPECT_EQ(m_display.CurrentPiece(), 0);
    Play(2.0, 2.05);
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Lines);
    EXPECT_EQ(m_display.CurrentPiece(), 1);
}

TEST_F(Progression, OffsetDelaysAndKokTimingAdvancesTheHighlight) {
    auto s = test::TestSettings();
    s.LyricsOffset = 0.5;
    Start(MakeModel({{{"a", 1.0}, {"b", 10.0}}, {{"c", 20.0}}}), s);
    Play(0, 10.49);
    EXPECT_EQ(m_display.CurrentPiece(), 1);
    Tick(10.5);
    EXPECT_EQ(m_display.CurrentPiece(), 2);

    auto kok = MakeModel({{{"a", 1.0}, {"b", 10.0}}, {{"c", 20.0}}});
    kok.KokTiming = true;
    Start(std::move(kok));
    Play(0, 9.84);
    EXPECT_EQ(m_display.CurrentPiece(), 1);
    Tick(9.86);
    EXPECT_EQ(m_display.CurrentPiece(), 2);
}

TEST_F(Progression, AtMostOnePaintPerTickAndALateTickCatchesUpPieceByPiece) {
    Start(MakeModel({{{"a ", 1.0}, {"b ", 2.0}, {"c", 3.0}}, {{"d", 9.0}}}));
    Play(0, 0.5);
    const int paints = m_display.PaintCount();
    for (int i = 1; i <= 3; ++i) {
        Tick(3.5);  // the same late position: one piece more each tick
        EXPECT_EQ(PieceAndPaints(), std::pair(i, paints + i));
    }
    EXPECT_EQ(m_display.SungText(), "a b c");
    Tick(3.5);  // a paused song changes nothing
    Tick(3.5);
    EXPECT_EQ(m_display.PaintCount(), paints + 3);
}

TEST_F(Progression, ZeroTimePieceBecomesCurrentWithoutAPaint) {
    Start(MakeModel({{{"a", 0.0}, {"b", 0.0}, {"c", 3.0}}}));
    const int paints = m_display.PaintCount();
    Tick(0.01);
    EXPECT_EQ(PieceAndPaints(), std::pair(1, paints + 1));
    Tick(0.02);
    EXPECT_EQ(PieceAndPaints(), std::pair(2, paints + 1));
}

TEST_F(Progression, LinesAndSlotsFollowTheDisplayMode) {
    const auto lines = MakeModel(
        {{{"one", 1.0}}, {{"two", 2.0}}, {{"three", 3.0}}, {{"four", 4.0}}, {{"five", 5.0}}});
    auto s = test::TestSettings();
    for (const auto& [mode, want] :
         {std::pair{2, std::vector<int>{0, 1, 0, 1}}, {3, std::vector<int>{0, 1, 2, 0}}}) {
        s.DisplayMode = mode;
        Start(lines, s);
        std::vector<int> seen;
        for (int i = 1; i <= 4; ++i) {
            Play(i, i + 0.02);
            seen.push_back(m_display.CurrentSlot());
        }
        EXPECT_EQ(seen, want) << mode;
        EXPECT_TRUE(mode != 2 || m_display.OtherLine() == "five") << m_display.OtherLine();
    }
    Start(lines, s);
    Play(1, 1.02);
    m_display.GetLastPos(5.5, 5500);  // a jump past the last piece leaves no old line
    Tick(5.51);
    EXPECT_EQ(m_display.ThreeLines(), (std::array<std::string, 3>{"five", "", ""}));

    s.DisplayMode = 1;
    Start(lines, s);
    Play(2, 2.02);
    EXPECT_EQ(m_display.CurrentSlot(), 0);
    EXPECT_EQ(m_display.ShownLine(), "two");
    EXPECT_EQ(m_display.OtherLine(), "three");
}

TEST_F(Progression, LyricsLeaveSixSecondsAfterTheLastPieceAndRepaintKeepsThemGone) {
    Start(MakeModel({{{"a ", 1.0}, {"b", 3.0}}}));
    Play(0, 3.0);
    EXPECT_EQ(m_display.CurrentPiece(), 2);
    EXPECT_TRUE(m_display.LastTimerOn());
    Play(3.01, 8.99);
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Lines);
    Tick(9.0);
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Background);
    m_display.Repaint();  // gone means gone, also before the 8 s of a repaint
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Background);

    Play(9.01, 11.1);  // past the last piece by more than 8 s
    m_display.Repaint();
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Background);
}

TEST_F(Progression, JumpsResynchronise) {
    Start(MakeModel({{{"a ", 1.0}, {"b", 2.0}}, {{"c ", 3.0}, {"d", 4.0}}, {{"e", 6.0}}}));
    Play(0, 4.5);
    EXPECT_EQ(m_display.CurrentPiece(), 4);

    m_display.GetLastPos(0.5, 4600);  // back before the first piece
    EXPECT_EQ(m_display.CurrentPiece(), 0);
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Title);
    Play(0.51, 1.0);
    EXPECT_EQ(m_display.CurrentPiece(), 1);

    m_display.GetLastPos(3.5, 5000);  // into the middle of a line: painted at once
    EXPECT_EQ(m_display.CurrentPiece(), 3);
    EXPECT_EQ(m_display.ShownLine(), "c d");
    EXPECT_EQ(m_display.SungText(), "c ");
    const int paints = m_display.PaintCount();
    m_display.GetLastPos(3.6, 5100);  // within the same piece: still shown
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Lines);
    EXPECT_EQ(m_display.PaintCount(), paints + 1);

    m_display.GetLastPos(7.0, 6000);  // past the last piece: the next tick paints it
    EXPECT_EQ(m_display.CurrentPiece(), 4);
    Tick(7.01);
    EXPECT_EQ(m_display.CurrentPiece(), 5);
    EXPECT_EQ(m_display.ShownLine(), "e");
}

TEST_F(Progression, ClearingStartsTheSongAgain) {
    Start(MakeModel({{{"a", 1.0}}, {{"b", 2.0}}}));
    Play(0, 2.5);
    m_display.ClearLyrics();
    EXPECT_EQ(m_display.CurrentPiece(), 0);
    EXPECT_EQ(m_display.ShownLine(), "");
    Play(0, 0.1);
    EXPECT_EQ(m_display.ShownPage(), KaraokeDisplay::Page::Title);
}

TEST_F(Progression, NothingHappensWithoutMediaOrWhileNotShown) {
    Start(MakeModel({{{"a", 1.0}}}));
    m_display.SetMediaOpen(false);
    Play(0, 1.5);
    EXPECT_EQ(m_display.CurrentPiece(), 0);
    m_display.SetMediaOpen(true);
    m_display.SetLyricsShown(false);
    Play(1.5, 1.6);
    EXPECT_EQ(m_display.CurrentPiece(), 0);
}

TEST_F(Progression, FontKeysChangeTheSettingOnlyWithinLimits) {
    auto s = test::TestSettings();
    s.LyricsFontSize = 12;
    Start(MakeModel({{{"a", 1.0}}}), s);
    EXPECT_TRUE(m_display.DecreaseFont());
    EXPECT_EQ(m_display.Settings().LyricsFontSize, 10);
    EXPECT_FALSE(m_display.DecreaseFont());
    EXPECT_EQ(m_display.Settings().LyricsFontSize, 10);
    m_display.IncreaseFont();
    EXPECT_EQ(m_display.FontSize(), 12);
}

}  // namespace
}  // namespace cx
