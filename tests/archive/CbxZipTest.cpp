// cbx verbs on zipped songs, run as the user runs them.
#include <gtest/gtest.h>

#include <string>

#include "lyrics/MediaFixtures.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace cx {
namespace {

using test::CbxIn;
using test::CbxRun;
using test::Quote;
CbxRun Cbx(const std::string& args) {
    return test::Cbx(args, true);  // stdout and stderr
}

TEST(CbxZip, InfoAndLyricsReadTheSongInsideAndEmbedIsRefused) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    const std::string lrc = "[00:01.00]One\r\n[00:02.00]Two\r\n";
    ASSERT_TRUE(test::WriteZip(
        dir / "Pack.zip", {{"Artist - Song.MP3", test::MakeMp3(30)}, {"artist - song.LRC", lrc}}));
    const std::string zipBytes = test::ReadBytes(dir / "Pack.zip");

    const CbxRun info = Cbx("info --json " + Quote(dir / "Pack.zip"));
    ASSERT_EQ(info.code, 0) << info.out;
    EXPECT_NE(info.out.find("\"format\": \"MP3\""), std::string::npos) << info.out;
    const CbxRun lyrics = Cbx("lyrics " + Quote(dir / "Pack.zip"));
    ASSERT_EQ(lyrics.code, 0) << lyrics.out;
    EXPECT_NE(lyrics.out.find("Two"), std::string::npos) << lyrics.out;

    test::WriteBytes(dir / "words.lrc", lrc);
    const CbxRun embed = Cbx("embed " + Quote(dir / "words.lrc") + " " + Quote(dir / "Pack.zip"));
    EXPECT_EQ(embed.code, 1) << embed.out;
    EXPECT_NE(embed.out.find("save it beside the archive"), std::string::npos) << embed.out;
    EXPECT_EQ(test::ReadBytes(dir / "Pack.zip"), zipBytes);
}

TEST(CbxZip, CdgAndRenderTakeAZippedMp3GPair) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    ASSERT_TRUE(test::WriteZip(dir / "pair.zip", {{"track.wav", test::MakeWav(8000)},
                                                  {"TRACK.CDG", std::string(24 * 300, '\0')}}));
    const CbxRun cdg = Cbx("cdg --info " + Quote(dir / "pair.zip"));
    EXPECT_EQ(cdg.code, 0) << cdg.out;
    const CbxRun render =
        Cbx("render " + Quote(dir / "pair.zip") + " -o " + Quote(dir / "out.wav"));
    EXPECT_EQ(render.code, 0) << render.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "out.wav"));

    ASSERT_TRUE(test::WriteZip(dir / "plain.zip", {{"track.wav", test::MakeWav(800)}}));
    const CbxRun noGraphics = Cbx("cdg --info " + Quote(dir / "plain.zip"));
    EXPECT_EQ(noGraphics.code, 1);
    EXPECT_NE(noGraphics.out.find("no CD+G graphics"), std::string::npos) << noGraphics.out;
    ASSERT_TRUE(test::WriteZip(dir / "photos.zip", {{"cover.jpg", "x"}}));
    const CbxRun noSong = Cbx("info " + Quote(dir / "photos.zip"));
    EXPECT_EQ(noSong.code, 1);
    EXPECT_NE(noSong.out.find("no song"), std::string::npos) << noSong.out;
}

}  // namespace
}  // namespace cx
