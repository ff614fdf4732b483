// The player window offscreen, over the fake media control.
#include "playback/player/gui/Player.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QUrl>

#include "FakeTransport.h"
#include "playlist/gui/UserList.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(QApplication::instance(), nullptr);
        services.isRecording = [] { return false; };
        services.autoPlay = [] { return true; };
        services.readTags = [](const std::string&) { return std::optional<ItemTags>(); };
        player = std::make_unique<Player>(transport, list, services);
    }
    void Fill(int count) { test::FillSongs(list, transport, count); }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(player.get(), &press);
    }

    test::FakeTransport transport;
    FlatListModel list;
    PlayerServices services;
    std::unique_ptr<Player> player;
};

// Buttons refused while recording: ControlsStories and PlayerControlTest; the
// end of a song without AutoPlay: PlayerControlTest; long titles: FitText and
// ControlsStories.
TEST_F(PlayerWindowTest, TrayHidesAndRestoresTheWindowsThatWereShown) {
    QWidget shown, hidden, karaoke;
    bool karaokeMode = false;
    player->AddCompanion(&shown);
    player->AddCompanion(&hidden);
    player->AddCompanion(&karaoke, [&] { return karaokeMode; });
    player->show();
    shown.show();
    karaoke.show();

    player->MinimizeToTray();
    EXPECT_EQ((std::vector{player->InTray(), player->isVisible(), shown.isVisible(),
                           karaoke.isVisible()}),
              (std::vector{true, false, false, false}));

    player->RestoreFromTray();
    EXPECT_EQ((std::vector{player->isVisible(), shown.isVisible(), hidden.isVisible()}),
              (std::vector{true, true, false}));
    EXPECT_FALSE(karaoke.isVisible()) << "the karaoke window comes back only for karaoke songs";
}

TEST_F(PlayerWindowTest, LampsLabelsAndTimeFollowTheSong) {
    Fill(2);
    player->RefreshSong();
    EXPECT_TRUE(player->LampOn(2));
    Key(Qt::Key_X);
    EXPECT_TRUE(player->LampOn(0));
    EXPECT_FALSE(player->LampOn(2));
    EXPECT_EQ(player->ShownArtist(), "Artist");
    Key(Qt::Key_C);
    EXPECT_TRUE(player->LampOn(1));
    transport.position = 45;
    player->OnTick();
    EXPECT_EQ(player->TimeText(), "00:45");
    EXPECT_EQ(player->ProgressValue(), 250);
    Key(Qt::Key_T, Qt::ControlModifier);
    player->OnTick();
    EXPECT_EQ(player->TimeText(), "-02:15");
    Key(Qt::Key_V);
    EXPECT_TRUE(player->LampOn(2));
    EXPECT_EQ(player->ShownTitle(), "");
}

TEST_F(PlayerWindowTest, TypedNumberPlaysThatEntry) {
    Fill(12);
    Key(Qt::Key_1);
    Key(Qt::Key_2);
    QElapsedTimer clock;
    clock.start();
    while (!transport.IsOpen() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(transport.CurrentPath(), "/songs/12.mp3");
}

TEST_F(PlayerWindowTest, PlayerPositionWithFiveFieldsLeavesTheMidiWindowHidden) {
    player->ApplyPosition(QStringLiteral("10,20,300,100,1"));
    EXPECT_TRUE(player->PlaylistWindowShown());
    EXPECT_FALSE(player->MidiWindowShown());
    player->ApplyPosition(QStringLiteral("10,20,300,100,0,1"));
    EXPECT_TRUE(player->MidiWindowShown());
    EXPECT_EQ(player->PositionText().count(','), 5);
    EXPECT_TRUE(player->PositionText().endsWith(",0,1"));
    player->ApplyPosition(QString());
    EXPECT_TRUE(player->MidiWindowShown()) << "an empty value changes nothing";
}

TEST_F(PlayerWindowTest, OneDroppedSongPlaysAndLyricsMapToTheirSong) {
    test::TempDir dir;
    test::WriteBytes(dir / "tune.mp3", "x");
    test::WriteBytes(dir / "tune.lrc", "[00:01.00]la");
    test::WriteBytes(dir / "notes.txt", "x");
    const std::string song = (dir / "tune.mp3").string();
    transport.openable.insert(song);
    UserList userList(list, {}, [](const std::string&) { return std::optional<ItemTags>(); });
    player->SetPlaylistWindow(&userList);

    const QStringList dropped = AcceptedDroppedFiles(
        {QUrl::fromLocalFile(QString::fromStdString((dir / "tune.lrc").string())),
         QUrl::fromLocalFile(QString::fromStdString((dir / "notes.txt").string()))});
    ASSERT_EQ(dropped.size(), 1) << "the text file is not taken";
    player->DropFiles(dropped);
    ASSERT_EQ(list.ListCount(), 1);
    EXPECT_EQ(list.ListPath(0), song);
    EXPECT_EQ(transport.CurrentPath(), song);
    EXPECT_EQ(list.CurrentPlaying(), 0);

    userList.show();
    EXPECT_TRUE(player->Button(10)->isChecked());
    Key(Qt::Key_L, Qt::AltModifier);
    EXPECT_FALSE(userList.isVisible());
    EXPECT_FALSE(player->PlaylistWindowShown());
    player->SetPlaylistWindow(nullptr);
}

TEST_F(PlayerWindowTest, ChangeSongAddsMarksAndPlays) {
    test::TempDir dir;
    test::WriteBytes(dir / "cli.mp3", "x");
    const std::string song = (dir / "cli.mp3").string();
    transport.openable.insert(song);
    EXPECT_TRUE(player->ChangeSong(QString::fromStdString(song)));
    ASSERT_EQ(list.ListCount(), 1);
    EXPECT_EQ(list.ListString(0), "cli");
    EXPECT_EQ(transport.State(), PlayState::Playing);
}

}  // namespace
}  // namespace cx

// Qt wants its application object made first and gone last.
int main(int argc, char** argv) {
    // Test discovery runs the program without the test environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
