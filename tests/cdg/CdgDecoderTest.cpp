#include <gtest/gtest.h>

#include <random>

#include "CdgTestPackets.h"
#include "cdg/CdgRebuild.h"
#include "cdg/CdgScreen.h"
#include "cdg/CdgSong.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::test;

std::vector<std::uint32_t> Compose(const CdgScreen& s) {
    std::vector<std::uint32_t> out(kCdgWidth * kCdgHeight);
    s.ComposeRgb(out.data());
    return out;
}

// The colour indices at the given (x, y) places.
std::vector<int> Pixels(const CdgScreen& s, std::initializer_list<std::pair<int, int>> at) {
    std::vector<int> out;
    for (const auto& [x, y] : at) out.push_back(s.Pixel(x, y));
    return out;
}

void Play(CdgScreen& s, const std::vector<RawPacket>& packets) {
    for (const auto& p : packets) s.Dispatch(Normal(p));
}

TEST(CdgLoad, NormalisesPacketsAndBuildsTheSchedule) {
    RawPacket tile = Tile(3, 4, 0xF5, 0xEA, 0xFF);  // channel bits ride in the colour bytes
    tile[0] = 0x49;                                 // upper bits of the command do not count
    RawPacket other = Empty();
    other[0] = 0x08;
    auto bytes = Bytes({MemoryPreset(2), other, tile});
    bytes.insert(bytes.end(), {9, 1, 2});  // a trailing partial packet is dropped

    CdgLoadResult r = LoadCdgSong(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.song.PacketCount(), 3u);
    ASSERT_EQ(r.song.schedule.size(), 2u);
    EXPECT_EQ(r.song.schedule[1].packet, 2u);

    const CdgPacket& p = r.song.packets[2];
    EXPECT_EQ(p.Command(), 9);
    EXPECT_EQ(p.Data(0), 5);  // colours keep four bits
    EXPECT_EQ(p.Data(1), 10);
    EXPECT_EQ(p.Channel(), 2 * 4 + 3);
    EXPECT_EQ(p.Data(4), 0x3F);  // row bits keep six
    EXPECT_EQ(r.song.packets[0].Channel(), 0);

    EXPECT_FALSE(LoadCdgSong(std::vector<std::uint8_t>(23, 9)).ok);
}

TEST(CdgLoad, PacketTimes) {
    EXPECT_DOUBLE_EQ(CdgPacketTime(300), 1.0);
    EXPECT_DOUBLE_EQ(CdgPacketTime(18000), 60.0);
    EXPECT_NEAR(CdgPacketTime(1), 0.0033333, 1e-6);
    EXPECT_NEAR(CdgPacketTime(18000 * 70 + 301), 4201.0 + 1.0 / 300, 1e-9);
}

TEST(CdgScreen, TilesDrawLeftmostPixelFromTheHighestBitAndSkipOutsideTheGrid) {
    CdgScreen s;
    Play(s, {Tile(1, 2, 3, 7, 0b100001), Tile(18, 0, 1, 1, 0x3F), Tile(0, 50, 1, 1, 0x3F)});
    const int x = 2 * 6, y = 12;
    for (int p = 1; p < 5; ++p) EXPECT_EQ(s.Pixel(x + p, y + 11), 3);
    // The next tile is untouched.
    EXPECT_EQ(Pixels(s, {{x, y}, {x + 5, y}, {x + 6, y}}), (std::vector{7, 7, 0}));
    int drawn = 0;
    for (auto v : s.PixelIndices()) drawn += v != 0;
    EXPECT_EQ(drawn, 12 * 6);  // the out-of-grid tiles drew nothing
}

TEST(CdgScreen, XorTilesCombineIndicesAndTwoRestoreTheTile) {
    CdgScreen s;
    Play(s, {Tile(5, 5, 1, 2, 0b111000)});
    const CdgScreen before = s;
    Play(s, {Tile(5, 5, 4, 8, 0b101010, true)});
    // Index XOR, not colour XOR.
    EXPECT_EQ(Pixels(s, {{30, 60}, {31, 60}, {35, 60}}), (std::vector{2 ^ 8, 2 ^ 4, 1 ^ 4}));
    Play(s, {Tile(5, 5, 4, 8, 0b101010, true)});
    EXPECT_EQ(s.PixelIndices(), before.PixelIndices());
}

