// Adding a folder to the playlist window: scanned off the window's thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "playlist/gui/UserList.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

const auto NoTags = [](const std::string&) { return std::optional<ItemTags>(); };

TEST(UserListFolder, AThousandSongsArriveWhileTheWindowKeepsWorking) {
    test::TempDir dir;
    for (int i = 0; i < 1000; ++i) {
        const fs::path folder = dir / ("artist" + std::to_string(i % 20));
        fs::create_directories(folder);
        test::WriteBytes(folder / ("song" + std::to_string(i) + ".mp3"), "x");
        if (i % 2 == 0) test::WriteBytes(folder / ("song" + std::to_string(i) + ".cdg"), "g");
    }
    ASSERT_TRUE(test::WriteZip(dir / "zipped.zip", {{"Z.mp3", "a"}, {"z.cdg", "g"}}));
    ASSERT_TRUE(test::WriteZip(dir / "photos.zip", {{"p.jpg", "a"}}));

    FlatListModel model;
    UserList window(model, {}, NoTags);
    int added = -1;
    window.onFolderAdded = [&](int n) { added = n; };
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    window.AddFolder(QString::fromStdString(dir.Path().string()));
    EXPECT_TRUE(window.AddingFolder());  // the call returns at once
    QElapsedTimer clock;
    clock.start();
    while (added < 0 && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(added, 1001) << "pairs and the zipped song count once; the zip of photos not at all";
    EXPECT_EQ(model.ListCount(), 1001);
    EXPECT_FALSE(window.AddingFolder());
    EXPECT_GT(ticks, 0) << "the event loop ran while the folder was scanned";
}

TEST(UserListFolder, ClosingTheWindowDuringAScanStopsIt) {
    test::TempDir dir;
    for (int i = 0; i < 300; ++i) test::WriteBytes(dir / ("s" + std::to_string(i) + ".ogg"), "x");
    FlatListModel model;
    {
        UserList window(model, {}, NoTags);
        window.AddFolder(QString::fromStdString(dir.Path().string()));
        window.AddFolder(QString::fromStdString(dir.Path().string()));  // ignored while busy
    }
    QApplication::processEvents();
    SUCCEED();
}

}  // namespace
}  // namespace cx
