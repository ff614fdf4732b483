// The editor's rules without a window: capture, held correction, split and
// merge, offsets, piece texts, and what reaches the player's lyrics.
#include <gtest/gtest.h>

#include "FakePlayer.h"
#include "editor/EditorDocument.h"
#include "editor/EditorText.h"
#include "editor/HeldCorrection.h"
#include "editor/SpinnerValue.h"
#include "support/Pieces.h"

namespace cx {
namespace {

using test::FakePlayer;

EditorDocument ThreeWords(FakePlayer& player) {
    EditorDocument doc(player.Link());
    doc.LoadFromPlayer();
    doc.Split("Hello big world");
    return doc;
}

TEST(EditorSplit, LinesOfAnyEndingSplitAndMergeBackWithEmptyLinesKept) {
    PieceArray pieces(1);
    ASSERT_EQ(SplitToLyrics("Hello big world", pieces), 3);
    EXPECT_EQ(test::PieceTexts(pieces), "Hello |big |world/");
    EXPECT_EQ(test::LineTexts(pieces), "Hello big world/");
    EXPECT_EQ(test::StartTimes(pieces), std::vector<double>(3, 0.0));
    // LF and CR LF both end lines; double spaces make no empty pieces; brackets go.
    pieces.resize(1);
    SplitToLyrics("One  two\n\r\nth[re]e\r\n", pieces);
    EXPECT_EQ(test::PieceTexts(pieces), "One |two//three/");
    EXPECT_EQ(MergeToText(pieces), "One two\r\n\r\nthree\r\n");
    SplitToLyrics("four", pieces);  // appended to what is there
    EXPECT_EQ(test::PieceTexts(pieces), "One |two//three/four/");
}

TEST(EditorCapture, MovesDownTheListAndStaysOnTheLastRow) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    player.position = 10.0;
    CaptureOutcome c = doc.Capture(0);  // nothing selected: row 1
    ASSERT_TRUE(c.captured);
    EXPECT_EQ(c.row, 1);
    EXPECT_DOUBLE_EQ(doc.Piece(1).StartTime, 9.75);
    EXPECT_EQ(c.selected, 2);
    EXPECT_TRUE(c.scroll);  // row 2 is not the last

    player.position = 11.0;
    c = doc.Capture(2);
    EXPECT_EQ(c.selected, 3);
    EXPECT_FALSE(c.scroll);

    player.position = 12.5;
    c = doc.Capture(3);
    EXPECT_EQ(c.row, 3);
    EXPECT_EQ(c.selected, 3);  // the last row keeps the selection
    EXPECT_DOUBLE_EQ(c.correct, 12.25);
    EXPECT_DOUBLE_EQ(doc.Piece(3).StartTime, 12.25);
    // Each capture reached the song's lyrics, piece by piece.
    ASSERT_EQ(player.model.Lyrics.size(), 4u);
    EXPECT_DOUBLE_EQ(player.model.Lyrics[1].StartTime, 9.75);
    EXPECT_DOUBLE_EQ(player.model.Lyrics[3].StartTime, 12.25);
    EXPECT_EQ(player.edits.back(), std::make_pair(LyricsEdit::Captured, 3));
}

TEST(EditorCapture, NothingPlayingOrNoPiecesChangesNothing) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    player.edits.clear();
    player.position.reset();
    EXPECT_FALSE(doc.Capture(1).captured);
    EXPECT_EQ(doc.Piece(1).StartTime, 0);
    EXPECT_TRUE(player.edits.empty());

    EditorDocument empty(player.Link());
    player.position = 5;
    EXPECT_FALSE(empty.Capture(1).captured);
    // Right at the start the reaction time cannot push a piece before the song.
    player.position = 0.1;
    EXPECT_TRUE(doc.Capture(1).captured);
    EXPECT_EQ(doc.Piece(1).StartTime, 0);
}

TEST(EditorCapture, LyricsOfAnotherFileLeaveTheSongAlone) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    doc.SetMediaFile("/music/other.mp3");
    player.position = 4;
    player.edits.clear();
    const LyricsModel before = player.model;
    ASSERT_TRUE(doc.Capture(1).captured);
    doc.SetTime(2, 3);
    doc.SetBreak(1, true);
    EXPECT_EQ(player.model.Lyrics.size(), before.Lyrics.size());
    EXPECT_EQ(player.model.Lyrics[1].StartTime, 0);
    EXPECT_TRUE(player.edits.empty());
    // Update lyrics makes them the song's.
    ASSERT_TRUE(doc.UpdateLyrics());
    EXPECT_EQ(doc.MediaFile(), player.song);
    EXPECT_DOUBLE_EQ(player.model.Lyrics[1].StartTime, 3.75);
    EXPECT_EQ(player.edits.back().first, LyricsEdit::Reshaped);
    EXPECT_FALSE(player.model.WidestLine.empty());
}

