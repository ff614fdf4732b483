// Finding a song's lyrics outside the player.
#include <gtest/gtest.h>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"
#include "karaoke/LyricWrap.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

const char* kBlock = "#Cantabilex\r\n[1.0]Twin[1.5]kle\r\n[3.0]star\r\n#End Cantabilex\r\n";

// A scratch folder, and the song and reason of the last load.
class KaraokeSongTest : public ::testing::Test {
protected:
    bool Load(const char* name, Codepage cp = Codepage::Cp1252, const SongLyricsLoader& other = {},
              const KaraokeSettings& settings = test::TestSettings()) {
        return LoadKaraokeSong((dir / name).string(), settings, cp, other, song, error);
    }
    test::TempDir dir;
    KaraokeSong song;
    std::string error;
};

TEST_F(KaraokeSongTest, LyricsComeFromTheMediaFileOrTheLrsBesideIt) {
    test::WriteBytes(dir / "a.mp3", std::string(100, '\0') + kBlock);
    ASSERT_TRUE(Load("a.mp3")) << error;
    EXPECT_EQ(song.Source, "lrs");
    ASSERT_EQ(song.Model.UpperBound(), 3);
    EXPECT_EQ(song.Model.Lyrics[1].LineText, "Twinkle");
    EXPECT_EQ(song.Model.WidestLine, "Twinkle");

    test::WriteBytes(dir / "b.ogg", std::string(100, '\0'));
    test::WriteBytes(dir / "b.LRS", kBlock);
    ASSERT_TRUE(Load("b.ogg")) << error;
    EXPECT_EQ(song.Source, "lrs-file");
    EXPECT_EQ(song.Look.MediaPath, (dir / "b.ogg").string());
}

TEST_F(KaraokeSongTest, DisplayBlockGivesTheLookAndTheTimelineInTimeOrder) {
    const std::string graphs =
        "#CBXGraphs\r\n#ARTIST=Band\r\n#HIGHLIGHT COLOR=255\r\n#ALIGNMENT=1\r\n"
        "#IMAGE=late.jpg%30%Poker%3\r\n#IMAGE=early.jpg%0\r\n"
        "#IMAGE=mid.jpg%10%Slide Side%5%Left\r\n\r\n#End CBXGraphs\r\n";
    test::WriteBytes(dir / "d.mp3", std::string(100, '\0') + kBlock + graphs);
    ASSERT_TRUE(Load("d.mp3")) << error;
    EXPECT_EQ(song.Look.Artist, "Band");
    EXPECT_EQ(song.Look.HighlightColor, 255);
    EXPECT_EQ(song.Look.ForeColor, -1);
    EXPECT_EQ(song.Look.Alignment, 1);
    ASSERT_EQ(song.Look.Schedule.size(), 3u);
    EXPECT_EQ(song.Look.Schedule[0].Time, 0);
    EXPECT_EQ(song.Look.Schedule[1].Effect, "Slide Side");
    EXPECT_EQ(song.Look.Schedule[1].EffectDetail, "Left");
    EXPECT_EQ(song.Look.Schedule[2].Speed, 3);
    EXPECT_EQ(std::filesystem::path(song.Look.Schedule[2].Path).filename(), "late.jpg");
}

TEST_F(KaraokeSongTest, MissingFilesAndSongsWithoutLyricsSayWhy) {
    EXPECT_FALSE(Load("none.mp3"));
    EXPECT_NE(error.find("no such file"), std::string::npos);
    test::WriteBytes(dir / "c.mp3", std::string(100, 'x'));
    EXPECT_FALSE(Load("c.mp3"));
    EXPECT_NE(error.find("no lyrics"), std::string::npos);
    // One reason, said once.
    EXPECT_EQ(error.find("no lyrics"), error.rfind("no lyrics")) << error;
    EXPECT_EQ(error.find('('), std::string::npos) << error;
    // Another loader claims the file and fails: its reason stands.
    const SongLyricsLoader refuse = [](const std::string&, LyricsModel&, std::string& e) {
        e = "broken midi";
        return std::optional<bool>(false);
    };
    EXPECT_FALSE(Load("c.mp3", Codepage::Cp1252, refuse));
    EXPECT_EQ(error, "broken midi");
}

