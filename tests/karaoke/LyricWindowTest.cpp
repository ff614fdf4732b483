// The karaoke window offscreen: keys, menu captions, placement, ticks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "KaraokeTestSupport.h"
#include "app/Registry.h"
#include "karaoke/gui/Lyric.h"

namespace cx {
namespace {

class LyricWindow : public ::testing::Test {
protected:
    std::unique_ptr<Lyric> Make(bool mediaOpen = true) {
        Lyric::Hooks hooks;
        hooks.Play = [this] { m_log += "play;"; };
        hooks.Next = [this] { m_log += "next;"; };
        hooks.Options = [this] { m_log += "options;"; };
        hooks.Details = [this] { m_log += "details;"; };
        hooks.RecordKey = [this](int) { m_log += "record;"; };
        hooks.MediaOpen = [mediaOpen] { return mediaOpen; };
        hooks.SettingsChanged = [this](const KaraokeSettings& s) { m_stored = s; };
        hooks.Message = [this](const std::string& text) { m_log += "message:" + text + ";"; };
        auto translate = [](const std::string& key) { return key == "Play" ? "Odtwarzaj" : ""; };
        return std::make_unique<Lyric>(test::TestSettings(), translate, hooks, &m_store);
    }
    void Key(Lyric& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(&w, &e);
    }

    std::string m_log;
    KaraokeSettings m_stored;
    MemoryRegistryStore m_store;
};

TEST_F(LyricWindow, KeysReachThePlayerAndTheSettings) {
    auto w = Make();
    Key(*w, Qt::Key_X);
    Key(*w, Qt::Key_B);
    Key(*w, Qt::Key_P, Qt::ControlModifier);
    Key(*w, Qt::Key_K);
    Key(*w, Qt::Key_R);
    EXPECT_EQ(m_log, "play;next;options;details;record;");
    for (int key : {Qt::Key_F9, Qt::Key_F9, Qt::Key_F10}) Key(*w, key);
    EXPECT_NEAR(m_stored.LyricsOffset, 0.1, 1e-9);
    Key(*w, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(m_stored.LyricsFontSize, 22);
    Key(*w, Qt::Key_Plus);  // the main keyboard's + is not the font key
    EXPECT_EQ(m_stored.LyricsFontSize, 22);
    Key(*w, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(m_stored.LyricsFitFont);

    auto idle = Make(false);
    m_log.clear();
    Key(*idle, Qt::Key_K);
    EXPECT_EQ(m_log, "message:DetailsNoMedia;");
}

TEST_F(LyricWindow, MenuShowsTranslatedCaptionsWithTheirKeys) {
    auto w = Make();
    QStringList texts;
    for (QAction* a : w->Menu().actions()) texts << a->text();
    EXPECT_EQ(texts.size(), 12);
    EXPECT_TRUE(texts.contains("Odtwarzaj\tX"));
    EXPECT_TRUE(texts.contains("Fullscreen\tF5"));
}

TEST_F(LyricWindow, PlacementIsKeptInTwipsAndTheSizeHasAFloor) {
    WriteRegistryText(m_store, kSettingsKey, kKaraokePositionValue, "1500,3000,9000,6000");
    auto w = Make();
    EXPECT_EQ(w->size(), QSize(600, 400));
    w->resize(100, 50);
    EXPECT_GE(w->width(), kLyricMinWidth);
    EXPECT_GE(w->height(), kLyricMinHeight);
    w->resize(700, 500);
    w->close();
    const std::string saved = ReadRegistryText(m_store, kSettingsKey, kKaraokePositionValue);
    EXPECT_NE(saved.find(",10500,7500"), std::string::npos) << saved;
}

TEST_F(LyricWindow, TicksPaintTheLyricArea) {
    auto w = Make();
    LyricsModel model = test::MakeModel({{{"Hello ", 0.5}, {"there", 1.0}}});
    w->show();
    w->resize(500, 300);
    QApplication::processEvents();
    w->Display().ChangeLyrics(&model, SongLook{});
    for (int ms = 0; ms <= 600; ms += 10) w->PlaybackTick(ms / 1000.0);
    EXPECT_EQ(w->Display().CurrentPiece(), 1);
    EXPECT_EQ(w->Display().Frame().size(), QSize(500, 300 - 37));
    w->ChangeScreen2();
    EXPECT_TRUE(w->FullscreenOn());
    Key(*w, Qt::Key_Escape);
    EXPECT_FALSE(w->FullscreenOn());
    EXPECT_EQ(MonitorIndex("Monitor 1 (primary)"), 0);
    EXPECT_EQ(MonitorIndex("Monitor 3"), 2);
}

}  // namespace
}  // namespace cx

// One application for both window test files of this program.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
