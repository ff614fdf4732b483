// The song library in the real player, offscreen: a host opens the Library
// window from the menu, adds a folder, types three letters and plays a song.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QThread>
#include <QTreeWidget>

#include "../app/AppHarness.h"
#include "library/gui/LibraryWindow.h"
#include "playback/MediaControl.h"

namespace cx {
namespace {

using test::AppHarness;

TEST(LibraryStories, AHostAddsAFolderFindsASongByThreeLettersAndPlaysIt) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.app->SongLibraryWindow(), nullptr);  // nothing opened at start-up
    const auto songs = h.Home() / "songs";
    std::filesystem::create_directories(songs / "kar");
    const auto song = songs / "kar" / "Traditional - Frere Jacques.kar";
    std::filesystem::copy_file(test::DemoDir() / "Frere Jacques.kar", song);
    for (const char* other : {"Row Row Row Your Boat.flac", "Row Row Row Your Boat.lrs",
                              "Mary Had a Little Lamb.wav", "Mary Had a Little Lamb.cdg"})
        std::filesystem::copy_file(test::DemoDir() / other, songs / other);

    QAction* open = h.app->PlayerWindow()->MenuAction(Command::Library);
    ASSERT_NE(open, nullptr);
    open->trigger();
    LibraryWindow* window = h.app->SongLibraryWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->AddFolder(test::QPath(songs));
    for (int i = 0; i < 1000 && window->Scanning(); ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    ASSERT_FALSE(window->Scanning());

    for (const QChar c : QString("fre")) test::SendKey(window->SearchBox(), 0, Qt::NoModifier, c);
    ASSERT_EQ(window->Results()->topLevelItemCount(), 1);
    test::SendKey(window->SearchBox(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(h.app->Media().CurrentPath(), song.string());
}

}  // namespace
}  // namespace cx
