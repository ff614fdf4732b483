// The lyrics verbs of cbx, run as the user runs them.
#include <gtest/gtest.h>

#include <string>

#include "MediaFixtures.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Cbx;
using test::CbxIn;
using test::CbxRun;
using test::Quote;

using test::Count;

}  // namespace

TEST(CbxLyrics, WorkedExamplesRoundTripThroughJsonAndConvert) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "ex.kok",
                     "Hel;12,5000;lo ;12,7500;world;13,1000;\r\nGood;15,0000;bye;15,6000;");
    const CbxRun kok = Cbx("lyrics --json " + Quote(dir / "ex.kok"));
    ASSERT_EQ(kok.code, 0);
    EXPECT_NE(kok.out.find("\"source\": \"kok\""), std::string::npos);
    EXPECT_NE(kok.out.find("\"kok_timing\": true"), std::string::npos);
    EXPECT_NE(kok.out.find("{\"start\": 12.75, \"text\": \"lo \", \"line\": \"Hello world\", "
                           "\"break\": false}"),
              std::string::npos);

    ASSERT_EQ(
        Cbx("convert " + Quote(dir / "ex.kok") + " --to lrs -o " + Quote(dir / "ex.lrs")).code, 0);
    EXPECT_EQ(test::ReadBytes(dir / "ex.lrs"),
              "#Cantabilex\r\n[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15.6]bye\r\n"
              "#End Cantabilex");
    ASSERT_EQ(Cbx("convert " + Quote(dir / "ex.lrs") + " --to kok -o " + Quote(dir / "b.kok")).code,
              0);
    EXPECT_EQ(test::ReadBytes(dir / "b.kok"), test::ReadBytes(dir / "ex.kok"));

    EXPECT_EQ(Cbx("convert " + Quote(dir / "ex.lrs") + " --to xml -o x").code, 2);
    EXPECT_EQ(Cbx("lyrics").code, 2);
    EXPECT_EQ(Cbx("lyrics " + Quote(dir / "missing.lrc")).code, 1);
    EXPECT_EQ(Cbx("lyrics --help").code, 0);
}

TEST(CbxLyrics, EmbedTwiceLeavesOneBlockAndTheTag) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    const std::string tag = test::MakeId3v1("Title", "Artist", 1, 0);
    test::WriteBytes(dir / "song.mp3", test::MakeMp3(30) + tag);
    test::WriteBytes(dir / "words.lrc", "[00:01.00]One\r\n[00:02.00]Two\r\n");
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(Cbx("embed " + Quote(dir / "words.lrc") + " " + Quote(dir / "song.mp3")).code, 0);
    const std::string bytes = test::ReadBytes(dir / "song.mp3");
    EXPECT_EQ(bytes.find("#Cantabilex"), bytes.rfind("#Cantabilex"));
    EXPECT_EQ(bytes.substr(bytes.size() - 128 - 17), "#End Cantabilex\r\n" + tag);

    const CbxRun lyrics = Cbx("lyrics --json " + Quote(dir / "song.mp3"));
    ASSERT_EQ(lyrics.code, 0);
    EXPECT_NE(lyrics.out.find("\"source\": \"lrs\", \"header\": \"Artist|Title\""),
              std::string::npos);
    const CbxRun info = Cbx("info --json " + Quote(dir / "song.mp3"));
    ASSERT_EQ(info.code, 0);
    EXPECT_NE(info.out.find("\"format\": \"MP3\""), std::string::npos);

    test::WriteBytes(dir / "text.mp3", "not audio");
    EXPECT_EQ(Cbx("embed " + Quote(dir / "words.lrc") + " " + Quote(dir / "text.mp3")).code, 1);
    EXPECT_EQ(Cbx("display-block " + Quote(dir / "song.mp3")).code, 1);
}

TEST(CbxLyrics, KaraokeMessagesCodepageAndDisplayBlockFolder) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "pl.mp3", std::string(100, '\0'));
    test::WriteBytes(dir / "pl.lrc", "[00:01.00]\xBF\xF3\xB3w\n");
    test::WriteBytes(dir / "none.mp3", std::string(100, '\0'));

    CbxRun r = CbxIn(dir.Path(), "karaoke pl.mp3 --at 2 -o nowhere/frame.png");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("folder nowhere does not exist"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(".png, .bmp"), std::string::npos) << r.out;
    r = CbxIn(dir.Path(), "karaoke pl.mp3 --at 2 -o frame.txt");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find(".png, .bmp"), std::string::npos) << r.out;

    r = CbxIn(dir.Path(), "karaoke none.mp3 --at 2 -o frame.png");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Count(r.out, "no lyrics found"), 1u) << r.out;

    EXPECT_EQ(CbxIn(dir.Path(), "karaoke pl.mp3 --at 2 -o frame.png --codepage 1251").code, 2);
    r = CbxIn(dir.Path(), "karaoke pl.mp3 --at 2 -o frame.png --codepage 1250");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "frame.png"));
    // Without --codepage the code page is told from the text; a choice wins.
    for (const char* option : {"", "--codepage auto", "--codepage 1250"}) {
        r = CbxIn(dir.Path(), std::string("lyrics --json pl.mp3 ") + option);
        EXPECT_NE(r.out.find("\"text\": \"\xC5\xBC\xC3\xB3\xC5\x82w\""), std::string::npos)
            << option << r.out;
    }
    r = CbxIn(dir.Path(), "lyrics --json pl.mp3 --codepage 1252");
    EXPECT_NE(r.out.find("\"text\": \"\xC2\xBF\xC3\xB3\xC2\xB3w\""), std::string::npos) << r.out;

    // Words in ID3v2 tags: synchronised as timed pieces, plain ones at 0 to be timed.
    test::WriteBytes(dir / "sylt.mp3", test::MakeMp3(20));
    test::AddId3v2Lyrics(dir / "sylt.mp3", {{1500, "Timed"}}, "");
    r = CbxIn(dir.Path(), "lyrics --json sylt.mp3");
    EXPECT_NE(r.out.find("\"source\": \"id3v2-sylt\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"start\": 1.5, \"text\": \"Timed\""), std::string::npos) << r.out;
    test::WriteBytes(dir / "uslt.mp3", test::MakeMp3(20));
    test::AddId3v2Lyrics(dir / "uslt.mp3", {}, "Plain words");
    r = CbxIn(dir.Path(), "lyrics --json uslt.mp3");
    EXPECT_NE(r.out.find("\"source\": \"id3v2-uslt\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"text\": \"words\", \"line\": \"Plain words\""), std::string::npos)
        << r.out;

    // Relative picture paths are the song's folder's, wherever cbx runs.
    std::filesystem::create_directories(dir / "songs");
    test::WriteBytes(dir / "songs" / "s.mp3",
                     std::string(100, '\0') +
                         "#CBXGraphs\n#PICTURE=back.jpg\n#IMAGE=pics\\a.jpg%5\n#End CBXGraphs\n");
    r = CbxIn(dir.Path(), "display-block --json songs/s.mp3");
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string folder = std::filesystem::absolute(dir / "songs").string();
    EXPECT_NE(r.out.find("\"Picture\": \"" + folder + "/back.jpg\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Path\": \"" + folder + "/pics/a.jpg\""), std::string::npos) << r.out;
}

}  // namespace cx
