// A host runs an evening with the keyboard through the real player: five
// singers with two songs each, the next singer announced on the karaoke
// window, a singer away and back, and a returning song at its last key.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QTreeWidget>

#include "HostScript.h"
#include "ShowScreen.h"
#include "app/AppHarness.h"
#include "host/gui/HostWindow.h"
#include "karaoke/ShowOverlay.h"
#include "lyrics/MediaFixtures.h"
#include "midi/gui/MidiEq.h"
#include "playback/player/MediaTransport.h"

namespace cx {
namespace {

using test::AppHarness;

constexpr int kSongFrames = 8000;  // one second at 8000 Hz

// The show's keys as the host presses them: through the window's own shortcut.
void Press(HostWindow& host, QKeySequence key) {
    for (QShortcut* s : host.findChildren<QShortcut*>())
        if (s->key() == key) {
            emit s->activated();
            return;
        }
    ADD_FAILURE() << "no key " << key.toString().toStdString();
}

void Type(QWidget* widget, const QString& text) {
    test::SendKey(widget, 0, Qt::NoModifier, text);
    test::SendKey(widget, Qt::Key_Return);
}

// Pixels of the card's fill in what the karaoke window shows.
int CardPixels(Application& app) {
    return test::ShownPixels(app, kShowCardColour, QImage::Format_ARGB32);
}

TEST(HostStories, AnEveningRunWithTheKeyboard) {
    AppHarness h;
    QStringList chosen;  // what the file dialog gives next
    ASSERT_TRUE(h.Start(QString(), [&chosen](const QString&) { return chosen; }));
    h.app->Run(Command::Host);
    HostWindow* host = h.app->HostDesk();
    ASSERT_NE(host, nullptr);
    const QStringList names = {"Ann", "Bob", "Cid", "Dee", "Eve"};
    const auto song = [&](const QString& name, int k) {
        const auto path = h.Home() / (name.toStdString() + " " + std::to_string(k) + ".wav");
        if (!std::filesystem::exists(path)) test::WriteBytes(path, test::MakeWav(kSongFrames));
        return QString::fromStdString(path.string());
    };
    for (const QString& name : names) {
        Press(*host, QKeySequence(Qt::CTRL | Qt::Key_N));
        Type(host->findChild<QLineEdit*>("SingerName"), name);
        chosen = {song(name, 1), song(name, 2)};
        Press(*host, QKeySequence(Qt::CTRL | Qt::Key_O));
    }
    const auto id = [&](const char* name) { return test::SingerId(host->Session(), name); };
    ASSERT_EQ(host->Session().Current().Singers().size(), 5u);
    // Ann's first song two semitones up.
    host->RotationTree()->setCurrentItem(host->RotationTree()->topLevelItem(0)->child(0));
    Press(*host, QKeySequence(Qt::CTRL | Qt::Key_Up));
    Press(*host, QKeySequence(Qt::CTRL | Qt::Key_Up));

    const auto announced = [&] {
        const ShowView v = host->Show().View(0);
        return v.card ? v.singer : std::string("nobody");
    };
    // The host's F5 starts the song, or the player's own Play does.
    const auto singAndEnd = [&](bool byPlayersPlay = false) {
        if (byPlayersPlay) {
            h.app->Run(Command::Play);
            QElapsedTimer wall;  // the host window's own timer sees it start
            wall.start();
            while (wall.elapsed() < 200) QApplication::processEvents(QEventLoop::AllEvents, 20);
        } else {
            Press(*host, Qt::Key_F5);
        }
        h.Advance(0.2);
        EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);
        EXPECT_FALSE(host->BreakMusicOn()) << "the break music fades out for the song";
        h.Advance(1.4);
    };
    // Break music from a folder that is not there: said, and the show goes on.
    HostSettings settings = host->Session().Settings();
    settings.breakMusic = (h.Home() / "no such folder").string();
    ASSERT_EQ(host->Session().ChangeSettings(settings), "");
    Press(*host, Qt::Key_F8);
    EXPECT_EQ(host->StatusText().toStdString(), h.app->Tr("HostBreakMusicMissing"));
    EXPECT_FALSE(host->BreakMusicOn());
    EXPECT_EQ(announced(), "Ann");
    EXPECT_GT(CardPixels(*h.app), 1000) << "the card is not on the karaoke window";
    EXPECT_EQ(h.app->Transport().State(), PlayState::Stopped);  // loaded, not started
    EXPECT_EQ(h.app->MidiWindow()->Controls().Semitones(), 2);
    std::filesystem::create_directory(h.Home() / "break");
    test::WriteBytes(h.Home() / "break" / "interlude.wav", test::MakeWav(10 * kSongFrames));
    settings.breakMusic = (h.Home() / "break").string();
    ASSERT_EQ(host->Session().ChangeSettings(settings), "");
    singAndEnd();
    EXPECT_EQ(announced(), "Bob");
    EXPECT_GT(CardPixels(*h.app), 1000);
    EXPECT_TRUE(host->BreakMusicOn()) << host->StatusText().toStdString();

    host->SelectSinger(id("Cid"));
    Press(*host, Qt::Key_F7);  // Cid is away
    singAndEnd();
    EXPECT_EQ(announced(), "Dee");
    Press(*host, Qt::Key_F7);  // and back, in his place
    singAndEnd();
    singAndEnd();
    EXPECT_EQ(announced(), "Ann");
    host->SelectSinger(id("Ann"));
    chosen = {song("Ann", 1)};  // she wants her first song again
    Press(*host, QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(host->Session().Current().Find(id("Ann"))->queue.back().keyShift, 2);
    singAndEnd();
    EXPECT_EQ(announced(), "Bob");
    Press(*host, Qt::Key_F6);  // Bob does not come up
    EXPECT_EQ(announced(), "Cid");
    for (const char* next : {"Dee", "Eve", "Ann"}) {
        singAndEnd(std::string(next) == "Eve");  // Dee's turn started from the player
        EXPECT_EQ(announced(), next);
    }
    EXPECT_EQ(h.app->MidiWindow()->Controls().Semitones(), 2) << "the returning song's key";
    EXPECT_EQ(host->Session().History(100).size(), 8u);
    Press(*host, QKeySequence(Qt::SHIFT | Qt::Key_F8));
    EXPECT_EQ(CardPixels(*h.app), 0);

    // The search box finds songs in the song library, which shares the file.
    ASSERT_NO_FATAL_FAILURE(test::ScanIntoLibrary(h.Home()));
    host->SelectSinger(id("Eve"));
    const std::size_t queued = host->Session().Current().Find(id("Eve"))->queue.size();
    host->findChild<QLineEdit*>("LibrarySearch")->setText("eve");
    auto* found = host->findChild<QListWidget*>();
    ASSERT_GE(found->count(), 1);
    emit found->itemActivated(found->item(0));
    EXPECT_EQ(host->Session().Current().Find(id("Eve"))->queue.size(), queued + 1);
    EXPECT_EQ(host->Session().Current().Singers().size(), 5u) << "the rotation kept";
}

}  // namespace
}  // namespace cx
