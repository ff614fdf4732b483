#include "playback/ControlMappings.h"

#include <gtest/gtest.h>

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
// clang-format on

TEST(ControlMappings, BalanceToPan) {
    EXPECT_EQ(PanFromBalance(BalanceFromThumb(267)), 0);
    EXPECT_EQ(PanFromBalance(BalanceFromThumb(235)), -100);
    EXPECT_EQ(PanFromBalance(BalanceFromThumb(299)), 100);
    EXPECT_EQ(PanFromBalance(BalanceFromThumb(100)), -100);
    EXPECT_DOUBLE_EQ(BalanceFromThumb(267), 10000.0);
    EXPECT_EQ(PanFromBalance(10050.0), 0);  // 0.5 -> 0 (even)
    EXPECT_EQ(PanFromBalance(10150.0), 2);  // 1.5 -> 2
}

TEST(ControlMappings, EffectValues) {
    // Reverb 20 - amount / 5 (9.6 -> 10, 9.4 -> 9), echo half, chorus as is, flanger a tenth.
    EXPECT_EQ(EffectValue(1, 0), 20);
    EXPECT_EQ(EffectValue(1, 100), 0);
    EXPECT_EQ(EffectValue(1, 50), 10);
    EXPECT_EQ(EffectValue(1, 52), 10);
    EXPECT_EQ(EffectValue(1, 53), 9);
    EXPECT_EQ(EffectValue(2, 99), 49);
    EXPECT_EQ(EffectValue(3, 37), 37);
    EXPECT_EQ(EffectValue(4, 99), 9);
    EXPECT_FLOAT_EQ(ReverbMixDb(0), 0.0f);
    EXPECT_FLOAT_EQ(ReverbMixDb(10), -12.0f);
    EXPECT_FLOAT_EQ(ReverbMixDb(20), -96.0f);
}

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

}  // namespace
}  // namespace cx
