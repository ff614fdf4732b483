#include "lyrics/LrsFormat.h"

#include <gtest/gtest.h>

#include "support/Pieces.h"
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
    // A comma decimal; no break after the song's last piece.
    EXPECT_EQ(test::PieceTexts(m.Lyrics), "Hel|lo |world/Good|bye|");
    EXPECT_EQ(test::LineTexts(m.Lyrics), "Hello world/Goodbye/");
    EXPECT_EQ(test::StartTimes(m.Lyrics), (std::vector<double>{12.5, 12.75, 13.1, 15, 15.6}));
    EXPECT_EQ(m.LyricsHeader, "song");
    EXPECT_EQ(m.WidestLine, "Hello world");
    // A block with no lyric lines is a success with no pieces; the edges of
    // the grammar: LyricsText.EachFormatReadsItsPiecesLinesAndTimes.
    EXPECT_TRUE(ParseLrsText("#Cantabilex\r\n", m, {}));
    EXPECT_EQ(m.UpperBound(), 0);
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
