// Lyrics files as users have them: LF or lone CR line ends, UTF-8 with or
// without a byte-order mark, and 8-bit text in the language's code page.
#include <gtest/gtest.h>

#include "lyrics/DisplayBlock.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::WithLineEnds;

// How each lyrics text reader takes LF, lone CR and blank lines:
// LyricsText.EachFormatReadsItsPiecesLinesAndTimes.
TEST(LineEnds, DisplayBlockWithLfOrCrEnds) {
    const std::string block =
        "#CBXGraphs\r\n#ARTIST=Band\r\n#TITLE=Song\r\n#FORE COLOR=255\r\n"
        "#IMAGE=/abs/b.png%7\r\n\r\n#End CBXGraphs\r\n";
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        DisplayBlock b;
        ASSERT_TRUE(ReadDisplayBlock(std::string(64, '\0') + WithLineEnds(block, end), "/songs",
                                     Codepage::Cp1252, b));
        EXPECT_EQ(b.Artist, "Band");
        EXPECT_EQ(b.Title, "Song");
        EXPECT_EQ(b.ForeColor, 255);
        ASSERT_EQ(b.Images.size(), 2u);
        EXPECT_EQ(b.Images[1].Time, 7);
    }
    // An end marker that does not close a line is not the end of a block.
    DisplayBlock b;
    EXPECT_FALSE(ReadDisplayBlock("#CBXGraphs\n#TITLE=x\n#End CBXGraphs", "", Codepage::Cp1252, b));
}

TEST(LineEnds, LoaderFindsLfFilesBesideTheSong) {
    test::TempDir dir;
    const std::string audio(200, '\0');
    const struct {
        const char* song;
        const char* beside;  // or null: the lyrics are in the song
        std::string text;
        LyricsSource source;
    } cases[] = {
        {"a", "a.lrc", "[ar:X]\n[00:01.00]One\n[00:02.00]Two\n", LyricsSource::Lrc},
        {"b", "b.kok", "One;01,0000;\rTwo;02,0000;\r", LyricsSource::Kok},
        {"c", nullptr, "#Cantabilex\n[1]One\n[2]Two\n#End Cantabilex\n", LyricsSource::Lrs},
    };
    for (const auto& c : cases) {
        const auto song = dir / (std::string(c.song) + ".mp3");
        test::WriteBytes(song, c.beside ? audio : audio + c.text);
        if (c.beside) test::WriteBytes(dir / c.beside, c.text);
        LyricsModel m;
        const LoadLyricsResult r = LoadLyrics(song, m, {}, Codepage::Cp1252);
        ASSERT_TRUE(r.ok) << c.song << ": " << r.reason;
        EXPECT_EQ(r.source, c.source) << c.song;
        ASSERT_EQ(m.UpperBound(), 2) << c.song;
        EXPECT_EQ(m.Lyrics[2].PieceText, "Two") << c.song;
    }
}

TEST(Encoding, Utf8WithAndWithoutBomAnd1250ForPolish) {
    const std::string zolw = "\xC5\xBC\xC3\xB3\xC5\x82w";  // "żółw" in UTF-8
    test::TempDir dir;
    test::WriteBytes(dir / "bom.lrc", "\xEF\xBB\xBF[00:01.00]" + zolw + "\n");
    test::WriteBytes(dir / "plain.lrc", "[00:01.00]" + zolw + "\n");
    // The same word in code page 1250, which 1252 would read as "¿ó³w".
    test::WriteBytes(dir / "cp.lrc", "[00:01.00]\xBF\xF3\xB3w\r\n");
    for (const char* name : {"bom.lrc", "plain.lrc"}) {
        for (Codepage cp : {Codepage::Cp1250, Codepage::Cp1252}) {
            TextFileRead read = ReadLyricsTextFile(dir / name, cp);
            ASSERT_TRUE(read.ok);
            PieceArray p;
            ASSERT_TRUE(ParseLrcText(read.text, p)) << name;
            ASSERT_EQ(p.size(), 2u);
            EXPECT_EQ(p[1].PieceText, zolw) << name;
        }
    }
    // Under another language than Polish the code page is told from the text.
    for (const char* language : {"pl", "en"}) {
        PieceArray p;
        ASSERT_TRUE(ParseLrcText(
            ReadLyricsTextFile(dir / "cp.lrc", CodepageForLanguage(language)).text, p));
        EXPECT_EQ(p[1].PieceText, zolw) << language;
    }
}

TEST(Encoding, WritersKeepTheCodepageUnlessTheTextDoesNotFit) {
    test::TempDir dir;
    PieceArray p(1);
    p.push_back({"", "\xC5\xBC\xC3\xB3\xC5\x82w", 1.0, true});  // fits 1250
    ASSERT_TRUE(WriteLrsFile(p, dir / "a.lrs", Codepage::Cp1250));
    EXPECT_EQ(test::ReadBytes(dir / "a.lrs"), "#Cantabilex\r\n[1]\xBF\xF3\xB3w\r\n#End Cantabilex");
    p[1].PieceText = "\xE2\x99\xAA";  // a note sign no code page holds
    const LyricsResult r = WriteLrsFile(p, dir / "b.lrs", Codepage::Cp1250);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r.warning.empty());
    EXPECT_EQ(test::ReadBytes(dir / "b.lrs").substr(0, 3), "\xEF\xBB\xBF");
}

TEST(LineEnds, EveryCorpusLrcGivesTimedPieces) {
    CX_REQUIRE_CORPUS();
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(test::CorpusDir() / "lrc")) {
        // A file cut off inside its only tag holds nothing to show.
        if (e.path().extension() != ".lrc" || e.path().filename() == "osdl_offset_unterminated.lrc")
            continue;
        ++files;
        TextFileRead read = ReadLyricsTextFile(e.path(), Codepage::Cp1252);
        ASSERT_TRUE(read.ok) << e.path();
        PieceArray p;
        const LyricsResult r = ParseLrcText(read.text, p);
        ASSERT_TRUE(r) << e.path() << ": " << r.reason;
        for (std::size_t i = 1; i < p.size(); ++i) {
            // No raw tags painted as text: a line tag never stays in a piece.
            EXPECT_EQ(p[i].PieceText.find("[0"), std::string::npos) << e.path();
            EXPECT_EQ(p[i].PieceText.find('\n'), std::string::npos) << e.path();
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace cx
