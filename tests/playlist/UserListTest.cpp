// The playlist window and control offscreen, and folders added to it.
#include "playlist/gui/UserList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>

#include "playlist/SongFiles.h"
#include "playlist/gui/FlatListPainter.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

std::optional<ItemTags> FakeTags(const std::string& path) {
    if (path.ends_with("tagged.mp3")) return ItemTags{"Band - Tune", "03:21"};
    return std::nullopt;
}

const auto NoTags = [](const std::string&) { return std::optional<ItemTags>(); };

void WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(UserList, AddedFilesGetTheirTagsWithoutBlocking) {
    test::TempDir dir;
    for (const char* f : {"tagged.mp3", "plain.kar", "words.lrc", "notes.txt", "plain.lrc"})
        test::WriteBytes(dir / f, "x");
    FlatListModel model;
    UserList window(model, {}, FakeTags);
    QStringList files;
    for (const char* f : {"tagged.mp3", "plain.lrc", "notes.txt", "words.lrc"})
        files << QString::fromStdString((dir / f).string());
    EXPECT_EQ(window.AddFiles(files), 0);
    ASSERT_EQ(model.ListCount(), 2)
        << "lyrics map to their song; unmatched and text files are left out";
    EXPECT_EQ(model.ListPath(1), (dir / "plain.kar").string());
    EXPECT_EQ(model.ListString(0), "tagged") << "the base name first";
    WaitFor([&] { return model.ListString(0) == "Band - Tune"; });
    EXPECT_EQ(model.ListString(0), "Band - Tune");
    EXPECT_EQ(model.ListTime(0), "03:21");
    EXPECT_EQ(model.ListString(1), "plain");
}

TEST(UserList, LoadsPlsSkippingMissingFilesSavesM3uAndKeepsItsPlace) {
    test::TempDir dir;
    for (const char* f : {"a.mp3", "b.ogg"}) test::WriteBytes(dir / f, "x");
    test::WriteBytes(dir / "list.pls",
                     "[playlist]\r\nFile1=a.mp3\r\nTitle1=First\r\nLength1=65\r\nfile2=gone.mp3\r\n"
                     "FILE3=b.ogg\r\n");
    FlatListModel model;
    model.AddItem("old", "", "/old.mp3");
    UserList window(model, {}, NoTags);
    QString error;
    ASSERT_TRUE(window.LoadList(QString::fromStdString((dir / "list.pls").string()), &error));
    ASSERT_EQ(model.ListCount(), 2);
    EXPECT_EQ(model.ListString(0), "First");
    EXPECT_EQ(model.ListTime(0), "01:05");
    EXPECT_EQ(model.ListString(1), "b");
    EXPECT_TRUE(window.StatusText().contains("1 not found"));

    ASSERT_TRUE(window.SaveList(QString::fromStdString((dir / "saved").string()), &error));
    const std::string saved = test::ReadBytes(dir / "saved.m3u");
    EXPECT_EQ(saved, "#EXTM3U\r\n#EXTINF:65,First\r\na.mp3\r\n#EXTINF:0,b\r\nb.ogg\r\n");

    EXPECT_FALSE(window.LoadList(QString::fromStdString((dir / "none.m3u").string()), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(model.ListCount(), 2) << "a failed load keeps the list";

    window.ApplyPosition("40,50,300,400");
    EXPECT_EQ(window.PositionText(), "40,50,300,400");
    window.ApplyPosition("junk");
    EXPECT_EQ(window.PositionText(), "40,50,300,400");
}

TEST(UserList, DeleteKeyRemovesAndOtherKeysReachThePlayer) {
    FlatListModel model;
    UserList window(model, {}, NoTags);
    model.AddItem("a", "", "/a.mp3");
    model.AddItem("b", "", "/b.mp3");
    int played = -1;
    int otherKey = 0;
    window.onPlay = [&](int i) { played = i; };
    window.onOtherKey = [&](QKeyEvent* e) {
        otherKey = e->key();
        return true;
    };
    window.show();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(window.List(), &down);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window.List(), &enter);
    EXPECT_EQ(played, 0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window.List(), &del);
    ASSERT_EQ(model.ListCount(), 1);
    EXPECT_EQ(model.ListString(0), "b");
    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier);
    QApplication::sendEvent(window.List(), &b);
    EXPECT_EQ(otherKey, Qt::Key_B);
}

TEST(UserList, WheelScrollsOneItemPerNotchOnlyWhenActive) {
    FlatListModel model;
    for (int i = 0; i < 50; ++i) model.AddItem(std::to_string(i), "", "/" + std::to_string(i));
    UserList window(model, {}, NoTags);
    window.show();
    model.SetTopIndex(10);
    const auto wheel = [&](int dy) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.List()->viewport(), &e);
    };
    QApplication::setActiveWindow(nullptr);
    wheel(120);
    EXPECT_EQ(model.TopIndex(), 10) << "an inactive window does not scroll";
    QApplication::setActiveWindow(&window);
    if (!window.isActiveWindow()) GTEST_SKIP() << "this platform cannot activate windows";
    wheel(120);
    EXPECT_EQ(model.TopIndex(), 9);
    wheel(-240);
    EXPECT_EQ(model.TopIndex(), 11);
    wheel(60);
    EXPECT_EQ(model.TopIndex(), 11) << "half a notch waits for the other half";
    wheel(60);
    EXPECT_EQ(model.TopIndex(), 10);
}

