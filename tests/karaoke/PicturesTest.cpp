// Background layouts, picture loading and the picture timeline.
#include <gtest/gtest.h>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/Pictures.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Pattern;
using test::Solid;

TEST(Pictures, TileRepeatsFromTheTopLeftAndCutsAtTheEdges) {
    const QImage pic = Pattern({30, 20});
    const QImage bg = LayoutBackground({100, 50}, 0x000000FF, pic, kLayoutTile, QImage());
    ASSERT_EQ(bg.size(), QSize(100, 50));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(bg.pixel(x, y), pic.pixel(x % 30, y % 20)) << x << "," << y;
}

TEST(Pictures, ActualSizeSitsTopLeftOnTheBackColour) {
    const QImage pic = Pattern({30, 20});
    const QImage bg = LayoutBackground({100, 50}, 0x000000FF, pic, kLayoutActualSize, QImage());
    EXPECT_EQ(bg.pixel(29, 19), pic.pixel(29, 19));
    EXPECT_EQ(bg.pixel(30, 0), qRgb(255, 0, 0));
    EXPECT_EQ(bg.pixel(0, 20), qRgb(255, 0, 0));
    const QImage big = Pattern({300, 200});
    const QImage cut = LayoutBackground({100, 50}, 0, big, kLayoutActualSize, QImage());
    EXPECT_EQ(cut.pixel(99, 49), big.pixel(99, 49));
}

TEST(Pictures, StretchAndTimelinePicturesCoverTheArea) {
    const QImage pic = Solid(10, 10, Qt::green);
    const QImage bg = LayoutBackground({100, 50}, 0x000000FF, pic, kLayoutStretch, QImage());
    EXPECT_EQ(test::CountColor(bg, qRgb(0, 255, 0)), 100 * 50);
    const QImage over = LayoutBackground({100, 50}, 0, pic, kLayoutTile, Solid(7, 3, Qt::yellow));
    EXPECT_EQ(test::CountColor(over, qRgb(255, 255, 0)), 100 * 50);
}

TEST(Pictures, DecodingRefusesWhatIsNotAPicture) {
    test::TempDir dir;
    EXPECT_TRUE(DecodePicture((dir / "missing.png").string()).isNull());
    test::WriteBytes(dir / "junk.jpg", "not a picture at all");
    EXPECT_TRUE(DecodePicture((dir / "junk.jpg").string()).isNull());
    for (const char* ext : {"png", "bmp", "jpg", "gif"}) {
        const auto path = (dir / (std::string("p.") + ext)).string();
        if (!Pattern({12, 8}).save(QString::fromStdString(path))) continue;  // no writer for it
        EXPECT_EQ(DecodePicture(path).size(), QSize(12, 8)) << ext;
    }
}

class Timeline : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings = test::TestSettings();
        for (auto [name, color] :
             {std::pair{"red.png", Qt::red}, {"green.png", Qt::green}, {"blue.png", Qt::blue}}) {
            const auto path = (m_dir / name).string();
            Solid(16, 16, color).save(QString::fromStdString(path));
            m_paths.push_back(path);
        }
        m_display.SetSettings(m_settings);
        m_display.SetWindow(200, 150, true);
        m_display.SetMediaOpen(true);
    }
    int Count(QRgb c) { return test::CountColor(m_display.Frame(), c); }
    int Area() { return m_display.Frame().width() * m_display.Frame().height(); }

    test::TempDir m_dir;
    std::vector<std::string> m_paths;
    KaraokeSettings m_settings;
    KaraokeDisplay m_display;
    LyricsModel m_model;  // no lyrics: only pictures change
};

TEST_F(Timeline, SongPictureFallsBackToThePreferredOne) {
    m_settings.LyricsPicPath = m_paths[1];
    m_settings.LyricsPicLayout = kLayoutStretch;
    m_display.SetSettings(m_settings);
    SongLook look;
    look.Picture = (m_dir / "absent.png").string();
    m_display.ChangeLyrics(&m_model, look);
    EXPECT_EQ(Count(qRgb(0, 255, 0)), Area());
    look.Picture = m_paths[0];
    m_display.ChangeLyrics(&m_model, look);
    EXPECT_EQ(Count(qRgb(255, 0, 0)), Area());
}

TEST_F(Timeline, PicturesChangeAtTheirTimesThroughTransitions) {
    SongLook look;
    look.Schedule = {{m_paths[0], 0, "", "", 5},
                     {m_paths[1], 2, "Wipe Side", "Left", 10},
                     {m_paths[2], 4, "No effect", "", 5}};
    m_display.ChangeLyrics(&m_model, look);
    EXPECT_EQ(Count(qRgb(255, 0, 0)), Area());  // time 0: on show from the start
    m_display.IsPlaying(1.0, 1000);
    EXPECT_FALSE(m_display.TransitionRunning());

    m_display.IsPlaying(2.01, 2010);
    ASSERT_TRUE(m_display.TransitionRunning());
    const int green = Count(qRgb(0, 255, 0));
    EXPECT_GT(green, 0);
    EXPECT_LT(green, Area());
    std::int64_t now = 2010;
    while (m_display.TransitionRunning() && now < 10000) m_display.IsPlaying(2.5, now += 10);
    EXPECT_EQ(Count(qRgb(0, 255, 0)), Area());

    m_display.IsPlaying(4.01, now += 10);  // no effect: one step
    m_display.IsPlaying(4.02, now += 10);
    EXPECT_EQ(Count(qRgb(0, 0, 255)), Area());

    m_display.GetLastPos(3.0, now += 10);  // a jump shows the picture of the time at once
    EXPECT_FALSE(m_display.TransitionRunning());
    EXPECT_EQ(Count(qRgb(0, 255, 0)), Area());
    m_display.GetLastPos(0.5, now += 10);
    EXPECT_EQ(Count(qRgb(255, 0, 0)), Area());
    m_display.IsPlaying(1.0, now += 10);
    EXPECT_FALSE(m_display.TransitionRunning());  // nothing replays after the jump
}

TEST_F(Timeline, MissingTimelinePictureKeepsTheCurrentOne) {
    SongLook look;
    look.Schedule = {{m_paths[0], 0, "", "", 5},
                     {(m_dir / "gone.png").string(), 1, "Poker", "", 5}};
    m_display.ChangeLyrics(&m_model, look);
    m_display.IsPlaying(1.5, 1500);
    EXPECT_FALSE(m_display.TransitionRunning());
    EXPECT_EQ(Count(qRgb(255, 0, 0)), Area());
}

}  // namespace
}  // namespace cx
