#include "lyrics/LrsFormat.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace cx {
namespace {

const char* kExample =
    "#Cantabilex\r\n[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15,6]bye\r\n#End Cantabilex";

}  // namespace

TEST(LrsFormat, WorkedExampleGivesFivePieces) {
    LyricsModel m;
    AfterLoadContext ctx;
    ctx.Header.MediaPath = "/x/song.mp3";
    ASSERT_TRUE(ParseLrsText(kExample, m, ctx));
    ASSERT_EQ(m.UpperBound(), 5);
    const auto& p = m.Lyrics;
    EXPECT_EQ(p[2].PieceText, "lo ");
    EXPECT_DOUBLE_EQ(p[2].StartTime, 12.75);
    EXPECT_TRUE(p[3].LineBreak);
    EXPECT_FALSE(p[1].LineBreak);
    EXPECT_DOUBLE_EQ(p[5].StartTime, 15.6);  // comma decimal
    EXPECT_FALSE(p[5].LineBreak);            // last piece of the song
    EXPECT_EQ(p[1].LineText, "Hello world");
    EXPECT_EQ(p[5].LineText, "Goodbye");
    EXPECT_EQ(m.LyricsHeader, "song");
    EXPECT_EQ(m.WidestLine, "Hello world");
}

TEST(LrsFormat, EdgeRulesOfTheGrammar) {
    PieceArray p;
    // Only the first "]" ends the tag; an empty piece after a tag is a piece.
    ASSERT_TRUE(ParseLrsTextForEditor("[1]a]b\r\n[5]\r\n[6]c", p));
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[1].PieceText, "a]b");
    EXPECT_EQ(p[2].PieceText, "");
    EXPECT_TRUE(p[2].LineBreak);
    // Comments and empty lines are skipped; a lone LF ends a line too.
    ASSERT_TRUE(ParseLrsTextForEditor("#x\r\n\r\n#IMAGE=a\r\n[1]a\n[2]b", p));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].PieceText, "a");
    EXPECT_TRUE(p[1].LineBreak);
    // Text before the first tag, or an untagged line, fails and leaves nothing.
    EXPECT_FALSE(ParseLrsTextForEditor("[1]a\r\nplain text", p));
    EXPECT_EQ(p.size(), 1u);
    EXPECT_FALSE(ParseLrsTextForEditor("x[1]a", p));
    // A block with no lyric lines is a success with no pieces.
    LyricsModel m;
    EXPECT_TRUE(ParseLrsText("#Cantabilex\r\n", m, {}));
    EXPECT_EQ(m.UpperBound(), 0);
    // A line ending in "[" still closes its line on the last real piece.
    ASSERT_TRUE(ParseLrsTextForEditor("[1]a[\r\n[2]b", p));
    EXPECT_TRUE(p[1].LineBreak);
}

TEST(LrsFormat, WriterRoundTripsAndFindsBlocks) {
    PieceArray p;
    ASSERT_TRUE(ParseLrsTextForEditor(kExample, p));
    const std::string block = BuildLrsBlock(p);
    EXPECT_EQ(block,
              "#Cantabilex\r\n[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15.6]bye\r\n"
              "#End Cantabilex");
    auto found = FindLrsBlock("junk" + block + "\r\nTAG");
    ASSERT_TRUE(found.span);
    EXPECT_EQ(found.span->begin, 4u);
    EXPECT_TRUE(FindLrsBlock("#End Cantabilex #Cantabilex").damaged);
    EXPECT_FALSE(FindLrsBlock("#Cantabilex only").span);

    test::TempDir dir;
    p[1].PieceText = "Zażółć[";
    ASSERT_TRUE(WriteLrsFile(p, dir / "a.lrs", Codepage::Cp1250));
    EXPECT_EQ(test::ReadBytes(dir / "a.lrs").substr(0, 20), "#Cantabilex\r\n[12.5]Z");
    // Characters outside the code page make a UTF-8 file with a BOM and a warning.
    auto r = WriteLrsFile(p, dir / "b.lrs", Codepage::Cp1252);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r.warning.empty());
    EXPECT_EQ(test::ReadBytes(dir / "b.lrs").substr(0, 3), "\xEF\xBB\xBF");
    PieceArray back;
    ASSERT_TRUE(ParseLrsTextForEditor(
        DecodeTextFile(test::ReadBytes(dir / "b.lrs"), Codepage::Cp1252), back));
    EXPECT_EQ(back[1].PieceText, "Zażółć(");
}

}  // namespace cx
