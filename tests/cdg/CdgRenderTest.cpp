#include <gtest/gtest.h>

#include "CdgTestPackets.h"
#include "cdg/CdgRender.h"

namespace cx {
namespace {

using namespace cx::test;

TEST(CdgRender, FrameIsThePaletteOfTheModelFramedByTheBorder) {
    CdgScreen s;
    for (const auto& p : {Colors(false, {0x000, 0xF00, 0x0F0, 0x00F, 0, 0, 0, 0x8A4}),
                          BorderPreset(1), MemoryPreset(3), Tile(8, 20, 2, 7, 0b110011)}) {
        s.Dispatch(Normal(p));
    }
    const QImage img = RenderCdgScreen(s);
    ASSERT_EQ(img.size(), QSize(kCdgWidth, kCdgHeight));
    EXPECT_EQ(img.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(299, 215), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(5, 100), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(6, 100), 0xFF0000FFu);
    EXPECT_EQ(img.pixel(120, 96), 0xFF88AA44u);
    EXPECT_EQ(img.pixel(122, 96), 0xFF00FF00u);
    for (int y = 0; y < kCdgHeight; y += 7) {
        for (int x = 6; x < kCdgWidth - 6; x += 5) {
            if (y < 12 || y >= 204) continue;
            ASSERT_EQ(img.pixel(x, y), 0xFF000000u | s.Colors()[s.Pixel(x, y)]) << x << "," << y;
        }
    }
}

TEST(CdgRender, ScalingKeepsTheAspectRatioAndSharpScalingRepeatsPixels) {
    EXPECT_EQ(FitCdgRect(QSize(600, 432)), QRect(0, 0, 600, 432));
    EXPECT_EQ(FitCdgRect(QSize(1920, 1080)), QRect(210, 0, 1500, 1080));
    EXPECT_EQ(FitCdgRect(QSize(300, 1000)), QRect(0, 392, 300, 216));
    EXPECT_TRUE(FitCdgRect(QSize(0, 10)).isEmpty());

    QImage frame(kCdgWidth, kCdgHeight, QImage::Format_RGB32);
    frame.fill(Qt::white);
    frame.setPixel(10, 10, 0xFFFF0000u);
    const QImage sharp = ScaleCdgFrame(frame, QSize(1920, 1080), false);
    ASSERT_EQ(sharp.size(), QSize(1920, 1080));
    EXPECT_EQ(sharp.pixel(100, 500), 0xFF000000u);  // letterbox
    EXPECT_EQ(sharp.pixel(300, 500), 0xFFFFFFFFu);
    EXPECT_EQ(sharp.pixel(210 + 50 + 2, 50 + 2), 0xFFFF0000u);  // 5x: pixel 10 covers 50..54
    const QImage smooth = ScaleCdgFrame(frame, QSize(1500, 1080), true);
    EXPECT_NE(smooth.pixel(49, 52), 0xFFFFFFFFu);  // filtered edge
    EXPECT_FALSE(PaintIdlePicture(QSize(320, 240)).isNull());
}

}  // namespace
}  // namespace cx
