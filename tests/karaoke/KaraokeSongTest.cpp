// Finding a song's lyrics outside the player.
#include <gtest/gtest.h>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeSong.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

const char* kBlock = "#Cantabilex\r\n[1.0]Twin[1.5]kle\r\n[3.0]star\r\n#End Cantabilex\r\n";

TEST(KaraokeSong, LyricsComeFromTheMediaFileOrTheLrsBesideIt) {
    const auto settings = test::TestSettings();
    test::TempDir dir;
    test::WriteBytes(dir / "a.mp3", std::string(100, '\0') + kBlock);
    KaraokeSong song;
    std::string error;
    ASSERT_TRUE(LoadKaraokeSong((dir / "a.mp3").string(), settings, {}, song, error)) << error;
    EXPECT_EQ(song.Source, "lrs-block");
    ASSERT_EQ(song.Model.UpperBound(), 3);
    EXPECT_EQ(song.Model.Lyrics[1].LineText, "Twinkle");
    EXPECT_EQ(song.Model.WidestLine, "Twinkle");

    test::WriteBytes(dir / "b.ogg", std::string(100, '\0'));
    test::WriteBytes(dir / "b.LRS", kBlock);
    ASSERT_TRUE(LoadKaraokeSong((dir / "b.ogg").string(), settings, {}, song, error)) << error;
    EXPECT_EQ(song.Source, "lrs-file");
    EXPECT_EQ(song.Look.MediaPath, (dir / "b.ogg").string());
}

TEST(KaraokeSong, MissingFilesAndSongsWithoutLyricsSayWhy) {
    const auto settings = test::TestSettings();
    test::TempDir dir;
    KaraokeSong song;
    std::string error;
    EXPECT_FALSE(LoadKaraokeSong((dir / "none.mp3").string(), settings, {}, song, error));
    EXPECT_NE(error.find("no such file"), std::string::npos);
    test::WriteBytes(dir / "c.mp3", std::string(100, 'x'));
    EXPECT_FALSE(LoadKaraokeSong((dir / "c.mp3").string(), settings, {}, song, error));
    EXPECT_NE(error.find("no lyrics"), std::string::npos);
    // Another loader claims the file and fails: its reason stands.
    const SongLyricsLoader refuse = [](const std::string&, LyricsModel&, std::string& e) {
        e = "broken midi";
        return std::optional<bool>(false);
    };
    EXPECT_FALSE(LoadKaraokeSong((dir / "c.mp3").string(), settings, refuse, song, error));
    EXPECT_EQ(error, "broken midi");
}

}  // namespace
}  // namespace cx
