#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CdgTestPackets.h"
#include "cdg/CdgPlayer.h"
#include "cdg/CdgRebuild.h"
#include "playback/AudioSource.h"

namespace cx {
namespace {

using namespace cx::test;

// Advances like an audio engine on a null device: whole blocks of frames are
// consumed, and what is audible lags by the output latency.
class FakeClock : public AudioClock {
public:
    static constexpr int kRate = 44100;
    static constexpr int kBlock = 512;
    static constexpr int kLatency = 2048;

    double AudiblePositionSeconds() const override {
        return std::max<std::int64_t>(m_rendered - kLatency, 0) / double(kRate);
    }
    // Renders whole blocks until `seconds` of wall time have passed.
    void AdvanceTo(double seconds) {
        while (m_rendered < std::llround(seconds * kRate) + kLatency) m_rendered += kBlock;
    }
    void SeekTo(double seconds) { m_rendered = std::llround(seconds * kRate) + kLatency; }

private:
    std::int64_t m_rendered = 0;
};

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

TEST(CdgPlayer, FollowsTheAudibleClockOverTenMinutes) {
    constexpr int kPackets = 10 * 60 * 300;
    CdgPlayer player = Loaded(XorSong(kPackets));
    FakeClock clock;
    player.PlayCDG();
    constexpr double kTick = 0.010;
    std::uint64_t total = 0;
    for (int t = 0; t <= 60000 + 10; ++t) {
        clock.AdvanceTo(t * kTick);
        total += player.Tick(clock);
        const double audible = clock.AudiblePositionSeconds();
        ASSERT_GE(player.CurrentPacket(), 1u);
        const double shown = CdgPacketTime(player.CurrentPacket() - 1);
        if (player.CurrentPacket() < kPackets) {
            ASSERT_NEAR(shown, audible, kTick) << "tick " << t;
        }
    }
    EXPECT_EQ(total, std::uint64_t{kPackets});
    EXPECT_TRUE(player.Ended());
    ExpectScreenAt(player, kPackets - 1);
}

TEST(CdgPlayer, PauseAndPlayResumeWithoutSkippingOrRepeating) {
    CdgPlayer player = Loaded(XorSong(6000));
    FakeClock clock;
    player.PlayCDG();
    EXPECT_STREQ(player.getState(), "play");
    clock.AdvanceTo(4.0);
    player.Tick(clock);
    const auto at = player.CurrentPacket();
    player.PauseCDG();
    EXPECT_STREQ(player.getState(), "pause");
    EXPECT_EQ(player.Tick(clock.AudiblePositionSeconds() + 3.0), 0u);  // nothing while paused
    EXPECT_EQ(player.CurrentPacket(), at);
    player.PlayCDG();
    clock.AdvanceTo(9.0);
    player.Tick(clock);
    ExpectScreenAt(player, player.CurrentPacket() - 1);
}

TEST(CdgPlayer, StopReturnsToTheIdlePicture) {
    CdgPlayer player = Loaded(Bytes({BorderPreset(3), Tile(1, 1, 0, 1, 0x3F)}));
    EXPECT_TRUE(player.CdgMode());
    EXPECT_TRUE(player.IdlePictureVisible());
    player.PlayCDG();
    player.Tick(1.0);
    EXPECT_FALSE(player.IdlePictureVisible());
    player.StopCDG();
    EXPECT_STREQ(player.getState(), "stop");
    EXPECT_EQ(player.CurrentPacket(), 0u);
    EXPECT_TRUE(player.IdlePictureVisible());
    EXPECT_FALSE(player.CdgMode());
    EXPECT_EQ(player.Tick(2.0), 0u);
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
