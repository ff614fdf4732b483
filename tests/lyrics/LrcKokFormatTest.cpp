#include <gtest/gtest.h>

#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {

TEST(LrcFormat, TimeTagsWithTwoOrThreeFractionDigits) {
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("1:02.50"), 62.5);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("01:02.50"), 62.5);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("01:02"), 62);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("1:02"), 62);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("01:23.456"), 83.456);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("1:23.456"), 83.456);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("0:00:01"), 0.01);
    for (const char* bad :
         {"01:02.5000", "01:02.5", "1:02:03:04", "ar:Someone", "offset:500", "1:2", "001:02", ""})
        EXPECT_FALSE(IsLrcTimeTag(bad)) << bad;
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("01:02.5000"), 0);
    // What the writer makes of the longest time the reader takes reads back.
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("99:74.99"), 6014.99);
    EXPECT_DOUBLE_EQ(LrcTimeToSeconds("100:14.99"), 6014.99);
    // Times past the longest tag are written as it, in both flavours.
    PieceArray late;
    ASSERT_TRUE(ParseLrcText("[999:73.99]late\r\n", late));
    EXPECT_EQ(ExportLrc(late, LrcFlavour::Extended).substr(0, 15), "[999:59.99]late");
    EXPECT_EQ(ExportLrc(late, LrcFlavour::Plain).substr(0, 12), "[999:59]late");
}

// Each text format read into pieces ("|" after a piece, "/" after a line's
// last), whether its lines end in CR LF, LF or a lone CR.
TEST(LyricsText, EachFormatReadsItsPiecesLinesAndTimes) {
    const struct {
        char format;  // LRC, KOK or the editor's LRS
        const char* text;
        const char* pieces;  // "" when reading fails
        const char* lines = "";
        std::vector<double> times = {};
    } cases[] = {
        // clang-format off
        // LRC lines close on their last piece, also the song's last one.
        {'c', "[ti:Song]\r\n[00:12.50]Hel<00:12.75>lo <00:13.10>world\r\n"
              "[00:15.00]Good<00:15.60>bye\r\n", "Hel|lo |world/Good|bye/",
         "Hello world/Goodbye/", {12.5, 12.75, 13.1, 15, 15.6}},
        {'s', "#Cantabilex\r\n[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15,6]bye\r\n"
              "#End Cantabilex", "Hel|lo |world/Good|bye|",
         "Hello world/Goodbye/", {12.5, 12.75, 13.1, 15, 15.6}},
        // LF LF is one empty line, CR CR LF an empty line and then a line end.
        {'c', "[00:01.00]a\n\n[00:02.00]b\r\r\n[00:03.00]c", "a/b/c/"},
        // An empty KOK line still closes the line before it, whatever its end.
        {'k', "Hel;12,5000;lo ;12,7500;\n\n", "Hel|lo /"},
        // Repeats and stable sorting: equal times keep file order.
        {'c', "[ar:Someone]\r\n[00:30.00]Middle\r\n[00:10.00][01:20.00]La la\r\n"
              "[00:30.00]Same time\r\n[01:02.500]Milli<01:02.625>seconds",
         "La la/Middle/Same time/Milli|seconds/La la/",
         "La la/Middle/Same time/Milliseconds/La la/", {10, 30, 30, 62.5, 62.625, 80}},
        {'c', "[00:12.50]Hel<00:12.75>lo <00:13.10>world\r\n[00:15.00]x", "Hel|lo |world/x/",
         "Hello world/x/", {12.5, 12.75, 13.1, 15}},
        // An invalid word tag drops its text; a last part without one leaves the
        // line open so it joins the next.
        {'c', "[00:01.00]a<bad>b<00:02.00>c<zz>d\r\n[00:03.00]e", "a|c|e/", "ace/"},
        // A bracket inside the sung text keeps the words before it.
        {'c', "[00:01.00]Hello [world]", "Hello [world]/"},
        {'c', "[00:01.00][a]Hi", "Hi/"},  // a voice marker goes with the time
        {'c', "[ti:Something]\r\nuntimed line", ""},
        // A last line without CR LF still has its text.
        {'k', "Hel;12,5000;lo ;12,7500;world;13,1000;\r\nGood;15,0000;bye;15,6000;",
         "Hel|lo |world/Good|bye|", "Hello world/Goodbye/", {12.5, 12.75, 13.1, 15, 15.6}},
        {'k', "Hel;12,5000;lo ;12,7500;\r\n\r\n\r\n", "Hel|lo /"},
        {'k', "a;12.5000;b;1,5000;", "a|12.5000|b|1,5000|"},  // neither field is a time
        {'k', "12,0000;\r\nno fields", ""},
        // Only the first "]" ends the tag; an empty piece after a tag is a piece.
        {'s', "[1]a]b\r\n[5]\r\n[6]c", "a]b//c|"},
        // Comments and empty lines are skipped; a lone LF ends a line too.
        {'s', "#x\r\n\r\n#IMAGE=a\r\n[1]a\n[2]b", "a/b|"},
        // Text before the first tag, or an untagged line, fails and leaves nothing.
        {'s', "[1]a\r\nplain text", ""},
        {'s', "x[1]a", ""},
        {'s', "[1]a[\r\n[2]b", "a/b|"},  // a line ending in "[" closes on its last piece
        // clang-format on
    };
    for (const auto& c : cases) {
        for (const std::string end : {"\r\n", "\n", "\r"}) {
            const std::string text = test::WithLineEnds(c.text, end);
            SCOPED_TRACE(testing::PrintToString(text));
            PieceArray p;
            const bool ok = c.format == 'c'   ? ParseLrcText(text, p).ok
                            : c.format == 'k' ? ParseKokText(text, p).ok
                                              : ParseLrsTextForEditor(text, p).ok;
            EXPECT_EQ(ok, *c.pieces != 0);
            EXPECT_EQ(test::PieceTexts(p), c.pieces);
            if (*c.lines) {
                EXPECT_EQ(test::LineTexts(p), c.lines);
            }
            if (!c.times.empty()) {
                EXPECT_EQ(test::StartTimes(p), c.times);
            }
        }
    }
    EXPECT_EQ(SplitLines("a\r\n\nb\r").size(), 4u);
}