TEST_F(KaraokeSongTest, LyricsAreReadInTheLanguagesCodepageOrAsUtf8) {
    const std::string zolw = "\xC5\xBC\xC3\xB3\xC5\x82w";  // "żółw"
    test::WriteBytes(dir / "pl.mp3", std::string(100, '\0'));
    test::WriteBytes(dir / "pl.lrc", "[00:01.00]\xBF\xF3\xB3w\n[00:02.00]x\n");  // code page 1250
    test::WriteBytes(dir / "utf.mp3", std::string(100, '\0'));
    test::WriteBytes(dir / "utf.kok", zolw + ";01,0000;\n");
    ASSERT_TRUE(Load("pl.mp3", CodepageForLanguage("pl"))) << error;
    ASSERT_EQ(song.Model.UpperBound(), 2);
    EXPECT_EQ(song.Model.Lyrics[1].PieceText, zolw);
    ASSERT_TRUE(Load("utf.mp3")) << error;
    EXPECT_EQ(song.Source, "kok");
    EXPECT_EQ(song.Model.Lyrics[1].PieceText, zolw);
}

TEST_F(KaraokeSongTest, TitlePageFallsBackFieldByField) {
    SongLook look;
    look.MediaPath = "/songs/Some Song.mp3";
    look.TagArtist = "Tag Artist";
    look.TagTitle = "Tag Title";
    EXPECT_EQ(TitlePageHeader(look), "Tag Artist|Tag Title");
    look.Title = "Block Title";  // the block names the title only
    EXPECT_EQ(TitlePageHeader(look), "Tag Artist|Block Title");
    look.Title.clear();
    look.Artist = "Block Artist";
    EXPECT_EQ(TitlePageHeader(look), "Block Artist|Tag Title");
    look.TagTitle.clear();
    EXPECT_EQ(TitlePageHeader(look), "Block Artist");
    look = SongLook{};
    look.MediaPath = "/songs/Some Song.mp3";
    EXPECT_EQ(TitlePageHeader(look), "Some Song");
}

TEST_F(KaraokeSongTest, HugeLinesAreCappedAndStillShown) {
    auto settings = test::TestSettings();
    settings.LyricsFitFont = true;
    settings.LyricsShowBall = true;
    // One line timed as a whole and one of many word-timed pieces, both far
    // longer than any window shows; multibyte text so the cut must respect it.
    std::string whole = "[00:01.00]";
    for (int i = 0; i < 40000; ++i) whole += "la \xC5\x82";
    std::string words = "[00:05.00]x";
    for (int i = 0; i < 20000; ++i) words += "<00:06.00>w\xC3\xB3rd ";
    test::WriteBytes(dir / "big.mp3", std::string(100, '\0'));
    test::WriteBytes(dir / "big.lrc", whole + "\n" + words + "\n");
    ASSERT_TRUE(Load("big.mp3", Codepage::Cp1252, {}, settings)) << error;
    const auto& lyrics = song.Model.Lyrics;
    ASSERT_EQ(song.Model.UpperBound(), 2 + 20000);
    for (std::size_t i = 1; i < lyrics.size(); ++i) {
        ASSERT_LE(lyrics[i].LineText.size(), kMaxLineTextBytes);
        ASSERT_LE(lyrics[i].PieceText.size(), kMaxLineTextBytes);
    }
    EXPECT_GT(lyrics[1].LineText.size(), kMaxLineTextBytes - 8);
    EXPECT_EQ(lyrics[2].LineText, lyrics.back().LineText);
    // Cut at a character boundary: the text is still valid UTF-8.
    EXPECT_TRUE(IsValidUtf8(lyrics[1].LineText));
    EXPECT_TRUE(IsValidUtf8(lyrics[2].LineText));
    EXPECT_EQ(lyrics.back().PieceText, "w\xC3\xB3rd ");

    KaraokeDisplay display;
    display.SetSettings(settings);
    display.SetWindow(640, 480, false);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&song.Model, song.Look);
    EXPECT_GE(display.FontSize(), kMinFontSize);
    for (long ms = 0; ms <= 7000; ms += 10) display.IsPlaying(ms / 1000.0, ms);
    EXPECT_EQ(display.ShownPage(), KaraokeDisplay::Page::Lines);
    // The font stops at the readable minimum and the line wraps around the sung piece;
    // without a minimum it shrinks to the smallest size and its middle shows.
    EXPECT_EQ(display.FontSize(), MinReadableFontSize(settings));
    EXPECT_GT(test::CountColor(display.Frame(), test::Rgb(settings.LyricsColor)), 0);
    settings.LyricsMinFontPercent = 0;
    display.SetSettings(settings);
    EXPECT_EQ(display.FontSize(), kMinFontSize);
}

}  // namespace
}  // namespace cx
