// Exporting from the player: File > Export video (Alt+E) with a song open.
#include <QAction>
#include <QApplication>
#include <QThread>

#include "VideoSongs.h"
#include "app/AppHarness.h"
#include "video/VideoReader.h"
#include "video/gui/ExportVideoDialog.h"

namespace cx::test {
namespace {

ExportVideoDialog* PressAltE(Application& app) {
    SendKey(app.PlayerWindow(), Qt::Key_E, Qt::AltModifier, "e");
    return app.PlayerWindow()->findChild<ExportVideoDialog*>();
}

void WaitWhileRunning(ExportVideoDialog& dialog) {
    for (int i = 0; i < 6000 && dialog.Running(); ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    QThread::msleep(200);  // the last poll
    QApplication::processEvents();
}

TEST(VideoStories, AltEExportsTheOpenSongWhileThePlayerGoesOn) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    const QAction* item = h.app->PlayerWindow()->MenuAction(Command::ExportVideo);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isEnabled());  // no song yet, and the tooltip says so
    EXPECT_FALSE(item->toolTip().isEmpty());
    EXPECT_EQ(PressAltE(*h.app), nullptr);

    const auto song = WriteLyricsSong(h.Home());
    h.app.reset();
    ASSERT_TRUE(h.Start(QPath(song)));
    ExportVideoDialog* dialog = PressAltE(*h.app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->Output().toStdString(), (h.Home() / "song.mp4").string());
    dialog->StartExport();
    EXPECT_TRUE(dialog->Running());
    h.Advance(0.5);  // the song plays on meanwhile
    WaitWhileRunning(*dialog);
    ASSERT_FALSE(dialog->Running());
    const VideoReadout video = ReadVideo((h.Home() / "song.mp4").string(), {}, false);
    ASSERT_TRUE(video.ok) << video.error << " / " << dialog->Status().toStdString();
    EXPECT_EQ(video.videoCodec, "h264");
    EXPECT_EQ(video.soundCodec, "aac");
    EXPECT_NEAR(video.seconds, kSongSeconds, 0.05);
}

TEST(VideoStories, QuitDuringAnExportStopsItAndLeavesNoFile) {
    AppHarness h;
    const auto song = WriteLyricsSong(h.Home());
    ASSERT_TRUE(h.Start(QPath(song)));
    ExportVideoDialog* dialog = PressAltE(*h.app);
    ASSERT_NE(dialog, nullptr);
    dialog->StartExport();
    ASSERT_TRUE(dialog->Running());
    h.app->Run(Command::Exit);  // what the bus's Quit runs
    for (int i = 0; i < 100 && !h.app->ClosingDown(); ++i) QApplication::processEvents();
    EXPECT_TRUE(h.app->ClosingDown());
    h.app.reset();  // the windows go, the export with them
    EXPECT_FALSE(std::filesystem::exists(h.Home() / "song.mp4"));
    EXPECT_TRUE(NoPartFiles(h.Home()));
}

}  // namespace
}  // namespace cx::test