// Adding a folder: scanned off the window's thread.
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

// The highest contrast of any pixel in a box against the box's fill: how
// strongly something is drawn there.
// With `lowest`, the lowest contrast instead: 1 when that colour is drawn there.
double InkIn(const QImage& image, QRect box, QColor fill, bool lowest = false) {
    double ink = lowest ? 1e9 : 1;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const double c = ContrastRatio(image.pixelColor(x, y), fill);
            ink = lowest ? std::min(ink, c) : std::max(ink, c);
        }
    return ink;
}

// Plain, selected, playing and missing rows told apart at a glance, in the
// stored dark look, a light one and a red selection, even with colours that
// would hide the selection and the playing song. A visible selection colour
// is drawn as chosen.
TEST(FlatListPainter, SelectedPlayingAndMissingRowsStandApartInEveryLook) {
    FlatListModel model;
    for (const char* t : {"Plain", "Selected", "Playing", "Missing"})
        model.AddItem(t, "03:00", std::string("/") + t + ".mp3");
    model.SetSelected(1, true);
    model.SetCurrentPlaying(2);
    model.SetMissing({model.Item(3).id});
    FlatListLook dark;  // as stored: black selection on the dark list
    FlatListLook hidden = dark;
    hidden.selected = hidden.back;
    hidden.playing = hidden.fore;
    FlatListLook light;
    light.back = QColor(0xf6, 0xf6, 0xf4);
    light.fore = QColor(0x30, 0x30, 0x30);
    light.selected = QColor(0xee, 0xee, 0xee);
    light.playing = light.fore;
    FlatListLook red;
    red.selected = QColor(200, 0, 0);
    const std::pair<const char*, FlatListLook> looks[] = {
        {"dark", dark},
        {"dark, selection and playing hidden", hidden},
        {"light", light},
        {"red", red}};
    for (const auto& [name, look] : looks) {
        SCOPED_TRACE(name);
        const FlatListMetrics m = MeasureFlatList(model, look.Font());
        const QImage image = RenderFlatList(model, look, QSize(300, 5 * m.rowHeight));
        const auto row = [&](int i) { return QRect(0, i * m.rowHeight, 300, m.rowHeight); };
        const auto fillOf = [&](int i) { return image.pixelColor(299, row(i).center().y()); };
        EXPECT_EQ(fillOf(0), look.back);
        EXPECT_EQ(fillOf(4), look.back) << "below the last row";
        EXPECT_GE(ContrastRatio(fillOf(1), look.back), 1.5) << "selection fill";
        EXPECT_TRUE(ContrastRatio(look.selected, look.back) < 2 || fillOf(1) == look.selected)
            << "a visible selection colour is kept";
        EXPECT_GE(InkIn(image, row(1), fillOf(1)), 3.0) << "text on the selection";
        const auto mark = [&](int i) {
            return QRect(m.padding, row(i).top(), m.markerWidth, m.rowHeight);
        };
        EXPECT_GE(InkIn(image, mark(2), look.back), 3.0) << "the playing mark";
        EXPECT_LT(InkIn(image, mark(0), look.back), 1.2) << "no mark elsewhere";
        EXPECT_TRUE(ContrastRatio(look.playing, look.back) < 3 ||
                    InkIn(image, row(2), look.playing, true) == 1)
            << "the playing row's text in its colour";
        const double plainInk = InkIn(image, row(0), look.back);
        const double missingInk = InkIn(image, row(3), look.back);
        EXPECT_LT(missingInk, plainInk * 0.6) << "a missing file is dimmed";
        EXPECT_GT(missingInk, 1.8) << "yet readable";
        EXPECT_EQ(RowAt(model, m, 2 * m.rowHeight + 1), 2);
        EXPECT_EQ(RowAt(model, m, 4 * m.rowHeight), -1);
    }
    EXPECT_EQ(BgrFromColor(ColorFromBgr(12760231)), 12760231u);
    if (const char* dir = std::getenv("CX_SHOT_DIR")) {
        UserList window(model, {}, NoTags);
        window.resize(360, 160);
        window.show();
        window.grab().save(QString::fromUtf8(dir) + "/playlist.png");
        window.SetLook(light);
        window.grab().save(QString::fromUtf8(dir) + "/playlist-light.png");
    }
}

TEST(SongFiles, LyricsAndGraphicsMapToTheirSong) {
    test::TempDir dir;
    for (const char* f : {"duet.kar", "duet.mp3", "duet.cdg"}) test::WriteBytes(dir / f, "x");
    EXPECT_EQ(MediaFileFor((dir / "duet.cdg").string()), (dir / "duet.mp3").string())
        << "the first kind in our order wins";
    EXPECT_EQ(MediaFileFor((dir / "solo.lrs").string()), "");
    EXPECT_EQ(MediaFileFor((dir / "x.txt").string()), "");
    EXPECT_TRUE(IsAcceptedSongFile("/a/B.MP3"));
    EXPECT_FALSE(IsAcceptedSongFile("/a/b.txt"));
}

}  // namespace
}  // namespace cx

int main(int argc, char** argv) {
    // Test discovery runs the program without the test environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