TEST(EditorCorrection, TwentyFiveHeldTicksMoveFineThenCoarse) {
    HeldCorrection held;
    ASSERT_TRUE(held.Start(HeldCorrection::Direction::Up, 10.0, 1000));
    // Timed from the press: how often it is asked does not matter.
    EXPECT_DOUBLE_EQ(held.Tick(1000 + 7 * kCorrectionTickMs + 5), 10.007);
    EXPECT_DOUBLE_EQ(held.Tick(1000 + 25 * kCorrectionTickMs),
                     10.0 + 10 * 0.001 + 10 * 0.01 + 5 * 0.1);

    // Down is refused at 0 and stops there instead of going negative.
    EXPECT_FALSE(held.Start(HeldCorrection::Direction::Down, 0.0, 0));
    ASSERT_TRUE(held.Start(HeldCorrection::Direction::Down, 0.003, 0));
    EXPECT_EQ(held.Tick(5 * kCorrectionTickMs), 0);
    EXPECT_FALSE(held.Running());
}

TEST(EditorCorrection, ATimeChangeCopiesTheWholeArrayIntoTheSong) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    player.edits.clear();
    ASSERT_TRUE(doc.SetTime(2, 7.1234));
    EXPECT_DOUBLE_EQ(doc.Piece(2).StartTime, 7.123);  // milliseconds
    EXPECT_DOUBLE_EQ(player.model.Lyrics[2].StartTime, 7.123);
    EXPECT_EQ(player.edits.back().first, LyricsEdit::Retimed);
    EXPECT_FALSE(doc.SetTime(9, 1));
}

TEST(EditorOffset, MinusHalfASecondMovesOnlyTheSelectedRows) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    doc.SetTime(1, 10);
    doc.SetTime(2, 11);
    doc.SetTime(3, 0.2);
    EXPECT_EQ(doc.ApplyOffset({2, 3}, -0.5), 2);
    // Never before the song.
    EXPECT_EQ(test::StartTimes(doc.Pieces()), (std::vector<double>{10, 10.5, 0}));
    EXPECT_DOUBLE_EQ(player.model.Lyrics[2].StartTime, 10.5);
}

// Each edit reaches the player's lyrics at once.
TEST(EditorPieces, RowEditsWriteThroughRebuildLinesAndDropBrackets) {
    FakePlayer player;
    EditorDocument doc = ThreeWords(player);
    const PieceArray& song = player.model.Lyrics;
    doc.InsertBefore(2);
    doc.Append();
    EXPECT_EQ(test::PieceTexts(song), "Hello ||big |world/|");
    doc.RemoveRows({2, 5});
    doc.SetBreak(2, true);
    EXPECT_EQ(test::PieceTexts(song), "Hello |big /world/");
    EXPECT_EQ(test::LineTexts(song), "Hello big /world/");
    doc.InsertPieces(1, {doc.Piece(3)});
    EXPECT_EQ(test::PieceTexts(song), "world/Hello |big /world/");
    // Brackets never enter a piece's text, typed or pasted.
    ASSERT_TRUE(doc.SetText(1, "["));
    EXPECT_EQ(doc.Piece(1).PieceText, "");
    ASSERT_TRUE(doc.SetText(1, "Hel[lo] "));
    EXPECT_EQ(song[1].PieceText, "Hello ");
    doc.Clear();
    EXPECT_FALSE(player.model.HasLyrics());
}

TEST(EditorPieces, OpeningTakesTheSongsLyricsAndNewEmptiesBoth) {
    FakePlayer player;
    player.model.Lyrics.push_back({"La", "La", 1.5, true});
    EditorDocument doc(player.Link());
    doc.LoadFromPlayer();
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_EQ(doc.MediaFile(), player.song);
    doc.New();
    EXPECT_FALSE(doc.HasPieces());
    EXPECT_FALSE(player.model.HasLyrics());

    player.song.clear();  // no song: the editor opens empty
    player.model.Lyrics.push_back({"La", "La", 1.5, true});
    doc.LoadFromPlayer();
    EXPECT_FALSE(doc.HasPieces());
}

TEST(EditorSpinner, TimeFormatStepsAndRepeatsWithinItsLimits) {
    SpinnerValue v(0, 100, SpinnerValue::TimeFormat::SubRip);
    EXPECT_EQ(v.Text(), "00:00,000");
    ASSERT_TRUE(v.Press(1));
    EXPECT_DOUBLE_EQ(v.Value(), 0.01);
    // The repeat waits four ticks, then 0.01 per tick, 0.1 from the 24th.
    for (int i = 0; i < 5; ++i) v.Repeat(1);
    EXPECT_DOUBLE_EQ(v.Value(), 0.02);
    for (int i = 0; i < 18; ++i) v.Repeat(1);
    EXPECT_NEAR(v.Value(), 0.20, 1e-9);
    v.Repeat(1);
    EXPECT_NEAR(v.Value(), 0.30, 1e-9);
    v.SetValue(83.456);
    EXPECT_EQ(v.Text(), "01:23,456");
    ASSERT_TRUE(v.SetText("00:05,100"));
    EXPECT_DOUBLE_EQ(v.Value(), 5.1);
    EXPECT_FALSE(v.SetText("abc"));
    v.SetValue(0);
    EXPECT_FALSE(v.Press(-1));  // never below the minimum

    SpinnerValue n(-10, 10, SpinnerValue::TimeFormat::Normal);
    n.Press(1);
    EXPECT_EQ(n.Text(), "1");
    for (int i = 0; i < 30; ++i) n.Repeat(1);
    EXPECT_EQ(n.Value(), 10);  // stopped at the maximum
}

}  // namespace
}  // namespace cx
