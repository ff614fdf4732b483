// The control thread drives a song in every way while a real-time output
// renders it on its own thread and the stream's worker decodes: nothing may
// crash, and under ThreadSanitizer (make tsan) nothing may race.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestSignals.h"
#include "playback/AudioEngine.h"
#include "playback/AudioOutput.h"
#include "playback/Effects.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kRate = 44100;
constexpr auto kStressTime = std::chrono::milliseconds(1500);

TEST(EngineThreads, ControlsActWhileTheOutputRendersAndTheWorkerDecodes) {
    test::TempDir dir;
    const auto path = dir / "song.wav";
    ASSERT_TRUE(test::WriteSound(path, test::StereoSine(kRate, 440.0, 3.0, 0.5f, 0.25f), kRate, 2,
                                 test::kWavFloat));
    AudioEngine engine(kRate);
    const AudioHandle stream = engine.StreamCreateFile(path.string(), true);
    const AudioHandle channel = engine.TempoCreate(stream);
    ASSERT_NE(channel, 0u);
    const AudioHandle eq = engine.ChannelSetFX(channel, FxType::ParamEq, 0);
    NullDevice device(engine, 256, 2);
    std::string error;
    ASSERT_TRUE(device.Start(error)) << error;
    ASSERT_TRUE(engine.ChannelPlay(channel));

    const double length = engine.LengthSeconds(channel);
    bool heard = false;  // the output thread really rendered the song
    const auto until = std::chrono::steady_clock::now() + kStressTime;
    for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
        engine.TempoSet(channel, static_cast<float>(i % 41 - 20), static_cast<float>(i % 7 - 3));
        engine.FXSetParameters(
            eq, EqParameters{100.0f + i % 5000, 12.0f, static_cast<float>(i % 25 - 12)});
        engine.ChannelSetAttributes(channel, 0, i % 101, i % 201 - 100);
        engine.SetMasterMute(i % 13 == 0);
        if (i % 17 == 0) engine.SetPositionSeconds(channel, (i % 29) / 10.0);
        if (i % 23 == 0) {
            const AudioHandle echo = engine.ChannelSetFX(channel, FxType::Echo, 1);
            engine.ChannelRemoveFX(channel, echo);
        }
        if (i % 31 == 0) engine.ChannelStop(channel);
        if (i % 31 == 5 || engine.ChannelEnded(channel))
            engine.ChannelPlay(channel, engine.ChannelEnded(channel));
        const double at = engine.PositionSeconds(channel);
        ASSERT_GE(at, 0.0);
        ASSERT_LE(at, length + 0.01);
        heard = heard || device.LeavingSample() != 0.0f;
        (void)engine.UnderrunFrames();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    device.Stop();
    EXPECT_TRUE(heard);
    engine.Free(channel);
}

}  // namespace
}  // namespace cx
