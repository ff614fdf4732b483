#include "playback/AudioEngine.h"

#include <gtest/gtest.h>

#include "TestSignals.h"
#include "playback/CutVocal.h"
#include "playback/OfflineRenderer.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kRate = 44100;

// A song file made from a signal, opened as the player opens songs; the
// engine plays at the file's rate unless told another.
class Song {
public:
    Song(const std::vector<float>& signal, PitchEngine pitch = PitchEngine::SoundTouch,
         int channels = 2, int rate = kRate, int outputRate = 0)
        : engine(outputRate ? outputRate : rate, pitch) {
        path = dir / "song.wav";
        EXPECT_TRUE(test::WriteSound(path, signal, rate, channels, test::kWavFloat));
        const AudioHandle stream = engine.StreamCreateFile(path.string(), true, true);
        channel = engine.TempoCreate(stream);
        EXPECT_NE(channel, 0u);
    }
    std::vector<float> Render(std::int64_t toFrame = -1) {
        std::vector<float> out;
        OfflineRenderer renderer(engine);
        const auto result = renderer.RunToMemory(channel, toFrame, out);
        EXPECT_TRUE(result.error.empty()) << result.error;
        return out;
    }
    AudioHandle AddEq(float centre, float gain) {
        const AudioHandle fx = engine.ChannelSetFX(channel, FxType::ParamEq, 0);
        EXPECT_TRUE(engine.FXSetParameters(fx, EqParameters{centre, 18.0f, gain}));
        return fx;
    }

    test::TempDir dir;
    std::filesystem::path path;
    AudioEngine engine;
    AudioHandle channel = 0;
};

TEST(AudioEngine, PlaysTheFileBitExactAtNormalSettings) {
    const auto signal = test::Chirp(kRate, 30000, 0.5f, -0.25f);
    Song song(signal);
    const auto out = song.Render();
    ASSERT_EQ(out.size(), signal.size());
    EXPECT_EQ(out, signal);
    EXPECT_TRUE(song.engine.ChannelEnded(song.channel));
}

TEST(AudioEngine, SeekingToAFrameGivesThatFramesSamples) {
    const auto signal = test::Chirp(kRate, 60000, 0.5f, 0.3f);
    Song song(signal);
    for (const std::int64_t frame : {0, 1, 12345, 59990}) {
        ASSERT_TRUE(song.engine.SetPositionFrames(song.channel, frame));
        EXPECT_EQ(song.engine.PositionFrames(song.channel), frame);
        std::vector<float> out(2 * 8);
        song.engine.ChannelPlay(song.channel);
        song.engine.Render(out.data(), 8);
        song.engine.ChannelStop(song.channel);
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], signal[2 * frame + i]) << "frame " << frame;
        EXPECT_EQ(song.engine.PositionFrames(song.channel),
                  std::min<std::int64_t>(frame + 8, 60000));
    }
    // Bytes and seconds name the same frames (float stereo at the file's rate).
    EXPECT_TRUE(song.engine.ChannelSetPosition(song.channel, 4410 * kBytesPerFrame));
    EXPECT_DOUBLE_EQ(song.engine.PositionSeconds(song.channel), 0.1);
    EXPECT_EQ(song.engine.ChannelGetLength(song.channel), 60000 * kBytesPerFrame);
    EXPECT_EQ(song.engine.ChannelSeconds2Bytes(song.channel, 1.0), kRate * kBytesPerFrame);
    EXPECT_DOUBLE_EQ(song.engine.ChannelBytes2Seconds(song.channel, kRate * kBytesPerFrame), 1.0);
}

TEST(AudioEngine, PauseAndPlayContinueWhereTheyStopped) {
    const auto signal = test::Chirp(kRate, 20000, 0.5f, 0.5f);
    Song song(signal);
    std::vector<float> out(2 * 1000);
    song.engine.ChannelPlay(song.channel);
    song.engine.Render(out.data(), 1000);
    song.engine.ChannelStop(song.channel);
    song.engine.Render(out.data(), 1000);  // paused: silence, nothing consumed
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(song.engine.PositionFrames(song.channel), 1000);
    song.engine.ChannelPlay(song.channel);
    song.engine.Render(out.data(), 1000);
    EXPECT_EQ(out[0], signal[2 * 1000]);
    EXPECT_EQ(out[2 * 999 + 1], signal[2 * 1999 + 1]);
}

