// The graphics against the real audio engine's clock, pulled block by block
// as the null device pulls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "CdgTestPackets.h"
#include "cdg/CdgTransport.h"
#include "playback/AudioEngine.h"

namespace cx {
namespace {

using namespace cx::test;

constexpr int kRate = 44100;
constexpr std::size_t kBlock = 512;
constexpr double kTick = 0.010;

class Silence : public AudioSource {
public:
    explicit Silence(std::int64_t frames) : m_length(frames) {}
    int SampleRate() const override { return kRate; }
    std::int64_t LengthFrames() const override { return m_length; }
    std::size_t Render(float* out, std::size_t frames) override {
        const auto n = static_cast<std::size_t>(
            std::clamp<std::int64_t>(m_length - m_at, 0, static_cast<std::int64_t>(frames)));
        std::memset(out, 0, n * 2 * sizeof(float));
        m_at += static_cast<std::int64_t>(n);
        return n;
    }
    bool SeekFrame(std::int64_t frame) override {
        m_at = std::clamp<std::int64_t>(frame, 0, m_length);
        return true;
    }

private:
    std::int64_t m_length;
    std::int64_t m_at = 0;
};

TEST(CdgEngineSync, PacketsFollowTheEngineClockOverTenMinutesAndASeek) {
    constexpr int kSeconds = 600;
    std::vector<RawPacket> packets(kSeconds * 300, Empty());
    for (std::size_t n = 0; n < packets.size(); n += 7) packets[n] = Tile(2, 3, 0, 1, 0x15, true);
    CdgPlayer player;
    std::string error;
    ASSERT_TRUE(player.LoadCDG(Bytes(packets), error)) << error;

    AudioEngine engine(kRate);
    const AudioHandle channel =
        engine.CreateSourceChannel(std::make_unique<Silence>(std::int64_t{kSeconds} * kRate));
    ASSERT_NE(channel, 0u);
    const auto clock = engine.MakeClock(channel);
    ASSERT_TRUE(clock);
    CdgTransport transport(
        player, {[&] { engine.ChannelPlay(channel); }, [&] { engine.ChannelStop(channel); },
                 [&] { engine.ChannelStop(channel); },
                 [&](double s) { engine.SetPositionSeconds(channel, s); },
                 [] { return double(kSeconds); }});
    transport.PlaySong();

    std::vector<float> block(kBlock * 2);
    double rendered = 0;  // seconds of output pulled so far
    auto runFor = [&](double seconds) {
        const double end = rendered + seconds;
        for (double wall = rendered; wall < end; wall += kTick) {
            while (rendered < wall) {
                engine.Render(block.data(), kBlock);
                rendered += double(kBlock) / kRate;
            }
            player.Tick(*clock);
            const double audible = clock->AudiblePositionSeconds();
            if (player.Ended()) continue;
            ASSERT_NEAR(CdgPacketTime(player.CurrentPacket() - 1), audible, kTick)
                << "at " << wall << " s of output";
        }
    };
    runFor(300.0);
    // Back to 150.51 s, between two tiles: the audio lands exactly there.
    transport.Seek(150.51 / kSeconds);
    EXPECT_NEAR(clock->AudiblePositionSeconds(), 150.51, 1e-6);
    EXPECT_EQ(player.CurrentPacket(), 45154u);
    runFor(kSeconds - 150.0 + 1.0);
    EXPECT_TRUE(player.Ended());
    CdgPlayer straight;
    ASSERT_TRUE(straight.LoadCDG(Bytes(packets), error));
    straight.PlayCDG();
    straight.Tick(kSeconds);
    EXPECT_TRUE(player.Screen().SameState(straight.Screen()));
}

}  // namespace
}  // namespace cx
