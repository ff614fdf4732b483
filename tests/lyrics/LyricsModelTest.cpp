#include "lyrics/LyricsModel.h"

#include <gtest/gtest.h>

#include "lyrics/TimeText.h"
#include "support/ExpectEach.h"
#include "support/Pieces.h"

namespace cx {

using test::ExpectEach;

// clang-format off
TEST(TimeText, FormatsAndParsesMinutesSecondsAndMilliseconds) {
    ExpectEach("FormatMinSec", FormatMinSec,
               {{83.9, "01:23"}, {600, "10:00"}, {5, "00:05"}, {-3, "00:00"}});
    EXPECT_EQ(FormatTime(83.456), "01:23,456");
    EXPECT_EQ(FormatTime(5.1), "00:05,100");
    EXPECT_EQ(FormatTime(59.9996), "01:00,000");
    EXPECT_EQ(FormatTime(83.456, true), "83,456");
    EXPECT_EQ(FormatTime(0, true), "00,000");
    // Negative times read as their positive text, not as a wrapped minute.
    EXPECT_EQ(FormatTime(-5.1), "- 00:05,100");
    EXPECT_DOUBLE_EQ(ParseEditorTime(FormatTime(-5.1)), -5.1);
    EXPECT_DOUBLE_EQ(ParseEditorTime("01:23,456"), 83.456);
    EXPECT_DOUBLE_EQ(ParseEditorTime("01:23.5"), 83.5);
    EXPECT_DOUBLE_EQ(ParseEditorTime("01:23"), 83.0);  // without a separator no fraction
    ExpectEach("ParseLeadingNumber", ParseLeadingNumber,
               {{"12.75abc", 12.75}, {" -3", -3}, {"x1", 0}});
    EXPECT_DOUBLE_EQ(ParseLeadingNumber(std::string(400, '9')), 0);
    for (const auto& [value, text] : {std::pair{12.0, "12"}, {12.75, "12.75"}, {83.4561, "83.456"}})
        EXPECT_EQ(FormatShortestDecimal(value), text);
}
// clang-format on

TEST(LyricsModel, HeaderFallsBackFromBlockToTagsToBaseName) {
    HeaderSources s;
    s.MediaPath = "/music/Some Song.mp3";
    EXPECT_EQ(BuildLyricsHeader(s), "Some Song");
    s.TagArtist = "Tag Artist";
    s.TagTitle = "Tag Title";
    EXPECT_EQ(BuildLyricsHeader(s), "Tag Artist|Tag Title");
    s.BlockTitle = "Only Title";
    EXPECT_EQ(BuildLyricsHeader(s), "Only Title");
    s.BlockArtist = "Band";
    EXPECT_EQ(BuildLyricsHeader(s), "Band|Only Title");
}

TEST(LyricsModel, WidestLineIsFirstOfEqualWidthsAndEmptyWithoutPieces) {
    PieceArray pieces(1);
    EXPECT_EQ(FindWidestLine(pieces, {}), "");
    for (const char* t : {"abc", "xyz", "ab"}) pieces.push_back({t, t, 0, true});
    EXPECT_EQ(FindWidestLine(pieces, {}), "abc");
    EXPECT_EQ(FindWidestLine(pieces, [](const std::string& s) { return s == "ab" ? 9 : 1; }), "ab");
    EXPECT_EQ(FixedWidthMeasure("gęś"), 3);

    LyricsModel model;
    model.Lyrics = pieces;
    model.LyricsHeader = "x";
    ResetLyricsModel(model);
    EXPECT_EQ(model.UpperBound(), 0);
    EXPECT_TRUE(model.LyricsHeader.empty());
}

TEST(LyricsModel, LineTextsIncludeATrailingUnclosedLine) {
    PieceArray p(1);
    p.push_back({"", "Hel", 1, false});
    p.push_back({"", "lo", 2, true});
    p.push_back({"", "bye", 3, false});
    RebuildLineTexts(p);
    EXPECT_EQ(test::LineTexts(p), "Hello/bye/");  // each piece's line: Hello, Hello, bye
    EXPECT_EQ(p[0].LineText, "");
}

}  // namespace cx
