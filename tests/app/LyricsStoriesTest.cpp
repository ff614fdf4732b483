// Lyrics as users have them, over the real assembly: another system's code
// page, LRC offsets, words inside MP3 tags, and songs whose lyrics are
// missing, damaged or untimed.
#include <gtest/gtest.h>

#include "AppHarness.h"
#include "editor/gui/Editor.h"
#include "karaoke/gui/Details.h"
#include "karaoke/gui/Lyric.h"
#include "lyrics/MediaFixtures.h"
#include "playback/player/MediaTransport.h"

namespace cx {
namespace {

using test::AppHarness;

// "Zażółć gęślą jaźń" in UTF-8 and as a Polish system saves it (1250).
const std::string kPolish =
    "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84";

std::filesystem::path MakeSong(const AppHarness& h, const char* name) {
    const auto song = h.Home() / name;
    test::WriteBytes(song, test::MakeWav(8000 * 6));
    return song;
}

KaraokeDisplay& Display(const AppHarness& h) {
    return h.app->LyricWindow()->Display();
}

TEST(LyricsStories, PolishLyricsShowRightUnderTheEnglishInterface) {
    AppHarness h;
    const auto song = MakeSong(h, "song.wav");
    test::WriteBytes(h.Home() / "song.lrc",
                     "[00:00.50]" + EncodeCodepage(kPolish, Codepage::Cp1250) + "\r\n");
    ASSERT_TRUE(h.Start(test::QPath(song)));
    ASSERT_FALSE(h.app->Tr("DetailsCodepage").empty());
    ASSERT_EQ(h.app->Song().Model.UpperBound(), 1);
    h.Advance(0.6);
    EXPECT_EQ(Display(h).ShownLine(), kPolish);

    // The user says the song is ISO 8859-2: it is read again at once.
    Details* d = h.Open<Details>(Command::Details);
    ASSERT_NE(d, nullptr);
    d->ChooseCodepage(28592);
    EXPECT_EQ(h.app->Song().Look.Codepage, 28592);
    EXPECT_NE(h.app->Song().Model.Lyrics[1].PieceText, kPolish);
    d->ChooseCodepage(1250);
    EXPECT_EQ(h.app->Song().Model.Lyrics[1].PieceText, kPolish);
    d->reject();
}

TEST(LyricsStories, AnLrcOffsetLightsTheWordsAtTheShiftedTimes) {
    AppHarness h;
    const auto song = MakeSong(h, "song.wav");
    test::WriteBytes(h.Home() / "song.lrc",
                     "[ti:Shifted]\r\n[offset:+500]\r\n[00:01.00]One <00:02.00>two\r\n");
    ASSERT_TRUE(h.Start(test::QPath(song)));
    EXPECT_EQ(h.app->Song().Look.TagTitle, "Shifted");
    h.Advance(0.4);
    EXPECT_EQ(Display(h).ShownPage(), KaraokeDisplay::Page::Title);
    h.Advance(0.2);  // 0.6 s: the first word, due at 1 s, is shown half a second early
    EXPECT_EQ(Display(h).CurrentPiece(), 1);
    h.Advance(0.8);  // 1.4 s
    EXPECT_EQ(Display(h).CurrentPiece(), 1);
    h.Advance(0.2);  // 1.6 s
    EXPECT_EQ(Display(h).CurrentPiece(), 2);
}

TEST(LyricsStories, AnMp3WithSynchronisedLyricsPlaysAsAKaraokeSong) {
    AppHarness h;
    const auto song = h.Home() / "tagged.mp3";
    test::WriteBytes(song, test::MakeMp3(200));
    test::AddId3v2Lyrics(song, {{500, "Sing "}, {1000, "along"}, {2000, "\nNext line"}}, "");
    ASSERT_TRUE(h.Start(test::QPath(song)));
    EXPECT_EQ(h.app->Song().Source, "id3v2-sylt");
    ASSERT_EQ(h.app->Song().Model.UpperBound(), 3);
    h.Advance(1.1);
    EXPECT_EQ(Display(h).CurrentPiece(), 2);
    EXPECT_EQ(Display(h).ShownLine(), "Sing along");
    EXPECT_EQ(Display(h).OtherLine(), "Next line");
}

TEST(LyricsStories, MissingDamagedAndUntimedLyricsAreSaidSo) {
    AppHarness h;
    const auto bare = MakeSong(h, "bare.wav");
    const auto damaged = MakeSong(h, "damaged.wav");
    test::WriteBytes(h.Home() / "damaged.lrc", "just words, no times\r\n");
    const auto plain = h.Home() / "plain.mp3";
    test::WriteBytes(plain, test::MakeMp3(200));
    test::AddId3v2Lyrics(plain, {}, "First line of words\nSecond line");

    ASSERT_TRUE(h.Start(test::QPath(bare)));
    const Player& player = *h.app->PlayerWindow();
    h.Advance(0.1);
    EXPECT_EQ(Display(h).ShownPage(), KaraokeDisplay::Page::Title);
    EXPECT_EQ(Display(h).Look().PageText, h.app->Tr("NoLyricsInSong"));
    EXPECT_TRUE(player.StatusText().isEmpty());

    h.app->ChangeSong(test::QPath(damaged));
    EXPECT_EQ(player.StatusText().toStdString(),
              h.app->Tr("LyricsNotUsed") + " damaged.lrc: it holds no timed line");

    // Plain words: shown as a page, and the editor opens with them in pieces.
    h.app->ChangeSong(test::QPath(plain));
    h.Advance(0.1);
    EXPECT_EQ(Display(h).Look().PageText, "First line of words\nSecond line");
    EXPECT_EQ(Display(h).ShownPage(), KaraokeDisplay::Page::Title);
    EXPECT_NE(player.StatusText().toStdString().find(h.app->Tr("LyricsUntimed")),
              std::string::npos);
    h.app->PlayerWindow()->ActivateStatusLink();
    ASSERT_NE(h.app->EditorWindow(), nullptr);
    EXPECT_EQ(h.app->Song().Model.UpperBound(), 6);
    EXPECT_EQ(h.app->Song().Model.Lyrics[4].LineText, "First line of words");
    EXPECT_TRUE(player.StatusText().isEmpty());
}

}  // namespace
}  // namespace cx
