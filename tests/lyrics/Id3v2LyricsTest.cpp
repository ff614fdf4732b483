// Lyrics inside an MP3's tags, and how the loader reports lyrics it
// found but could not use.
#include <gtest/gtest.h>

#include "lyrics/Id3v1.h"
#include "lyrics/Id3v2Lyrics.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/MediaFixtures.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

struct Want {
    double time;
    const char* text;
    bool lineBreak;
};

TEST(Id3v2Lyrics, SynchronisedLyricsInEveryTimeStampFormAndLineStyle) {
    const double frame = 1152.0 / 44100.0;
    const struct {
        const char* name;
        test::SyltEntries sylt;
        bool inFrames;
        std::vector<Want> want;
    } cases[] = {
        // clang-format off
        {"words, line ends before the text, milliseconds",
         {{1000, "Hel"}, {1250, "lo "}, {1500, "world"}, {3000, "\nGood"}, {3600, "bye"}}, false,
         {{1, "Hel", false}, {1.25, "lo ", false}, {1.5, "world", true}, {3, "Good", false},
          {3.6, "bye", false}}},
        {"lines ended after the text", {{500, "One\n"}, {2500, "Two\r\n"}}, false,
         {{0.5, "One", true}, {2.5, "Two", false}}},
        {"whole lines without line ends, out of order", {{4000, "Second"}, {2000, "First"}}, false,
         {{2, "First", true}, {4, "Second", false}}},
        {"MPEG frame time stamps", {{100, "Far"}, {200, " away"}}, true,
         {{100 * frame, "Far", true}, {200 * frame, " away", false}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::WriteBytes(dir / "s.mp3", test::MakeMp3(20));
        test::AddId3v2Lyrics(dir / "s.mp3", c.sylt, "", c.inFrames);
        const ReadResult head = ReadSongHead(dir / "s.mp3");
        ASSERT_TRUE(head.bytes) << c.name;
        const Id3v2Lyrics read = ReadId3v2Lyrics(*head.bytes, Codepage::Cp1252);
        ASSERT_EQ(read.Timed.size(), c.want.size() + 1) << c.name << ": " << read.reason;
        for (std::size_t i = 0; i < c.want.size(); ++i) {
            const LyricPiece& p = read.Timed[i + 1];
            EXPECT_NEAR(p.StartTime, c.want[i].time, 1e-9) << c.name << " " << i;
            EXPECT_EQ(p.PieceText, c.want[i].text) << c.name << " " << i;
            EXPECT_EQ(p.LineBreak, c.want[i].lineBreak) << c.name << " " << i;
        }
    }
    // A tag cut short is refused, not read past its end.
    test::TempDir dir;
    test::WriteBytes(dir / "s.mp3", test::MakeMp3(5));
    test::AddId3v2Lyrics(dir / "s.mp3", {{1, "x"}}, "");
    const std::string bytes = *ReadSongHead(dir / "s.mp3").bytes;
    EXPECT_FALSE(ReadId3v2Lyrics(bytes.substr(0, 30), Codepage::Cp1252).reason.empty());
    EXPECT_EQ(Id3v2TagLength({"ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10}), 10u + 0x0FFFFFFFu);
    EXPECT_EQ(Id3v2TagLength({"ID3\x04\x00\x00\x80\x00\x00\x00", 10}), 0u);
}

TEST(Id3v2Lyrics, LoaderTakesTheTagAfterEveryOtherSourceAndSaysWhatItCouldNotUse) {
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    test::WriteBytes(song, test::MakeMp3(20));
    test::AddId3v2Lyrics(song, {{1000, "Tag"}, {2000, "\nWords"}}, "Plain words here\nSecond line");
    LyricsModel m;
    LoadLyricsResult r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.source, LyricsSource::Id3Sylt);
    ASSERT_EQ(m.UpperBound(), 2);
    EXPECT_EQ(m.Lyrics[1].LineText, "Tag");

    // A file beside the song wins; one that holds nothing timed is named with why.
    test::WriteBytes(dir / "song.lrc", "[ar:Someone]\r\njust words\r\n");
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_EQ(r.source, LyricsSource::Id3Sylt);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0], "song.lrc: it holds no timed line");
    test::WriteBytes(dir / "song.lrc", "[00:05.00]From the file\r\n");
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_EQ(r.source, LyricsSource::Lrc);
    EXPECT_TRUE(r.problems.empty());
    std::filesystem::remove(dir / "song.lrc");
    test::WriteBytes(dir / "song.lrs", "#Cantabilex\r\nno tags here\r\n#End Cantabilex");
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_EQ(r.source, LyricsSource::Id3Sylt);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].rfind("song.lrs: ", 0), 0u) << r.problems[0];
    std::filesystem::remove(dir / "song.lrs");

    // Plain words only: no timed lyrics, the words come back untimed.
    const auto plain = dir / "plain.mp3";
    test::WriteBytes(plain, test::MakeMp3(20));
    test::AddId3v2Lyrics(plain, {}, "Plain words  here\r\nSecond line");
    r = LoadLyrics(plain, m, {}, Codepage::Cp1252);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(m.HasLyrics());
    EXPECT_EQ(r.source, LyricsSource::Id3Uslt);
    EXPECT_EQ(r.untimed, "Plain words  here\nSecond line");
    const PieceArray pieces = SplitUntimedText(r.untimed);
    EXPECT_EQ(test::PieceTexts(pieces), "Plain |words  |here/Second |line|");
    EXPECT_EQ(test::LineTexts(pieces), "Plain words  here/Second line/");
}

