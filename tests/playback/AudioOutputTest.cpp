#include "playback/AudioOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "TestSignals.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kRate = 44100;

// The dummy driver needs no sound card; a driver chosen from outside is kept.
class DummyDriver : public ::testing::Environment {
public:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 0); }
};
const auto* const kDummyDriver = ::testing::AddGlobalTestEnvironment(new DummyDriver);

// A real-time stream (the worker decodes ahead) on a song file.
AudioHandle OpenSong(AudioEngine& engine, const test::TempDir& dir, double seconds) {
    const auto path = dir / "song.wav";
    EXPECT_TRUE(test::WriteSound(path, test::StereoSine(kRate, 440.0, seconds, 0.3f, 0.3f), kRate,
                                 2, test::kWavFloat));
    return engine.TempoCreate(engine.StreamCreateFile(path.string(), true, false));
}

void WaitUntilPosition(const AudioEngine& engine, AudioHandle ch, double seconds) {
    for (int i = 0; i < 400 && engine.PositionSeconds(ch) < seconds; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(SdlOutput, PlaysTheChainOnTheDummyDriverWithoutUnderruns) {
    AudioEngine engine(kRate, PitchEngine::SoundTouch);
    test::TempDir dir;
    const AudioHandle ch = OpenSong(engine, dir, 3.0);
    ASSERT_NE(ch, 0u);
    engine.ChannelSetFX(ch, FxType::ParamEq, 0);
    engine.TempoSet(ch, 20.0f, 2.0f);
    SdlOutput output(engine, "");
    std::string error;
    ASSERT_TRUE(output.Start(error)) << error;
    engine.ChannelPlay(ch);
    WaitUntilPosition(engine, ch, 0.3);
    EXPECT_GE(engine.PositionSeconds(ch), 0.3);
    // Seeking while playing lands there and keeps going.
    engine.SetPositionSeconds(ch, 2.0);
    EXPECT_NEAR(engine.PositionSeconds(ch), 2.0, 1e-9);
    WaitUntilPosition(engine, ch, 2.1);
    EXPECT_GE(engine.PositionSeconds(ch), 2.1);
    output.Stop();
    EXPECT_EQ(engine.UnderrunFrames(), 0u);
}

TEST(SdlOutput, AnUnknownDeviceGivesAReasonAndTheKnownOnesAreListed) {
    AudioEngine engine(kRate);
    SdlOutput output(engine, "no such device here");
    std::string error;
    EXPECT_FALSE(output.Start(error));
    EXPECT_NE(error.find("no such device here"), std::string::npos);
    error.clear();
    SdlOutput::ListDevices(false, error);  // the devices there are, without an error
    EXPECT_TRUE(error.empty()) << error;
}

TEST(NullDevice, PullsTheEngineInRealTimeAndReportsTheAudiblePosition) {
    AudioEngine engine(kRate);
    test::TempDir dir;
    const AudioHandle ch = OpenSong(engine, dir, 3.0);
    NullDevice device(engine, 256, 4);
    std::string error;
    ASSERT_TRUE(device.Start(error));
    engine.ChannelPlay(ch);
    WaitUntilPosition(engine, ch, 0.2);
    double last = engine.PositionSeconds(ch);
    EXPECT_GE(last, 0.2);
    for (int i = 0; i < 10; ++i) {  // the position only moves forward
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double now = engine.PositionSeconds(ch);
        EXPECT_GE(now, last);
        last = now;
    }
    engine.ChannelStop(ch);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double paused = engine.PositionSeconds(ch);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_DOUBLE_EQ(engine.PositionSeconds(ch), paused);
    device.Stop();
    EXPECT_EQ(engine.UnderrunFrames(), 0u);
}

}  // namespace
}  // namespace cx
