#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "CdgTestPackets.h"
#include "cdg/CdgWindow.h"
#include "playback/AudioSource.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::test;

class ManualClock : public AudioClock {
public:
    double AudiblePositionSeconds() const override { return seconds; }
    double seconds = 0;
};

class CdgWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "cdg-window-test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) s_app = new QApplication(argc, argv);
    }

    void Key(CdgWindow& w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&w, &press);
    }

    std::string WriteSong(const std::vector<RawPacket>& packets) {
        WriteCdg(m_dir / "song.cdg", packets);
        return (m_dir / "song.cdg").string();
    }

    static inline QApplication* s_app = nullptr;
    TempDir m_dir;
};

TEST_F(CdgWindowTest, TransportKeysFollowTheState) {
    CdgWindow w;
    std::string error;
    ASSERT_TRUE(w.LoadCDG(WriteSong({BorderPreset(1), Empty()}), error)) << error;
    std::vector<std::string> asked;
    w.SetActions({[&] { asked.push_back("play"), w.PlayCDG(); },
                  [&] { asked.push_back("pause"), w.PauseCDG(); },
                  [&] { asked.push_back("stop"), w.StopCDG(); }});
    Key(w, Qt::Key_V);  // already stopped
    Key(w, Qt::Key_X);
    Key(w, Qt::Key_X);  // already playing
    EXPECT_STREQ(w.getState(), "play");
    for (int key : {Qt::Key_C, Qt::Key_C, Qt::Key_X, Qt::Key_V}) Key(w, key);
    EXPECT_EQ(asked, (std::vector<std::string>{"play", "pause", "play", "stop"}));
    EXPECT_STREQ(w.getState(), "stop");
    EXPECT_FALSE(w.CdgMode());
}

TEST_F(CdgWindowTest, FullScreenByF5AndBackByEscapeOnly) {
    CdgWindow w;
    w.PlaceFromText("");
    w.show();
    Key(w, Qt::Key_Escape);
    EXPECT_FALSE(w.FullscreenOn());
    const QRect normal = w.geometry();
    Key(w, Qt::Key_F5);
    EXPECT_TRUE(w.FullscreenOn());
    EXPECT_EQ(w.PlacementText(), FormatWindowPosition(normal));  // the stored place stays
    Key(w, Qt::Key_Escape);
    EXPECT_FALSE(w.FullscreenOn());
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &twice);
    EXPECT_TRUE(w.FullscreenOn());
}

TEST_F(CdgWindowTest, PopupMenuIsTranslatedAndDrivesTheChannels) {
    CdgWindow w(nullptr, [](const std::string& key) { return "<" + key + ">"; });
    QMenu* menu = w.PopupMenu();
    const auto items = menu->actions();
    QStringList texts;
    for (const QAction* a : items) texts << a->text();
    ASSERT_EQ(texts, (QStringList{"<Fullscreen>\tF5", "<Play>\tX", "<Pause>\tC", "<Stop>\tV",
                                  "<Channels>"}));
    const auto channels = items[4]->menu()->actions();
    ASSERT_EQ(channels.size(), kCdgChannels);
    EXPECT_TRUE(channels[1]->isChecked());
    EXPECT_FALSE(channels[2]->isChecked());
    channels[2]->setChecked(true);
    EXPECT_TRUE(w.GetChannel(2));
    w.SwitchChannel(0, false);
    EXPECT_FALSE(w.PopupMenu()->actions()[4]->menu()->actions()[0]->isChecked());
}

TEST_F(CdgWindowTest, PlacementComesFromTheStoredKaraokeWindowPosition) {
    EXPECT_EQ(ParseWindowPosition("1500,3000,9000,6480"), QRect(100, 200, 600, 432));
    EXPECT_EQ(ParseWindowPosition(" -150, 0 ,4500,3000"), QRect(-10, 0, 300, 200));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "a,b,c,d", "0,0,0,3000", "0,0,,3000",
                            "0,0,99999999999999999999,1"})
        EXPECT_FALSE(ParseWindowPosition(bad).has_value()) << bad;
    EXPECT_EQ(ParseWindowPosition(FormatWindowPosition(QRect(7, 8, 640, 480))),
              QRect(7, 8, 640, 480));
    CdgWindow w;
    w.PlaceFromText("1500,3000,9000,6480");
    EXPECT_EQ(w.geometry(), QRect(100, 200, 600, 432));
    w.PlaceFromText("rubbish");
    EXPECT_FALSE(w.geometry().isEmpty());
}

TEST_F(CdgWindowTest, ShowsTheIdlePictureThenTheGraphicsInStepWithTheClock) {
    std::vector<RawPacket> packets(600, Empty());
    packets[0] = Colors(false, {0x000, 0xF00, 0, 0, 0, 0, 0, 0});
    packets[300] = MemoryPreset(1);
    CdgWindow w;
    std::string error;
    ASSERT_TRUE(w.LoadCDG(WriteSong(packets), error)) << error;
    EXPECT_TRUE(w.CdgMode());
    EXPECT_TRUE(w.Player().IdlePictureVisible());
    ManualClock clock;
    w.SetClock(&clock);
    w.resize(600, 432);
    w.PlayCDG();
    clock.seconds = 0.5;
    w.Tick();
    EXPECT_EQ(w.Player().CurrentPacket(), 151u);
    EXPECT_TRUE(w.Player().IdlePictureVisible());
    clock.seconds = 1.0;
    w.Tick();
    EXPECT_FALSE(w.Player().IdlePictureVisible());
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixel(300, 216) & 0xFFFFFF, 0xFF0000u);
    w.StopCDG();
    EXPECT_STREQ(w.getState(), "stop");
    EXPECT_EQ(w.Player().CurrentPacket(), 0u);
    EXPECT_TRUE(w.Player().IdlePictureVisible());
    EXPECT_FALSE(w.CdgMode());
    clock.seconds = 2.0;
    w.Tick();  // a stopped song stays at its start
    EXPECT_EQ(w.Player().CurrentPacket(), 0u);
}

TEST_F(CdgWindowTest, AShownWindowFollowsAPlayerDrivenElsewhere) {
    CdgPlayer player;
    std::string error;
    std::vector<RawPacket> packets(900, Empty());
    packets[600] = BorderPreset(1);
    ASSERT_TRUE(player.LoadCDG(Bytes(packets), error)) << error;
    CdgWindow w(&player);
    ManualClock clock;
    w.SetClock(&clock);
    w.show();
    player.PlayCDG();  // as the media control would
    clock.seconds = 2.5;
    QElapsedTimer waited;
    waited.start();
    while (player.CurrentPacket() < 751 && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(player.CurrentPacket(), 751u);
    EXPECT_FALSE(w.Player().IdlePictureVisible());
}

}  // namespace
}  // namespace cx
