// The playlist in the real player, offscreen: editing the list under the
// playing song, starting with a song, and the list's look from the settings.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSpinBox>
#include <random>

#include "../app/AppHarness.h"
#include "app/PlaylistLookSettings.h"
#include "app/gui/Preferences.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/player/MediaTransport.h"
#include "playlist/LastList.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;

const std::filesystem::path kDemoList = DemoDir() / "demo.m3u";
const std::filesystem::path kKar = DemoDir() / "Frere Jacques.kar";

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// The first word of a song's file name ("Twinkle", "Row", "Frere", "Mary").
std::string Word(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.substr(0, name.find(' '));
}

void Key(FlatListWidget* list, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(list, &e);
}

void Mouse(FlatListWidget* list, QEvent::Type type, int y, Qt::MouseButtons held) {
    const QPointF at(20, y);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, list->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &e);
}

// Presses on one row, drags past the drag distance and lets go on the upper
// half of another, as a hand does.
void DragRow(FlatListWidget* list, int from, int onto) {
    list->window()->resize(400, 400);  // every row in view
    list->window()->show();
    QApplication::processEvents();
    const FlatListMetrics m = MeasureFlatList(list->Model(), list->Look().Font());
    const auto centre = [&](int row) {
        return (row - list->Model().TopIndex()) * m.rowHeight + m.rowHeight / 2;
    };
    Mouse(list, QEvent::MouseButtonPress, centre(from), Qt::LeftButton);
    const int target = centre(onto) - m.rowHeight / 4;
    Mouse(list, QEvent::MouseMove, (centre(from) + target) / 2, Qt::LeftButton);
    Mouse(list, QEvent::MouseMove, target, Qt::LeftButton);
    Mouse(list, QEvent::MouseButtonRelease, target, Qt::NoButton);
}

void WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

enum class Edit { Sort, Delete, CtrlUp, DragToTop, Shuffle };
enum class Step { Next, Previous, SongEnds };

// What the singer does to the selected entries, through the list's own keys and mouse.
void Apply(Edit edit, FlatListModel& list, FlatListWidget* widget) {
    std::mt19937 rng(5);
    switch (edit) {
        case Edit::Sort:
            return list.SortFlatList(SortOrder::Ascending);
        case Edit::Delete:
            return Key(widget, Qt::Key_Delete);
        case Edit::CtrlUp:
            return Key(widget, Qt::Key_Up, Qt::ControlModifier);
        case Edit::DragToTop:
            return DragRow(widget, list.FirstSelected(), 0);
        case Edit::Shuffle:
            return list.SortRandom(rng);
    }
}

// The demo list is Twinkle, Row, Frere, Mary. Whatever the singer does to the
// list, the song that comes is the one the list shows next.
TEST(PlaylistStories, NextPreviousAndTheSongsEndFollowTheListAsEdited) {
    struct Case {
        const char* name;
        int first;  // the entry playing before the edit
        std::vector<int> selected;
        Edit edit;
        Step step;
        const char* expected;  // nullptr: the neighbour the list shows
    };
    const Case cases[] = {
        // Sorted: Frere, Mary, Row, Twinkle.
        {"sorted, Next", 0, {}, Edit::Sort, Step::Next, "Frere"},
        {"sorted, Previous", 0, {}, Edit::Sort, Step::Previous, "Row"},
        {"sorted, the song ends", 0, {}, Edit::Sort, Step::SongEnds, "Frere"},
        {"an entry above deleted, Next", 2, {0}, Edit::Delete, Step::Next, "Mary"},
        {"the playing entry deleted too, Previous", 2, {0, 2}, Edit::Delete, Step::Previous, "Row"},
        // Twinkle, Frere, Row, Mary.
        {"moved up with Ctrl+Up, Next", 2, {2}, Edit::CtrlUp, Step::Next, "Row"},
        // Mary, Twinkle, Row, Frere.
        {"dragged above it, Previous", 0, {3}, Edit::DragToTop, Step::Previous, "Mary"},
        {"shuffled, Next", 1, {}, Edit::Shuffle, Step::Next, nullptr},
    };
    AppHarness h;
    ASSERT_TRUE(h.Start(Q(kDemoList)));
    FlatListModel& list = h.app->List();
    for (const Case& c : cases) {
        ASSERT_TRUE(h.app->PlaylistWindow()->LoadList(Q(kDemoList))) << c.name;
        ASSERT_TRUE(h.app->PlayerWindow()->Control().ChangeSong(c.first));
        for (int i : c.selected) list.SetSelected(i, true);
        Apply(c.edit, list, h.app->PlaylistWindow()->List());
        const std::string expected =
            c.expected ? c.expected : Word(list.ListPath((list.CurrentPlaying() + 1) % 4));
        if (c.step == Step::SongEnds) {
            h.app->SeekTo(h.app->Transport().Length() - 0.6);
            h.Advance(1.5);
        } else {
            h.app->Run(c.step == Step::Next ? Command::Next : Command::Previous);
        }
        EXPECT_EQ(Word(h.app->Transport().CurrentPath()), expected) << c.name;
        EXPECT_EQ(list.ListPath(list.CurrentPlaying()), h.app->Transport().CurrentPath())
            << c.name << ": the mark is on the song that plays";
    }
}

