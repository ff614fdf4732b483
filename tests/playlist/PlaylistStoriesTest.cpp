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

enum class Step { Next, Previous, SongEnds };

// The demo list is Twinkle, Row, Frere, Mary. Whatever the singer does to the
// list, the song that comes is the one the list shows next.
TEST(PlaylistStories, NextPreviousAndTheSongsEndFollowTheListAsEdited) {
    struct Case {
        const char* name;
        int first;  // the entry playing before the edit
        std::function<void(FlatListModel&, FlatListWidget*)> edit;
        Step step;
        const char* expected;  // nullptr: the neighbour the list shows
    };
    const auto sortUp = [](FlatListModel& l, FlatListWidget*) {
        l.SortFlatList(SortOrder::Ascending);  // Frere, Mary, Row, Twinkle
    };
    const Case cases[] = {
        {"sorted, Next", 0, sortUp, Step::Next, "Frere"},
        {"sorted, Previous", 0, sortUp, Step::Previous, "Row"},
        {"sorted, the song ends", 0, sortUp, Step::SongEnds, "Frere"},
        {"an entry above deleted, Next", 2,
         [](FlatListModel& l, FlatListWidget* w) {
             l.SelectOnly(0);
             Key(w, Qt::Key_Delete);
         },
         Step::Next, "Mary"},
        {"the playing entry deleted, Previous", 2,
         [](FlatListModel& l, FlatListWidget* w) {
             l.SelectOnly(0);
             l.SetSelected(2, true);
             Key(w, Qt::Key_Delete);  // Row and Mary are left
         },
         Step::Previous, "Row"},
        {"moved up with Ctrl+Up, Next", 2,
         [](FlatListModel& l, FlatListWidget* w) {
             l.SelectOnly(2);
             Key(w, Qt::Key_Up, Qt::ControlModifier);  // Twinkle, Frere, Row, Mary
         },
         Step::Next, "Row"},
        {"dragged above it, Previous", 0,
         [](FlatListModel& l, FlatListWidget* w) {
             l.SelectOnly(3);
             DragRow(w, 3, 0);  // Mary, Twinkle, Row, Frere
         },
         Step::Previous, "Mary"},
        {"shuffled, Next", 1,
         [](FlatListModel& l, FlatListWidget*) {
             std::mt19937 rng(5);
             l.SortRandom(rng);
         },
         Step::Next, nullptr},
    };
    AppHarness h;
    ASSERT_TRUE(h.Start(Q(kDemoList)));
    FlatListModel& list = h.app->List();
    for (const Case& c : cases) {
        ASSERT_TRUE(h.app->PlaylistWindow()->LoadList(Q(kDemoList))) << c.name;
        ASSERT_EQ(list.ListCount(), 4);
        ASSERT_TRUE(h.app->PlayerWindow()->Control().ChangeSong(c.first));
        c.edit(list, h.app->PlaylistWindow()->List());
        const std::string expected =
            c.expected ? c.expected : Word(list.ListPath((list.CurrentPlaying() + 1) % 4));
        switch (c.step) {
            case Step::Next:
                h.app->Run(Command::Next);
                break;
            case Step::Previous:
                h.app->Run(Command::Previous);
                break;
            case Step::SongEnds:
                h.app->SeekTo(h.app->Transport().Length() - 0.6);
                h.Advance(1.5);
                break;
        }
        EXPECT_EQ(Word(h.app->Transport().CurrentPath()), expected) << c.name;
        EXPECT_EQ(list.ListPath(list.CurrentPlaying()), h.app->Transport().CurrentPath())
            << c.name << ": the mark is on the song that plays";
    }
}

TEST(PlaylistStories, DraggingAndCtrlArrowsMoveTheSelectionAndTheMarkFollows) {
    AppHarness h;
    ASSERT_TRUE(h.Start(Q(kDemoList)));
    FlatListModel& list = h.app->List();
    FlatListWidget* widget = h.app->PlaylistWindow()->List();
    ASSERT_TRUE(h.app->PlayerWindow()->Control().ChangeSong(1));  // Row
    const auto order = [&] {
        std::string s;
        for (const auto& item : list.Items()) s += Word(item.ListPath).front();
        return s;
    };
    ASSERT_EQ(order(), "TRFM");

    list.SelectOnly(1);
    Key(widget, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(order(), "TFRM");
    EXPECT_TRUE(list.Selected(2)) << "the moved song stays selected";
    Key(widget, Qt::Key_Up, Qt::ControlModifier);
    Key(widget, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(order(), "RTFM");

    // Two songs dragged together keep their order; a plain click after a
    // drag narrows the selection as usual.
    list.SelectOnly(0);
    list.SetSelected(2, true);
    DragRow(widget, 2, 4 - 1);
    EXPECT_EQ(order(), "TRFM");
    EXPECT_EQ(Word(list.ListPath(list.CurrentPlaying())), "Row");
    EXPECT_TRUE(list.Selected(1) && list.Selected(2));
    const FlatListMetrics m = MeasureFlatList(list, widget->Look().Font());
    const int row2 = (2 - list.TopIndex()) * m.rowHeight + m.rowHeight / 2;
    Mouse(widget, QEvent::MouseButtonPress, row2, Qt::LeftButton);
    EXPECT_TRUE(list.Selected(1)) << "a press may start a drag of the whole selection";
    Mouse(widget, QEvent::MouseButtonRelease, row2, Qt::NoButton);
    EXPECT_EQ(list.FirstSelected(), 2);
    EXPECT_FALSE(list.Selected(1));
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
    ASSERT_TRUE(h.app->Run(Command::Preferences));
    Preferences* p = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!p && w->isVisible()) p = qobject_cast<Preferences*>(w);
    }
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

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return cx::test::RunWithPlayerHome(argc, argv);
}