TEST(AudioEngine, VocalCutRemovesTheCentreAndKeepsOneSide) {
    std::atomic<bool> on{true};
    Song centred(test::StereoSine(kRate, 440.0, 1.0, 0.5f, 0.5f));
    centred.engine.ChannelSetDSP(centred.channel, &CutVocal, &on, 0);
    const auto quiet = centred.Render();
    EXPECT_LT(test::Rms(quiet, 0), 0.5 / std::sqrt(2.0) * std::pow(10.0, -60.0 / 20.0));

    Song oneSided(test::StereoSine(kRate, 440.0, 1.0, 0.5f, 0.0f));
    oneSided.engine.ChannelSetDSP(oneSided.channel, &CutVocal, &on, 0);
    const auto kept = oneSided.Render();
    // (right - left) / 2 on both sides: half the level, on both.
    EXPECT_NEAR(test::Db(test::Rms(kept, 0) / (0.5 / std::sqrt(2.0))), -6.02, 0.1);
    EXPECT_NEAR(test::Rms(kept, 1), test::Rms(kept, 0), 1e-6);

    on = false;  // switched off: the mix comes through untouched
    Song off(test::StereoSine(kRate, 440.0, 0.2, 0.5f, 0.5f));
    off.engine.ChannelSetDSP(off.channel, &CutVocal, &on, 0);
    EXPECT_NEAR(test::Rms(off.Render(), 0), 0.5 / std::sqrt(2.0), 1e-3);
}

double EqGainDb(float centre, float gain, double hz) {
    Song song(test::StereoSine(kRate, hz, 1.0, 0.25f, 0.25f));
    song.AddEq(centre, gain);
    const auto out = song.Render();
    return test::Db(test::Rms(out, 0, kRate / 2) / (0.25 / std::sqrt(2.0)));
}

TEST(AudioEngine, BassAndTrebleEqualisersRaiseTheirBandOnly) {
    EXPECT_NEAR(EqGainDb(125.0f, 15.0f, 125.0), 15.0, 1.0);
    EXPECT_NEAR(EqGainDb(125.0f, 15.0f, 2000.0), 0.0, 1.0);
    EXPECT_NEAR(EqGainDb(10000.0f, 15.0f, 10000.0), 15.0, 1.0);
    EXPECT_NEAR(EqGainDb(10000.0f, 15.0f, 2000.0), 0.0, 1.0);
    EXPECT_NEAR(EqGainDb(125.0f, -15.0f, 125.0), -15.0, 1.0);
    // Gains past the range are held at +-15 dB.
    EXPECT_NEAR(EqGainDb(125.0f, 40.0f, 125.0), 15.0, 1.0);
}

TEST(AudioEngine, EqualiserGainChangesGlideWithoutClicks) {
    Song song(test::StereoSine(kRate, 125.0, 1.0, 0.25f, 0.25f));
    const AudioHandle fx = song.AddEq(125.0f, -15.0f);
    song.engine.ChannelPlay(song.channel);
    std::vector<float> out(2 * 8192);
    song.engine.Render(out.data(), 4096);
    song.engine.FXSetParameters(fx, EqParameters{125.0f, 18.0f, 15.0f});
    song.engine.Render(out.data() + 2 * 4096, 4096);
    // A 125 Hz sine moves at most 0.25 * 2 pi * 125 / 44100 * 5.7 (+15 dB) per frame.
    float biggestStep = 0;
    for (std::size_t i = 1; i < 8192; ++i)
        biggestStep = std::max(biggestStep, std::fabs(out[2 * i] - out[2 * i - 2]));
    EXPECT_LT(biggestStep, 0.03f);
}

class PitchEngines : public ::testing::TestWithParam<PitchEngine> {};

TEST_P(PitchEngines, TempoPlus30GivesDurationOver1Point3) {
    const std::size_t frames = 4 * kRate;
    Song song(test::StereoSine(kRate, 440.0, 4.0, 0.3f, 0.3f), GetParam());
    song.engine.TempoSet(song.channel, 30.0f, -100.0f);
    const auto out = song.Render();
    EXPECT_NEAR(static_cast<double>(out.size() / 2), frames / 1.3, frames / 1.3 * 0.01);
    // The key stays.
    EXPECT_NEAR(test::MeasureHz(out, kRate, kRate / 2, kRate * 2), 440.0, 4.4);
}

TEST_P(PitchEngines, PitchPlus6RaisesTheToneByTheSquareRootOfTwo) {
    Song song(test::StereoSine(kRate, 440.0, 3.0, 0.3f, 0.3f), GetParam());
    song.engine.TempoSet(song.channel, -100.0f, 6.0f);
    const auto out = song.Render();
    EXPECT_NEAR(test::MeasureHz(out, kRate, kRate / 2, 2 * kRate), 440.0 * std::sqrt(2.0),
                440.0 * std::sqrt(2.0) * 0.01);
    EXPECT_NEAR(static_cast<double>(out.size() / 2), 3.0 * kRate, 0.01 * 3.0 * kRate);
}

TEST_P(PitchEngines, PositionFollowsTheSourceAtAnotherTempo) {
    Song song(test::StereoSine(kRate, 440.0, 4.0, 0.3f, 0.3f), GetParam());
    song.engine.TempoSet(song.channel, 20.0f, 2.0f);
    const auto out = song.Render(2 * kRate);  // stop when the source reaches 2 s
    EXPECT_NEAR(static_cast<double>(out.size() / 2), 2.0 * kRate / 1.2, 0.01 * 2.0 * kRate / 1.2);
    EXPECT_NEAR(song.engine.PositionSeconds(song.channel), 2.0, 0.03);
}