TEST(CdgScreen, MemoryPresetActsOnlyWithRepeatZeroAndKeepsTheBorder) {
    CdgScreen s;
    Play(s, {Colors(false, {0x000, 0xF00, 0x0F0, 0x00F, 0, 0, 0, 0}), BorderPreset(1),
             Tile(3, 3, 0, 2, 0x3F)});
    const auto before = s.PixelIndices();
    Play(s, {MemoryPreset(3, 3)});
    EXPECT_EQ(s.PixelIndices(), before);

    Play(s, {MemoryPreset(3, 0)});
    for (auto v : s.PixelIndices()) ASSERT_EQ(v, 3);
    const auto rgb = Compose(s);
    EXPECT_EQ(rgb[0], 0xFFFF0000u);                     // border ring stays red
    EXPECT_EQ(rgb[20 * kCdgWidth + 100], 0xFF0000FFu);  // drawing area is colour 3
}

TEST(CdgScreen, ChannelFilter) {
    CdgScreen s;
    const RawPacket onTwo = Tile(2, 2, 0, 5, 0x3F, false, 2);
    Play(s, {onTwo, Tile(1, 1, 0, 6, 0x3F, false, 1)});
    // Channels 0 and 1 are on from the start.
    EXPECT_EQ(Pixels(s, {{12, 24}, {6, 12}}), (std::vector{0, 6}));
    s.SetShowChannel(2, true);
    Play(s, {onTwo});
    EXPECT_EQ(s.Pixel(12, 24), 5);
    s.SetShowChannel(0, false);
    Play(s, {Tile(4, 4, 0, 9, 0x3F)});
    EXPECT_EQ(s.Pixel(24, 48), 0);
}

