// The voice's delay measured from claps answering beeps: noisy recordings,
// missed and extra claps, and a whole run over the player's engine.
#include <gtest/gtest.h>

#include <random>

#include "SyntheticSinger.h"
#include "scoring/VoiceCalibration.h"

namespace cx {
namespace {

using test::kVoiceRate;

// A clap: a short burst that dies away.
void Clap(std::vector<float>& rec, double at) {
    const auto from = static_cast<std::size_t>(at * kVoiceRate);
    for (std::size_t k = 0; k < 600 && from + k < rec.size(); ++k)
        rec[from + k] += (k % 2 ? 0.8f : -0.8f) * (1.0f - k / 600.0f);
}

std::vector<float> Noise(double seconds, float level) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-level, level);
    std::vector<float> rec(static_cast<std::size_t>(seconds * kVoiceRate));
    for (float& s : rec) s = noise(random);
    return rec;
}

struct ClapCase {
    const char* name;
    std::vector<double> delays;  // per beep; below -1: no clap
    std::vector<double> extra;   // claps answering nothing, seconds after the beep
    float noise;
    bool ok;
    double delay;
    const char* reason;
};

class Claps : public ::testing::TestWithParam<ClapCase> {};

TEST_P(Claps, MatchTheirBeeps) {
    const ClapCase& c = GetParam();
    const std::vector<double> beeps = CalibrationBeepTimes();
    std::vector<float> rec = Noise(CalibrationRunSeconds() + 1, c.noise);
    for (std::size_t i = 0; i < beeps.size(); ++i) {
        if (i < c.delays.size() && c.delays[i] > -1) Clap(rec, beeps[i] + c.delays[i]);
        if (i < c.extra.size()) Clap(rec, beeps[i] + c.extra[i]);
    }
    const CalibrationResult r = MeasureLatency(rec.data(), rec.size(), kVoiceRate, beeps);
    EXPECT_EQ(r.Ok, c.ok) << r.Reason;
    EXPECT_EQ(r.Reason, c.reason);
    if (c.ok) {
        EXPECT_NEAR(r.DelaySeconds, c.delay, 0.004);
    }
    EXPECT_EQ(r.Beeps, kCalibrationBeeps);
}

const double kNone = -2;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Recordings, Claps, ::testing::Values(
    ClapCase{"Steady", {.12, .12, .12, .12, .12, .12, .12, .12}, {}, 0.01f, true, .12, ""},
    ClapCase{"JitterAndNoise", {.10, .13, .12, .11, .14, .12, .12, .11}, {}, 0.03f, true, .12, ""},
    ClapCase{"EarlyOnTheBeat", {-.03, -.03, -.02, -.03, -.04, -.03, -.03, -.03}, {}, 0.01f, true,
        -.03, ""},
    ClapCase{"MissedClaps", {.2, kNone, .2, kNone, .2, .21, kNone, .2}, {}, 0.01f, true, .2, ""},
    // A stray clap before the answer, another late: each beep keeps its own.
    ClapCase{"ExtraClaps", {.15, .15, .15, .15, .15, .15, .15, .15}, {-.08, .35, .02, .4}, 0.01f,
        true, .15, ""},
    ClapCase{"Silence", {}, {}, 0.01f, false, 0, "CalibrateNoClaps"},
    ClapCase{"TooFew", {.1, kNone, kNone, .1, kNone, kNone, kNone, kNone}, {}, 0.01f, false, 0,
        "CalibrateTooFewClaps"},
    ClapCase{"Uneven", {0, .3, .05, .4, .1, .35, 0, .25}, {}, 0.01f, false, 0, "CalibrateUneven"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The whole run: beeps through the engine, claps into the capture, which
// started 30 ms before the beep track; the claps come 90 ms after each beep.
TEST(VoiceCalibration, FindsTheDelayOverThePlayersEngine) {
    AudioEngine engine(kVoiceRate);
    VoiceCalibration run(engine, true);
    std::string error;
    ASSERT_TRUE(run.Start(error)) << error;
    constexpr double kLead = 0.03, kDelay = 0.09;
    std::vector<float> rec = Noise(CalibrationRunSeconds() + 1, 0.01f);
    for (double beep : CalibrationBeepTimes()) Clap(rec, kLead + beep + kDelay);
    constexpr std::size_t kTick = kVoiceRate / 100;
    run.Capture().PushSamples(rec.data(), static_cast<std::size_t>(kLead * kVoiceRate));
    std::vector<float> out(2 * kTick);
    float loudest = 0;
    for (std::size_t at = static_cast<std::size_t>(kLead * kVoiceRate);; at += kTick) {
        engine.Render(out.data(), kTick);
        for (float s : out) loudest = std::max(loudest, s);
        run.Capture().PushSamples(rec.data() + at, std::min(kTick, rec.size() - at));
        if (!run.Tick()) break;
    }
    EXPECT_GT(loudest, 0.3f);  // the beeps were played
    const CalibrationResult r = run.Finish();
    ASSERT_TRUE(r.Ok) << r.Reason;
    EXPECT_NEAR(r.DelaySeconds, kDelay, 0.012);
    EXPECT_EQ(r.Answered, kCalibrationBeeps);
}

}  // namespace
}  // namespace cx
