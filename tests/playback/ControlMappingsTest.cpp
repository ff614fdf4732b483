#include "playback/ControlMappings.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "playback/Effects.h"
#include "playback/VoiceEffects.h"
#include "support/ExpectEach.h"

namespace cx {
namespace {

using test::ExpectEach;

// clang-format off
TEST(ControlMappings, ThumbsAndSettings) {
    // Tempo: +-32 steps are +-30 %, 0.9375 rounds to 1, halves go to the even neighbour
    // (8 steps are 7.5), the thumb is held to 77..141; the label shows the steps.
    ExpectEach("TempoFromThumb", TempoFromThumb, {{109, 0}, {141, 30}, {77, -30}, {110, 1},
                                                 {500, 30}, {0, -30}, {117, 8}, {101, -8}});
    ExpectEach("TempoLabel", TempoLabel, {{141, 32}, {110, 1}});
    // Transposition: right of rest rounded down, left to nearest (1.5 -> 2, 4.5 -> 4).
    ExpectEach("PitchFromThumb", PitchFromThumb, {{114, 0}, {104, -1}, {141, 6}, {77, -6},
                                                 {101, -2}, {85, -4}, {109, 0}});
    ExpectEach("BassTrebleGain", BassTrebleGain, {{50, 0}, {100, 15}, {0, -15}, {49, -1}, {51, 0}});
    ExpectEach("EqSettingFromThumb", EqSettingFromThumb, {{30, 100}, {88, 0}, {10, 100}, {62, 44}});
    ExpectEach("EffectAmountFromThumb", EffectAmountFromThumb, {{83, 0}, {183, 100}, {300, 100}});
}

TEST(ControlMappings, BalanceAndEffectValues) {
    // The balance thumb's rest is the middle; halves of a pan step go to the even neighbour.
    ExpectEach("Pan", +[](int thumb) { return PanFromBalance(BalanceFromThumb(thumb)); },
               {{267, 0}, {235, -100}, {299, 100}, {100, -100}});
    ExpectEach("PanFromBalance", PanFromBalance, {{10050.0, 0}, {10150.0, 2}});
    EXPECT_DOUBLE_EQ(BalanceFromThumb(267), 10000.0);
    // Reverb 20 - amount / 5 (9.6 -> 10, 9.4 -> 9), echo half, chorus as is, flanger a tenth.
    for (const auto& [effect, amount, value] : {std::array{1, 0, 20}, {1, 100, 0}, {1, 50, 10},
                                                {1, 52, 10}, {1, 53, 9}, {2, 99, 49},
                                                {3, 37, 37}, {4, 99, 9}})
        EXPECT_EQ(EffectValue(effect, amount), value) << effect << " at " << amount;
    for (const auto& [value, db] : {std::pair{0, 0.0f}, {10, -12.0f}, {20, -96.0f}})
        EXPECT_FLOAT_EQ(ReverbMixDb(value), db) << value;
}
// clang-format on

TEST(VoiceEffects, DspOutSettingRoundTrips) {
    const auto defaults = VoiceEffectSet::FromDspOut("0,50,0,50,0,50,0,50");
    for (int k = 1; k <= 4; ++k) EXPECT_FALSE(defaults[k].On) << k;
    EXPECT_EQ(defaults[1].Value, 10);
    EXPECT_EQ(defaults.ToDspOut(), "0,50,0,50,0,50,0,50");

    const auto set = VoiceEffectSet::FromDspOut("1,50,1,30,0,100,1,7");
    EXPECT_TRUE(set[1].On);
    EXPECT_EQ(set[2].Value, 15);
    EXPECT_EQ(set[3].Value, 100);
    EXPECT_EQ(set[4].Value, 0);
    EXPECT_EQ(set.ToDspOut(), "1,50,1,30,0,100,1,7");

    // Broken parts keep their defaults; amounts are held to 0..100.
    const auto broken = VoiceEffectSet::FromDspOut("1,x,,999");
    EXPECT_TRUE(broken[1].On);
    EXPECT_EQ(broken[1].Amount, 50);
    EXPECT_EQ(broken[2].Amount, 100);
    EXPECT_EQ(broken[4].Amount, 50);
}

TEST(VoiceEffects, ReverbAtAmount50IsMinus12dB) {
    const auto p = VoiceEffectOn(1, EffectValue(1, 50), ReverbParameters{});
    EXPECT_FLOAT_EQ(std::get<ReverbParameters>(p).reverbMixDb, -12.0f);
    const auto off = VoiceEffectOff(1, p);
    EXPECT_FLOAT_EQ(std::get<ReverbParameters>(off).reverbMixDb, -96.0f);
}

TEST(VoiceEffects, ParameterRecordsKeepUnnamedFields) {
    EchoParameters echo;
    echo.panDelay = 1;
    const auto e = std::get<EchoParameters>(VoiceEffectOn(2, 25, echo));
    EXPECT_EQ(e.wetDryMix, 25);
    EXPECT_EQ(e.feedback, 50);
    EXPECT_EQ(e.leftDelayMs, 266);
    EXPECT_EQ(e.panDelay, 1);
    ModulationParameters chorus;
    chorus.waveform = 0;
    const auto c = std::get<ModulationParameters>(VoiceEffectOn(3, 41, chorus));
    EXPECT_EQ(c.depth, 20);
    EXPECT_EQ(c.delayMs, 20);
    EXPECT_EQ(c.phase, 3);
    EXPECT_EQ(c.waveform, 0);
    const auto f = std::get<ModulationParameters>(VoiceEffectOn(4, 7, chorus));
    EXPECT_EQ(f.frequencyHz, 7);
    EXPECT_EQ(f.feedback, -50);
    const auto fOff = std::get<ModulationParameters>(VoiceEffectOff(4, f));
    EXPECT_EQ(fOff.wetDryMix, 0);
    EXPECT_EQ(fOff.delayMs, 0);
    EXPECT_EQ(std::get<ModulationParameters>(VoiceEffectOff(3, c)).delayMs, 20);
}

// Loud noise then silence through a voice effect at one amount: the output
// stays finite and bounded, and dies away instead of ringing on.
void CheckBounded(int index, int amount, bool on) {
    auto effect = Effect::Create(VoiceEffectType(index), 44100);
    ASSERT_TRUE(effect);
    const int value = EffectValue(index, amount);
    const FxParameters p = on ? VoiceEffectOn(index, value, effect->GetParameters())
                              : VoiceEffectOff(index, effect->GetParameters());
    ASSERT_TRUE(effect->SetParameters(p));
    std::mt19937 rng(index * 1000 + amount);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> block(2 * 512);
    float peak = 0;
    for (int b = 0; b < 400; ++b) {  // 4.6 s of noise
        for (auto& s : block) s = noise(rng);
        effect->Process(block.data(), 512);
        for (float s : block) {
            ASSERT_TRUE(std::isfinite(s)) << index << "/" << amount;
            peak = std::max(peak, std::fabs(s));
        }
    }
    EXPECT_LT(peak, 8.0f) << "effect " << index << " amount " << amount;
    float tail = 0;
    for (int b = 0; b < 900; ++b) {  // 10 s of silence
        std::fill(block.begin(), block.end(), 0.0f);
        effect->Process(block.data(), 512);
        if (b >= 860)
            for (float s : block) tail = std::max(tail, std::fabs(s));
    }
    EXPECT_LT(tail, 1e-3f) << "effect " << index << " amount " << amount;
}

TEST(VoiceEffectDsp, StayBoundedAtEveryAmount) {
    for (int index = 1; index <= 4; ++index) {
        for (int amount = 0; amount <= 100; amount += 10) CheckBounded(index, amount, true);
        CheckBounded(index, 50, false);
    }
}

TEST(VoiceEffectDsp, ExtremeParametersAreClampedIntoRange) {
    auto echo = Effect::Create(FxType::Echo, 44100);
    EchoParameters e{100.0f, 1000.0f, -5.0f, 99999.0f, 7};
    ASSERT_TRUE(echo->SetParameters(e));
    const auto got = std::get<EchoParameters>(echo->GetParameters());
    EXPECT_EQ(got.feedback, 100.0f);
    EXPECT_EQ(got.leftDelayMs, 1.0f);
    EXPECT_EQ(got.rightDelayMs, 2000.0f);
    EXPECT_EQ(got.panDelay, 1);
    EXPECT_FALSE(echo->SetParameters(ReverbParameters{}));  // wrong record kind

    auto flanger = Effect::Create(FxType::Flanger, 44100);
    ASSERT_TRUE(flanger->SetParameters(ModulationParameters{100, 100, -1000, 50, 1, 50, 9}));
    const auto m = std::get<ModulationParameters>(flanger->GetParameters());
    EXPECT_EQ(m.feedback, -99.0f);
    EXPECT_EQ(m.frequencyHz, 10.0f);
    EXPECT_EQ(m.delayMs, 4.0f);
    EXPECT_EQ(m.phase, 4);
    // Full feedback with full wet mix still stays bounded.
    std::vector<float> block(2 * 512, 1.0f);
    for (int b = 0; b < 200; ++b) {
        std::fill(block.begin(), block.end(), b % 2 ? 1.0f : -1.0f);
        flanger->Process(block.data(), 512);
        for (float s : block) ASSERT_LT(std::fabs(s), 8.0f);
    }
}

TEST(VoiceEffectDsp, ReverbOffLeavesTheVoiceDry) {
    auto reverb = Effect::Create(FxType::Reverb, 44100);
    ASSERT_TRUE(reverb->SetParameters(VoiceEffectOff(1, reverb->GetParameters())));
    std::vector<float> block(2 * 256, 0.25f);
    reverb->Process(block.data(), 256);
    for (float s : block) EXPECT_FLOAT_EQ(s, 0.25f);
}

}  // namespace
}  // namespace cx
