#include <gtest/gtest.h>

#include <filesystem>

#include "CdgTestPackets.h"
#include "cdg/CdgPlayer.h"
#include "cdg/CdgRebuild.h"

namespace cx {
namespace {

using namespace cx::test;

std::vector<std::uint8_t> XorSong(int packets) {
    // Every third packet flips one tile, so a skipped or repeated packet shows.
    std::vector<RawPacket> out;
    for (int i = 0; i < packets; ++i) {
        if (i % 1000 == 500)
            out.push_back(MemoryPreset(1));
        else if (i % 3 == 0)
            out.push_back(Tile(1 + i % 16, 1 + i % 48, 0, 1 + i % 15, 0x2A, true));
        else
            out.push_back(Empty());
    }
    return Bytes(out);
}

CdgPlayer Loaded(const std::vector<std::uint8_t>& bytes) {
    CdgPlayer player;
    std::string error;
    EXPECT_TRUE(player.LoadCDG(bytes, error)) << error;
    return player;
}

void ExpectScreenAt(const CdgPlayer& player, std::uint32_t lastPlayed) {
    CdgScreen expected;
    RebuildScreenAt(player.Song(), lastPlayed, expected);
    EXPECT_TRUE(player.Screen().SameState(expected)) << "after packet " << lastPlayed;
}

// Following the audible clock over a long song: CdgEngineSync, with the real engine.
TEST(CdgPlayer, PauseAndPlayResumeWithoutSkippingOrRepeating) {
    CdgPlayer player = Loaded(XorSong(6000));
    player.PlayCDG();
    EXPECT_STREQ(player.getState(), "play");
    player.Tick(4.0);
    const auto at = player.CurrentPacket();
    player.PauseCDG();
    EXPECT_STREQ(player.getState(), "pause");
    EXPECT_EQ(player.Tick(7.0), 0u);  // nothing while paused
    EXPECT_EQ(player.CurrentPacket(), at);
    player.PlayCDG();
    player.Tick(9.0);
    ExpectScreenAt(player, player.CurrentPacket() - 1);
}

TEST(CdgPlayer, MoveGoesExactlyWhereAskedAndShowsThatMoment) {
    std::vector<RawPacket> packets(3000, Empty());
    packets[600] = MemoryPreset(2);          // 2.0 s
    packets[1500] = Tile(2, 2, 0, 5, 0x3F);  // 5.0 s
    packets[2400] = Tile(3, 3, 0, 6, 0x3F);  // 8.0 s
    CdgPlayer player = Loaded(Bytes(packets));

    EXPECT_DOUBLE_EQ(player.MoveCDG(0.5), 0.5);  // before the first graphics packet
    EXPECT_EQ(player.CurrentPacket(), 151u);
    EXPECT_EQ(player.Screen().Pixel(100, 100), 0);

    // The next graphics packet is a second away: neither audio nor screen jumps to it.
    EXPECT_DOUBLE_EQ(player.MoveCDG(4.0004), 4.0004);
    EXPECT_EQ(player.CurrentPacket(), 1201u);
    ExpectScreenAt(player, 1200);
    EXPECT_EQ(player.Screen().Pixel(100, 100), 2);
    EXPECT_EQ(player.Screen().Pixel(12, 24), 2);

    player.PlayCDG();
    player.Tick(7.9);
    EXPECT_EQ(player.Screen().Pixel(18, 36), 2);
    player.Tick(8.0);
    EXPECT_EQ(player.Screen().Pixel(18, 36), 6);

    EXPECT_DOUBLE_EQ(player.MoveCDG(9.5), 9.5);  // past the last graphics packet
    EXPECT_EQ(player.Screen().Pixel(18, 36), 6);
}

TEST(CdgPlayer, AudioMovedBehindItsBackIsFollowed) {
    CdgPlayer player = Loaded(XorSong(9000));
    player.PlayCDG();
    player.Tick(20.0);
    player.Tick(3.0);  // the audio jumped back
    EXPECT_EQ(player.CurrentPacket(), 901u);
    ExpectScreenAt(player, 900);
    player.Tick(28.0);  // and far ahead
    ExpectScreenAt(player, 8400);
    player.Tick(27.9);  // small jitter backwards changes nothing
    EXPECT_EQ(player.CurrentPacket(), 8401u);
}

TEST(CdgPlayer, BadFilesAreRefusedAndTheOpenSongKept) {
    CdgPlayer player = Loaded(Bytes({BorderPreset(3)}));
    std::string error;
    EXPECT_FALSE(player.LoadCDG(std::vector<std::uint8_t>(10, 9), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(player.Song().PacketCount(), 1u);
    EXPECT_FALSE(player.LoadCDGFile("/nonexistent/x.cdg", error));
    EXPECT_NE(error.find("x.cdg"), std::string::npos);
    EXPECT_FALSE(player.LoadCDGFile(std::filesystem::temp_directory_path().string(), error));
    EXPECT_NE(error.find("not a file"), std::string::npos);
    EXPECT_EQ(player.Song().PacketCount(), 1u);
}

}  // namespace
}  // namespace cx