INSTANTIATE_TEST_SUITE_P(Both, PitchEngines,
                         ::testing::Values(PitchEngine::SoundTouch, PitchEngine::RubberBand),
                         [](const auto& info) { return std::string(PitchEngineName(info.param)); });

TEST(AudioEngine, OtherRatesAreResampledToTheOutputRate) {
    Song song(test::StereoSine(kRate, 441.0, 1.0, 0.3f, 0.3f), PitchEngine::SoundTouch, 2, kRate,
              48000);
    const auto out = song.Render();
    EXPECT_NEAR(static_cast<double>(out.size() / 2), 48000.0, 480.0);
    EXPECT_NEAR(test::MeasureHz(out, 48000, 10000, 40000), 441.0, 4.41);
}

// The player ends a song when its position reaches its length; through the
// stretcher the position is counted from output frames, which can fall a few
// frames short of the source's end.
TEST(AudioEngine, AStretchedSongThatEndsStandsAtItsLength) {
    test::TempDir dir;
    for (const int rate : {22050, 32000, 48000}) {
        const auto path = dir / ("song" + std::to_string(rate) + ".wav");
        ASSERT_TRUE(test::WriteSound(path, test::Chirp(rate, 3 * rate + 17, 0.4f, 0.3f), rate, 2,
                                     test::kWavFloat));
        for (const float tempo : {-23.0f, 0.0f, 17.0f, 30.0f}) {
            for (const float semitones : {0.0f, -6.0f, 5.0f}) {
                AudioEngine engine(kRate);
                const AudioHandle ch =
                    engine.TempoCreate(engine.StreamCreateFile(path.string(), true, true));
                ASSERT_NE(ch, 0u);
                engine.TempoSet(ch, tempo, semitones);
                engine.ChannelPlay(ch);
                std::vector<float> out(2 * 1024);
                for (int block = 0; block < 1000 && !engine.ChannelEnded(ch); ++block)
                    engine.Render(out.data(), 1024);
                SCOPED_TRACE(testing::Message()
                             << rate << " Hz, tempo " << tempo << ", key " << semitones);
                ASSERT_TRUE(engine.ChannelEnded(ch));
                EXPECT_EQ(engine.PositionFrames(ch), engine.LengthFrames(ch));
                EXPECT_GE(engine.PositionSeconds(ch), engine.LengthSeconds(ch));
            }
        }
    }
}

TEST(AudioEngine, VolumeAndPan) {
    Song song(test::StereoSine(kRate, 440.0, 0.5, 0.5f, 0.5f));
    auto& e = song.engine;
    e.ChannelSetAttributes(song.channel, -1, 50, -101);
    EXPECT_EQ(e.ChannelGetAttributes(song.channel).volume, 50);
    EXPECT_EQ(e.ChannelGetAttributes(song.channel).pan, 0);
    e.ChannelSetAttributes(song.channel, -1, -1, 60);  // right: left side drops
    EXPECT_EQ(e.ChannelGetAttributes(song.channel).volume, 50);
    const auto out = song.Render();
    const double full = 0.5 / std::sqrt(2.0);
    EXPECT_NEAR(test::Rms(out, 1, 1024), full * 0.5, 1e-3);
    EXPECT_NEAR(test::Rms(out, 0, 1024), full * 0.5 * 0.4, 1e-3);
}

TEST(AudioEngine, FailedStreamsGiveZeroHandlesAndCallsOnThemDoNothing) {
    AudioEngine engine(kRate);
    std::string error;
    EXPECT_EQ(engine.StreamCreateFile("/nonexistent/song.mp3", true, false, &error), 0u);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(engine.TempoCreate(0), 0u);
    EXPECT_FALSE(engine.ChannelPlay(0));
    EXPECT_EQ(engine.ChannelSetFX(0, FxType::ParamEq, 0), 0u);
    EXPECT_FALSE(engine.FXSetParameters(0, EqParameters{}));
    EXPECT_EQ(engine.ChannelGetLength(0), 0);
    EXPECT_EQ(engine.PositionSeconds(0), 0.0);
    engine.Free(0);
    engine.Free(12345);
}

TEST(AudioEngine, FreeingAChannelFreesItsEffects) {
    Song song(test::StereoSine(kRate, 440.0, 0.1, 0.5f, 0.5f));
    const AudioHandle fx = song.AddEq(125.0f, 3.0f);
    song.engine.Free(song.channel);
    EXPECT_FALSE(song.engine.FXSetParameters(fx, EqParameters{}));
    EXPECT_FALSE(song.engine.ChannelPlay(song.channel));
}

}  // namespace
}  // namespace cx