TEST(LrcFormat, OffsetAndMetadataLines) {
    // Positive offsets show the lyrics earlier; times never go below 0.
    const struct {
        const char* tag;
        int offsetMs;
        double first;
    } offsets[] = {
        {"[offset:+250]", 250, 0.75},
        {"[offset:-500]", -500, 1.5},
        {"[offset: 250]", 250, 0.75},
        {"[oFfSeT: 75 ]", 75, 0.925},
        {"[offset:+5000]", 5000, 0},
        {"[offset:abc]", 0, 1},
        {"[offset:99999999999]", kMaxLrcOffsetMs, 0},
    };
    for (const auto& o : offsets) {
        PieceArray p;
        LrcTags tags;
        ASSERT_TRUE(ParseLrcText(std::string(o.tag) + "\r\n[00:01.00]One<00:02.00>two", p, &tags));
        EXPECT_EQ(tags.OffsetMs, o.offsetMs) << o.tag;
        EXPECT_DOUBLE_EQ(p[1].StartTime, o.first) << o.tag;
        EXPECT_DOUBLE_EQ(p[2].StartTime, std::max(0.0, 2 - o.offsetMs / 1000.0)) << o.tag;
    }
    // Metadata never shows as lyrics, also without a time on the line.
    PieceArray p;
    LrcTags tags;
    ASSERT_TRUE(
        ParseLrcText("[ar: The Band]\r\n[ti:A Song]\r\n[al:Disc]\r\n[by:Me]\r\n"
                     "[re:Tool]\r\n[ve:1.0]\r\n[length: 2:58]\r\n[00:01.00]Words",
                     p, &tags));
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(tags.Artist, "The Band");
    EXPECT_EQ(tags.Title, "A Song");
    EXPECT_EQ(tags.Album, "Disc");
    // The offset is kept on writing: the file reads back to the same times.
    ASSERT_TRUE(ParseLrcText("[offset:+250]\r\n[00:01.00]One<00:02.00>two", p));
    const std::string written = ExportLrc(p, LrcFlavour::Extended, 250);
    EXPECT_EQ(written, "[offset:+250]\r\n[00:01.00]One<00:02.00>two\r\n");
    PieceArray back;
    ASSERT_TRUE(ParseLrcText(written, back));
    EXPECT_DOUBLE_EQ(back[2].StartTime, p[2].StartTime);
    EXPECT_EQ(ExportLrc(p, LrcFlavour::Plain, -500).substr(0, 15), "[offset:-500]\r\n");

    // The title page takes the LRC's artist and title when nothing else names the song.
    test::TempDir dir;
    test::WriteBytes(dir / "s.mp3", std::string(100, '\0'));
    test::WriteBytes(dir / "s.lrc", "[ar:The Band]\r\n[ti:A Song]\r\n[00:01.00]Words");
    LyricsModel m;
    ASSERT_TRUE(LoadLrcFile(dir / "s.mp3", m, {}, Codepage::Cp1252));
    EXPECT_EQ(m.LyricsHeader, "The Band|A Song");
    AfterLoadContext tagged;
    tagged.Header.TagTitle = "Tag Title";
    ASSERT_TRUE(LoadLrcFile(dir / "s.mp3", m, tagged, Codepage::Cp1252));
    EXPECT_EQ(m.LyricsHeader, "Tag Title");
}

