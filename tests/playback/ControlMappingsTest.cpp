#include "playback/ControlMappings.h"

#include <gtest/gtest.h>

#include "playback/VoiceEffects.h"

namespace cx {
namespace {

TEST(ControlMappings, TempoThumb) {
    EXPECT_EQ(TempoFromThumb(109), 0);
    EXPECT_EQ(TempoFromThumb(109 + 32), 30);
    EXPECT_EQ(TempoFromThumb(109 - 32), -30);
    EXPECT_EQ(TempoFromThumb(110), 1);  // 0.9375 rounds to 1
    EXPECT_EQ(TempoLabel(141), 32);
    EXPECT_EQ(TempoLabel(110), 1);
    EXPECT_EQ(TempoFromThumb(500), 30);  // clamped to 77..141
    EXPECT_EQ(TempoFromThumb(0), -30);
    // Halves go to the even neighbour: 16 steps give 15 exactly, 8 give 7.5 -> 8.
    EXPECT_EQ(TempoFromThumb(109 + 8), 8);
    EXPECT_EQ(TempoFromThumb(109 - 8), -8);
}

TEST(ControlMappings, TranspositionThumb) {
    EXPECT_EQ(PitchFromThumb(109 + 5), 0);   // right: rounded down
    EXPECT_EQ(PitchFromThumb(109 - 5), -1);  // left: to nearest
    EXPECT_EQ(PitchFromThumb(109 + 32), 6);
    EXPECT_EQ(PitchFromThumb(109 - 32), -6);
    EXPECT_EQ(PitchFromThumb(109 - 8), -2);   // 1.5 -> 2
    EXPECT_EQ(PitchFromThumb(109 - 24), -4);  // 4.5 -> 4
    EXPECT_EQ(PitchFromThumb(109), 0);
}

TEST(ControlMappings, BassTrebleGain) {
    EXPECT_EQ(BassTrebleGain(50), 0);
    EXPECT_EQ(BassTrebleGain(100), 15);
    EXPECT_EQ(BassTrebleGain(0), -15);
    EXPECT_EQ(BassTrebleGain(49), -1);
    EXPECT_EQ(BassTrebleGain(51), 0);
    EXPECT_EQ(EqSettingFromThumb(30), 100);
    EXPECT_EQ(EqSettingFromThumb(88), 0);
    EXPECT_EQ(EqSettingFromThumb(10), 100);
    EXPECT_EQ(EqSettingFromThumb(62), 44);
}

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
    EXPECT_EQ(EffectAmountFromThumb(83), 0);
    EXPECT_EQ(EffectAmountFromThumb(183), 100);
    EXPECT_EQ(EffectAmountFromThumb(300), 100);
    EXPECT_EQ(EffectValue(1, 0), 20);
    EXPECT_EQ(EffectValue(1, 100), 0);
    EXPECT_EQ(EffectValue(1, 50), 10);
    EXPECT_EQ(EffectValue(1, 52), 10);  // 9.6 -> 10
    EXPECT_EQ(EffectValue(1, 53), 9);   // 9.4 -> 9
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