// The older lyrics block before the ID3v1 tag, and that tag.
TEST(Lyrics3, WrittenBlockReadsBackBeforeTheId3v1Tag) {
    const std::string tag = test::MakeId3v1("T", "A", 1, 0);
    std::string error;
    const std::string block =
        BuildLyrics3Block({"me", "Band", "Song", "", "", "[00:01.00]Hi"}, error);
    ASSERT_FALSE(block.empty()) << error;
    EXPECT_EQ(block.substr(block.size() - 9), "LYRICS200");
    const std::string file = ReplaceLyrics3(test::MakeMp3(2) + tag, block);
    EXPECT_EQ(file.substr(file.size() - 128), tag);
    Lyrics3Block b = ReadLyrics3(file);
    ASSERT_TRUE(b.Exists);
    EXPECT_EQ(b.Version, 2);
    EXPECT_EQ(b.Lyrics, "[00:01.00]Hi");
    EXPECT_EQ(b.Artist, "Band");
    EXPECT_EQ(b.Indications, "110");
    EXPECT_EQ(b.Offset + b.Size, file.size() - 128);

    // Replacing keeps one block; an empty block removes it.
    const std::string again = ReplaceLyrics3(file, block);
    EXPECT_EQ(again, file);
    EXPECT_EQ(ReplaceLyrics3(file, ""), test::MakeMp3(2) + tag);

    Lyrics3Fields huge;
    huge.Lyrics.assign(kLyrics3MaxField + 1, 'x');
    EXPECT_TRUE(BuildLyrics3Block(huge, error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(Lyrics3, DamagedBlocksAndTheOldForm) {
    // A size pointing before the file, a size with a letter, a field running past the end.
    EXPECT_FALSE(ReadLyrics3("LYRICSBEGIN999999LYRICS200").Exists);
    EXPECT_FALSE(ReadLyrics3("xxLYRICSBEGIN00001xLYRICS200").Exists);
    const std::string body = "LYRICSBEGINLYR99999abc";
    Lyrics3Block b = ReadLyrics3(body + "0000" + std::to_string(body.size()) + "LYRICS200");
    EXPECT_TRUE(b.Exists);
    EXPECT_EQ(b.Lyrics, "");

    b = ReadLyrics3("audioLYRICSBEGIN[00:01.00]Hi\r\nLYRICSEND" + test::MakeId3v1("", "", 0, 0));
    ASSERT_TRUE(b.Exists);
    EXPECT_EQ(b.Version, 1);
    EXPECT_EQ(b.Lyrics, "[00:01.00]Hi\r\n");
}

TEST(Id3v1, ParseBuildAndPadding) {
    Id3v1Values v;
    ASSERT_TRUE(ParseId3v1(test::MakeId3v1("Title  ", "Artist", 7, 17), v));
    EXPECT_EQ(v.Title, "Title");
    EXPECT_EQ(v.Track, 7);
    EXPECT_EQ(GenreName(v.Genre), "Rock");
    EXPECT_FALSE(ParseId3v1("TAG", v));

    Id3v1Values w{"A title that is longer than thirty bytes", "B", "C", "2001", "comment", 3, 67};
    const std::string tag = BuildId3v1(w);
    ASSERT_EQ(tag.size(), 128u);
    Id3v1Values back;
    ASSERT_TRUE(ParseId3v1(tag, back));
    EXPECT_EQ(back.Title, "A title that is longer than th");
    EXPECT_EQ(back.Year, "2001");
    EXPECT_EQ(back.Track, 3);
    EXPECT_EQ(back.Genre, GenreNumber("psychadelic"));
    EXPECT_EQ(CutSp("ab  \0\0"), "ab");
    EXPECT_EQ(GenreNumber("Not a genre"), 255);
}

}  // namespace
}  // namespace cx