TEST(LrcFormat, ExportFlavours) {
    PieceArray p(1);
    p.push_back({"", "Hel", 83.456, false});
    p.push_back({"", "lo", 84.1, true});
    p.push_back({"", "Next", 125.5, false});
    EXPECT_EQ(ExportLrc(p, LrcFlavour::Extended),
              "[01:23.45]Hel<01:24.10>lo\r\n[02:05.50]Next\r\n");
    p[1].StartTime = 83.6;
    EXPECT_EQ(ExportLrc(p, LrcFlavour::Plain), "[01:24]Hello\r\n[02:06]Next\r\n");
    PieceArray back;
    ASSERT_TRUE(ParseLrcText(ExportLrc(p, LrcFlavour::Extended), back));
    EXPECT_EQ(back.size(), 4u);
}

TEST(KokFormat, ExportReadsBackIncludingShortTimes) {
    PieceArray p(1);
    p.push_back({"", "a;b", 83.456, false});
    p.push_back({"", "c", 12, true});
    p.push_back({"", "d", 5.25, false});
    const std::string text = ExportKok(p);
    EXPECT_EQ(text, "a,b;83,4560;c;12,0000;\r\nd;05,2500;");
    PieceArray back;
    ASSERT_TRUE(ParseKokText(text, back));
    ASSERT_EQ(back.size(), 4u);
    EXPECT_DOUBLE_EQ(back[3].StartTime, 5.25);
}

TEST(LyricsFiles, SiblingsMatchWithoutRegardToCase) {
    test::TempDir dir;
    test::WriteBytes(dir / "song.mp3", "x");
    test::WriteBytes(dir / "song.LRC", "[00:01.00]Hi\r\n");
    test::WriteBytes(dir / "SONG.kok", "Hi;01,0000;");
    auto lrc = FindSiblingFile(dir / "song.mp3", "lrc");
    ASSERT_TRUE(lrc);
    EXPECT_EQ(lrc->filename(), "song.LRC");
    EXPECT_TRUE(FindSiblingFile(dir / "song.mp3", "kok"));
    EXPECT_FALSE(FindSiblingFile(dir / "song.mp3", "lrs"));

    LyricsModel m;
    ASSERT_TRUE(LoadLrcFile(dir / "song.mp3", m, {}, Codepage::Cp1252));
    EXPECT_EQ(m.WidestLine, "Hi");
    EXPECT_EQ(m.LyricsHeader, "song");
    ASSERT_TRUE(LoadKokFile(dir / "song.mp3", m, {}, Codepage::Cp1252));
    EXPECT_TRUE(m.KokTiming);
}

TEST(LyricsFiles, CorpusLrcFilesLoadOrFailCleanly) {
    CX_REQUIRE_CORPUS();
    int loaded = 0;
    for (const auto& e : std::filesystem::directory_iterator(test::CorpusDir() / "lrc")) {
        TextFileRead read = ReadLyricsTextFile(e.path(), Codepage::Cp1252);
        ASSERT_TRUE(read.ok);
        PieceArray p;
        LyricsResult r = ParseLrcText(read.text, p);
        if (!r) {
            EXPECT_FALSE(r.reason.empty());
            continue;
        }
        ++loaded;
        for (std::size_t i = 2; i < p.size(); ++i) EXPECT_LE(p[i - 1].StartTime, p[i].StartTime);
        PieceArray again;
        EXPECT_TRUE(ParseLrcText(ExportLrc(p, LrcFlavour::Extended), again)) << e.path();
    }
    EXPECT_GT(loaded, 0);
}

// The editor's own text format.
constexpr const char* kExample =
    "#Cantabilex\r\n[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15,6]bye\r\n#End Cantabilex";

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
