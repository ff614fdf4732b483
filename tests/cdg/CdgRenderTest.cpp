#include <gtest/gtest.h>

#include "CdgTestPackets.h"
#include "cdg/CdgRender.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::test;

const RawPacket kOrangeGreenBlue = Colors(false, {0x000, 0xF80, 0x0F0, 0x00F, 0, 0, 0, 0});

TEST(CdgRender, FrameIsThePaletteOfTheModelFramedByTheBorder) {
    CdgScreen s;
    for (const auto& p : {Colors(false, {0x000, 0xF00, 0x0F0, 0x00F, 0, 0, 0, 0x8A4}),
                          BorderPreset(1), MemoryPreset(3), Tile(8, 20, 2, 7, 0b110011)})
        s.Dispatch(Normal(p));
    const QImage img = RenderCdgScreen(s);
    ASSERT_EQ(img.size(), QSize(kCdgWidth, kCdgHeight));
    EXPECT_EQ(img.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(299, 215), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(5, 100), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(6, 100), 0xFF0000FFu);
    EXPECT_EQ(img.pixel(120, 96), 0xFF88AA44u);
    EXPECT_EQ(img.pixel(122, 96), 0xFF00FF00u);
    for (int y = 14; y < 204; y += 7)  // every seventh row inside the border
        for (int x = 6; x < kCdgWidth - 6; x += 5)
            ASSERT_EQ(img.pixel(x, y), 0xFF000000u | s.Colors()[s.Pixel(x, y)]) << x << "," << y;
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

// `cbx cdg --at` writes exactly the model's picture (skipped when cbx is not built).
TEST(CdgRender, CbxFrameIsTheModelPicture) {
    CX_REQUIRE_CBX();
    TempDir dir;
    std::vector<RawPacket> packets(600, Empty());
    packets[0] = kOrangeGreenBlue;
    packets[10] = BorderPreset(3);
    packets[20] = MemoryPreset(1);
    packets[299] = Tile(4, 7, 2, 3, 0b101101, true);
    packets[301] = Tile(5, 7, 2, 3, 0b101101);  // after 1.0 s: not in the frame
    WriteCdg(dir / "s.cdg", packets);
    const CbxRun r =
        Cbx("cdg " + Quote(dir / "s.cdg") + " --at 1.0 -o " + Quote(dir / "f.png") + " --scale 2",
            true);
    ASSERT_EQ(r.code, 0) << r.out;

    CdgScreen s;
    for (int n = 0; n <= 300; ++n) s.Dispatch(Normal(packets[n]));
    const QImage expected = RenderCdgScreen(s);
    const QImage written = QImage(QString::fromStdString((dir / "f.png").string()))
                               .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(written.size(), expected.size() * 2);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(written.pixel(2 * x + 1, 2 * y + 1), expected.pixel(x, y)) << x << "," << y;
}

// `cbx cdg --frames` writes one file a frame and says how fast it went.
TEST(CdgRender, CbxFramesReportsFramesPerSecond) {
    CX_REQUIRE_CBX();
    TempDir dir;
    std::vector<RawPacket> packets(900, Empty());
    packets[0] = kOrangeGreenBlue;
    packets[20] = MemoryPreset(1);
    packets[450] = Tile(4, 7, 2, 3, 0b101101);
    WriteCdg(dir / "s.cdg", packets);
    const std::string base =
        "cdg " + Quote(dir / "s.cdg") + " --frames " + Quote(dir / "f") + " --fps 10";
    const CbxRun run = Cbx(base + " --json --threads 2");
    ASSERT_EQ(run.code, 0);
    const std::string& json = run.out;
    EXPECT_NE(json.find("\"frames\":31,"), std::string::npos) << json;  // 0 .. 3.0 s
    EXPECT_NE(json.find("\"encoded\":3,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"fps\":"), std::string::npos) << json;
    EXPECT_TRUE(std::filesystem::exists(dir / "f" / "frame-000030.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "f" / "frame-000031.png"));
    EXPECT_NE(Cbx(base + " --threads 0").code, 0);
}

}  // namespace
}  // namespace cx
