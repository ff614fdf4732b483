#include "playback/Effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "playback/ControlMappings.h"
#include "playback/VoiceEffects.h"

namespace cx {
namespace {

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