TEST(CdgScreen, ColourTableLoadsRecolourWithoutTouchingIndices) {
    CdgScreen s;
    Play(s, {Tile(4, 4, 0, 9, 0x3F)});
    const auto indices = s.PixelIndices();
    Play(s, {Colors(true, {0, 0x123, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(s.PixelIndices(), indices);
    EXPECT_EQ(Compose(s)[48 * kCdgWidth + 24], 0xFF112233u);
    Play(s, {Colors(true, {0, 0xFA5, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Compose(s)[48 * kCdgWidth + 24], 0xFFFFAA55u);
    Play(s, {Graphics(CdgInstruction::DefineTransparent, {})});
    EXPECT_EQ(s.BorderIndex(), 0);
}

TEST(CdgScreen, ScrollCopyWrapsAndScrollPresetFills) {
    CdgScreen s;
    Play(s, {Tile(0, 0, 0, 1, 0x3F), Tile(17, 49, 0, 2, 0x3F)});

    Play(s, {Scroll(true, 0, 2, 0, 0, 0)});  // left: column 0 wraps to 49
    EXPECT_EQ(Pixels(s, {{49 * 6, 0}, {48 * 6, 17 * 12}}), (std::vector{1, 2}));
    Play(s, {Scroll(true, 0, 1, 0, 0, 0)});  // and right again
    EXPECT_EQ(Pixels(s, {{0, 0}, {49 * 6, 17 * 12}}), (std::vector{1, 2}));

    Play(s, {Scroll(true, 0, 0, 0, 1, 0)});  // down: row 17 wraps to row 0
    EXPECT_EQ(Pixels(s, {{49 * 6, 0}, {0, 12}}), (std::vector{2, 1}));

    Play(s, {Scroll(false, 7, 0, 0, 2, 0)});  // up with fill: row 17 takes colour 7
    EXPECT_EQ(Pixels(s, {{0, 0}, {100, 17 * 12 + 5}}), (std::vector{1, 7}));
    Play(s, {Scroll(false, 4, 2, 0, 0, 0)});  // left with fill
    // The tile at column 0 left the grid.
    EXPECT_EQ(Pixels(s, {{49 * 6 + 3, 50}, {0, 0}}), (std::vector{4, 0}));
}

TEST(CdgScreen, FineOffsetsMoveTheDrawingAreaInsideTheBorder) {
    CdgScreen s;
    Play(s, {Colors(false, {0, 0xFFF, 0x00F, 0, 0, 0, 0, 0}), BorderPreset(2),
             Tile(1, 1, 0, 1, 0b000001)});  // one white column at x = 11
    EXPECT_EQ(Compose(s)[12 * kCdgWidth + 11], 0xFFFFFFFFu);
    Play(s, {Scroll(false, 0, 0, 3, 0, 5)});
    EXPECT_EQ(s.HOffset(), 3);
    const auto rgb = Compose(s);
    EXPECT_EQ(rgb[12 * kCdgWidth + 8], 0xFFFFFFFFu);        // seen 3 pixels further left
    EXPECT_EQ(rgb[(24 - 5) * kCdgWidth + 8], 0xFF000000u);  // and 5 rows higher
    EXPECT_EQ(rgb[(23 - 5) * kCdgWidth + 8], 0xFFFFFFFFu);
    EXPECT_EQ(rgb[0], 0xFF0000FFu);
    Play(s, {Scroll(false, 0, 0, 15, 0, 15)});  // out-of-range offsets are clamped
    EXPECT_EQ(s.HOffset(), kCdgMaxHOffset);
    EXPECT_EQ(s.VOffset(), kCdgMaxVOffset);
    Compose(s);
}

// A song mixing every instruction, with full presets every few hundred packets.
std::vector<RawPacket> MixedSong(unsigned seed, int count) {
    std::mt19937 rng(seed);
    std::vector<RawPacket> out;
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    for (int i = 0; i < count; ++i) {
        const int k = pick(100);
        if (k < 2)
            out.push_back(MemoryPreset(pick(16), pick(3) == 0 ? 0 : pick(16)));
        else if (k < 4)
            out.push_back(BorderPreset(pick(16)));
        else if (k < 6)
            out.push_back(Colors(pick(2), {std::uint16_t(rng()), 0x123, 0xF0F, 0x0, 0x888,
                                           std::uint16_t(rng()), 0x1, 0xFFF}));
        else if (k < 8)
            out.push_back(Scroll(pick(2), pick(16), pick(3), pick(6), pick(3), pick(12)));
        else if (k < 9)
            out.push_back(Graphics(CdgInstruction::DefineTransparent, {}));
        else if (k < 50)
            out.push_back(Tile(pick(20), pick(52), pick(16), pick(16), std::uint8_t(rng()), pick(2),
                               pick(4)));
        else if (k < 52)
            out.push_back(Graphics(static_cast<CdgInstruction>(pick(64)), {1, 2, 3}));
        else
            out.push_back(Empty());
    }
    return out;
}

TEST(CdgRebuild, GivesTheScreenOfPlayingThrough) {
    const auto packets = MixedSong(7, 3000);
    const CdgSong song = SongOf(packets);
    CdgScreen played;
    played.SetShowChannel(2, true);
    for (std::uint32_t n = 0; n < song.PacketCount(); ++n) {
        played.Dispatch(song.packets[n]);
        if (n % 37 != 0 && n + 1 != song.PacketCount()) continue;
        CdgScreen rebuilt;
        rebuilt.SetShowChannel(2, true);
        RebuildScreenAt(song, n, rebuilt);
        ASSERT_TRUE(rebuilt.SameState(played)) << "at packet " << n;
        ASSERT_EQ(Compose(rebuilt), Compose(played)) << "at packet " << n;
    }
    CdgScreen past;
    RebuildScreenAt(song, 1u << 30, past);  // clamped to the last packet
    CdgScreen end;
    RebuildScreenAt(song, song.PacketCount() - 1, end);
    EXPECT_TRUE(past.SameState(end));
}

TEST(CdgCorpus, RealFilesDecodeCompletely) {
    CX_REQUIRE_CORPUS();
    for (const auto& [name, packets, xorTiles] :
         {std::tuple{"BrotherJohn.cdg", 24300u, 4682u}, {"sample_project_04.cdg", 18000u, 2464u}}) {
        const auto path = CorpusDir() / "cdg" / name;
        if (!std::filesystem::exists(path)) continue;
        const std::string bytes = ReadBytes(path);
        CdgLoadResult r = LoadCdgSong(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(r.ok) << name << ": " << r.error;
        EXPECT_EQ(r.song.PacketCount(), packets) << name;
        EXPECT_EQ(CountInstructions(r.song)[38], xorTiles) << name;
        CdgScreen s;
        std::uint32_t known = 0;
        for (const auto& p : r.song.packets) known += s.Dispatch(p);
        EXPECT_GT(known, 1000u) << name;
        EXPECT_TRUE(s.Drawn()) << name;
        CdgScreen rebuilt;
        RebuildScreenAt(r.song, r.song.PacketCount() - 1, rebuilt);
        EXPECT_TRUE(rebuilt.SameState(s)) << name;
    }
}

}  // namespace
}  // namespace cx