// Double clicking a song in a file manager must not cost the singer his list.
TEST(PlaylistStories, StartingWithASongAddsItToTheKeptListAndPlaysIt) {
    AppHarness h;
    const std::filesystem::path data = AppDataFolder();
    FlatListModel kept;
    kept.AddItem("Twinkle", "00:26", (DemoDir() / "Twinkle Twinkle Little Star.wav").string());
    kept.AddItem("Gone", "", (h.Home() / "gone.mp3").string());
    ASSERT_EQ(SaveLastList(data, kept), "");

    ASSERT_TRUE(h.Start(Q(kKar)));
    FlatListModel& list = h.app->List();
    ASSERT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.ListString(0), "Twinkle");
    EXPECT_EQ(list.ListPath(2), kKar.string());
    EXPECT_EQ(list.CurrentPlaying(), 2);
    EXPECT_EQ(h.app->Transport().CurrentPath(), kKar.string());
    EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);
    WaitFor([&] { return list.Item(1).missing; });
    EXPECT_TRUE(list.Item(1).missing) << "a file that is gone is shown as such";
    EXPECT_FALSE(list.Item(0).missing);
    if (std::getenv("CX_SHOT_DIR")) h.app->PlaylistWindow()->show();
    test::SaveShot(*h.app->PlaylistWindow(), "playlist-started");

    h.app.reset();
    EXPECT_EQ(LoadLastList(data).entries.size(), 3u) << "the list is kept with the song in it";

    // A playlist named at start still takes the list's place.
    ASSERT_TRUE(h.Start(Q(kDemoList)));
    EXPECT_EQ(h.app->List().ListCount(), 4);
    EXPECT_EQ(Word(h.app->List().ListPath(0)), "Twinkle");
}

TEST(PlaylistStories, TheFontSizeFromPreferencesReachesTheListWithTheSystemFont) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    ASSERT_EQ(h.app->Settings().PlaylistFontName, kStoredDefaultListFont);
    Preferences* p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    auto* size = p->findChild<QSpinBox*>("playlist font size");
    ASSERT_NE(size, nullptr);
    size->setValue(17);
    p->OK_Click();
    EXPECT_EQ(h.app->PlaylistWindow()->Look().Font().pointSize(), 17);

    // The display dialog's look goes through the same settings and comes back whole.
    const FlatListLook system = h.app->PlaylistWindow()->Look();
    FlatListLook named = system;
    named.fontName = QStringLiteral("Serif");
    named.fontSize = 12;
    for (const FlatListLook& look : {system, named}) {
        ThemeClass settings;
        StorePlaylistLook(look, settings);
        const FlatListLook back = PlaylistLookFrom(settings);
        EXPECT_EQ(back.fontName, look.fontName);
        EXPECT_EQ(back.fontSize, look.fontSize);
        EXPECT_EQ(back.Font(), look.Font());
    }
}

}  // namespace
}  // namespace cx
