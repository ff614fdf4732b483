// A sing-along song opened in the real player: its audio plays with its
// words in the karaoke window, and a song whose audio is gone says so.
#include <gtest/gtest.h>

#include <QMessageBox>

#include "app/AppHarness.h"
#include "karaoke/gui/Lyric.h"
#include "lyrics/MediaFixtures.h"
#include "playback/player/MediaTransport.h"

namespace cx {
namespace {

using test::AppHarness;

QString ShownMessage() {
    QString shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) shown = box->text();
    return shown;
}

TEST(UltraStarStories, ASongFilePlaysItsAudioWithItsWords) {
    AppHarness h;
    // The audio named in another case, as songs made on other systems do.
    test::WriteBytes(h.Home() / "Audio.wav", test::MakeWav(8000 * 4));
    const auto song = h.Home() / "Band - Song.txt";
    test::WriteBytes(song,
                     "#TITLE:Song\r\n#ARTIST:Band\r\n#MP3:audio.WAV\r\n#BPM:300\r\n#GAP:500\r\n"
                     ": 0 4 5 Hel\r\n* 4 4 7 lo\r\n- 10\r\n: 12 4 0  world\r\nE\r\n");
    ASSERT_TRUE(h.Start(QString::fromStdString(song.string())));
    ASSERT_TRUE(h.app->Transport().IsOpen());
    EXPECT_EQ(h.app->Song().Source, "ultrastar");
    EXPECT_EQ(h.app->Song().Model.LyricsHeader, "Band|Song");
    EXPECT_EQ(h.app->Song().Notes.Notes.size(), 3u);
    EXPECT_EQ(h.app->Song().Notes.LineCount, 2);
    h.Advance(0.6);
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    EXPECT_EQ(display.CurrentPiece(), 1);
    EXPECT_EQ(display.ShownLine(), "Hello");

    const auto lost = h.Home() / "Lost.txt";
    test::WriteBytes(lost, "#TITLE:Lost\n#BPM:300\n#MP3:gone.mp3\n: 0 1 0 a\nE\n");
    h.app->ChangeSong(QString::fromStdString(lost.string()));
    const QString shown = ShownMessage();
    EXPECT_TRUE(shown.contains("gone.mp3")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(h.app->Tr("OpenSongAudioMissing"))))
        << shown.toStdString();
}

}  // namespace
}  // namespace cx
