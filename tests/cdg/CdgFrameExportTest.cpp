// Frame export: the pooled, reusing writer gives the same files as writing
// every frame one after another, and the files hold the screen's pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "CdgWriter.h"
#include "cdg/CdgFrameExport.h"
#include "cdg/CdgRender.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::cdgwrite;
using cx::test::ReadBytes;
using cx::test::TempDir;

// Six seconds: a page of words, syllables turning colour, a highlight that
// is drawn and taken back within one frame, a border change and a scroll.
std::vector<std::uint8_t> SmallSong() {
    CdgWriter w;
    w.Colors(0, {0x004, 0xFFF, 0xFD0, 0xF80, 0x0CF, 0x8AF, 0x226, 0x000},
             {0xF00, 0xF80, 0xFF0, 0x0F0, 0x0FF, 0x00F, 0x80F, 0xF0F});
    w.MemoryPreset(0, 0, 2);
    w.Text(0.5, 3, 2, "Sing along", 1, 0, 2);
    w.Text(0.5, 8, 2, "all night", 1, 0, 2);
    for (int i = 0; i < 5; ++i) w.Recolor(1.5 + i * 0.4, 3, 2 + 4 * i, "Si", 1, 2, 2);
    w.Recolor(4.0, 8, 2, "a", 1, 3);
    w.Recolor(4.0, 8, 2, "a", 1, 3);  // back again: the picture is unchanged
    w.BorderPreset(4.5, 5);
    Packet scroll = GraphicsPacket(CdgInstruction::ScrollPreset);
    scroll[kCdgDataByte + 1] = 0x01;  // one pixel right
    w.Place(5.0, scroll);
    w.Extend(6.0);
    return w.Bytes();
}

CdgFrameExportResult Export(const std::vector<std::uint8_t>& song, const std::filesystem::path& dir,
                            CdgFrameExportOptions o) {
    CdgPlayer player;
    std::string error;
    EXPECT_TRUE(player.LoadCDG(song, error)) << error;
    return ExportCdgFrames(player, dir.string(), o);
}

std::set<std::string> Names(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

QImage Load(const std::filesystem::path& file) {
    return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
}

TEST(CdgFrameExport, PooledAndReusingWritesTheSameFilesAsOneByOne) {
    const auto song = SmallSong();
    TempDir dir;
    for (const int scale : {1, 2}) {
        const CdgFrameExportOptions plain{
            .fps = 25, .scale = scale, .smooth = false, .threads = 1, .reuse = false};
        const CdgFrameExportOptions fast{
            .fps = 25, .scale = scale, .smooth = false, .threads = 3, .reuse = true};
        const auto a = dir / ("plain" + std::to_string(scale));
        const auto b = dir / ("fast" + std::to_string(scale));
        const CdgFrameExportResult ra = Export(song, a, plain);
        const CdgFrameExportResult rb = Export(song, b, fast);
        ASSERT_TRUE(ra.ok) << ra.error;
        ASSERT_TRUE(rb.ok) << rb.error;
        EXPECT_EQ(ra.frames, 151);  // 0 .. 6.0 s at 25 fps
        EXPECT_EQ(rb.frames, ra.frames);
        EXPECT_EQ(ra.encoded, ra.frames);
        EXPECT_LT(rb.encoded, rb.frames / 4);  // mostly still pictures
        EXPECT_GT(rb.FramesPerSecond(), 0);
        ASSERT_EQ(Names(a), Names(b));
        EXPECT_EQ(Names(a).size(), 151u);
        for (const auto& name : Names(a))
            ASSERT_EQ(ReadBytes(a / name), ReadBytes(b / name)) << name << " at scale " << scale;
    }
}

TEST(CdgFrameExport, EachFileHoldsTheScreenAtItsTime) {
    const auto song = SmallSong();
    TempDir dir;
    const CdgFrameExportOptions o{10, 2, false, 0, true};  // 10 fps, twice the size
    ASSERT_TRUE(Export(song, dir.Path(), o).ok);
    CdgPlayer player;
    std::string error;
    ASSERT_TRUE(player.LoadCDG(song, error));
    player.PlayCDG();
    for (int k = 0; k <= 60; ++k) {
        player.Tick(k / 10.0);
        const QImage expected = RenderCdgScreen(player.Screen());
        const QImage written = Load(dir / CdgFrameFileName(k));
        ASSERT_EQ(written.size(), expected.size() * 2) << k;
        for (int y = 0; y < expected.height(); y += 3)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_EQ(written.pixel(2 * x + 1, 2 * y), expected.pixel(x, y))
                    << "frame " << k << " at " << x << "," << y;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / CdgFrameFileName(61)));
}

TEST(CdgFrameExport, PngKeepsEveryPixelWithOrWithoutAPalette) {
    QImage few(40, 30, QImage::Format_RGB32);
    QImage many(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            few.setPixel(x, y, (x / 10) % 2 ? 0xFF102030u : 0xFFFFEE00u);
            many.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));  // 1200 colours
        }
    for (const QImage& image : {few, many}) {
        const QByteArray png = EncodeCdgFramePng(image);
        ASSERT_FALSE(png.isEmpty());
        EXPECT_EQ(png, EncodeCdgFramePng(image));
        const QImage back = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(back, image);
    }
    EXPECT_EQ(QImage::fromData(EncodeCdgFramePng(few), "PNG").format(), QImage::Format_Indexed8);
}

TEST(CdgFrameExport, AFrameThatCannotBeWrittenFailsTheExport) {
    const auto song = SmallSong();
    TempDir dir;
    std::filesystem::create_directories(dir / "out" / CdgFrameFileName(40));  // in the way
    CdgFrameExportOptions o;
    o.threads = 2;
    const CdgFrameExportResult r = Export(song, dir / "out", o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(CdgFrameFileName(40)), std::string::npos) << r.error;

    cx::test::WriteBytes(dir / "file", "x");
    const CdgFrameExportResult notDir = Export(song, dir / "file" / "frames", o);
    EXPECT_FALSE(notDir.ok);
    EXPECT_NE(notDir.error.find("cannot create"), std::string::npos) << notDir.error;
}

}  // namespace
}  // namespace cx
