// Every transition effect and variant: start, end, pacing.
#include <gtest/gtest.h>

#include "KaraokeTestSupport.h"
#include "karaoke/Transitions.h"

namespace cx {
namespace {

using test::Pattern;

std::vector<TransitionSpec> AllSpecs(int speed) {
    std::vector<TransitionSpec> specs;
    for (const auto& effect : TransitionEffects()) {
        auto variants = TransitionVariants(effect);
        if (variants.empty()) variants.push_back("");
        for (const auto& v : variants) specs.push_back({effect, v, speed});
    }
    return specs;
}

TEST(Transitions, EveryEffectStartsWithTheOutgoingAndEndsWithTheIncomingPicture) {
    EXPECT_EQ(AllSpecs(5).size(), 65u);
    for (QSize size : {QSize(kPreviewWidth, kPreviewHeight), QSize(321, 177)}) {
        const QImage from = Pattern(size, 10), to = Pattern(size, 200);
        for (bool preview : {true, false}) {
            for (const auto& desc : AllSpecs(7)) {
                SCOPED_TRACE(desc.Effect + " / " + desc.Variant);
                const int steps = TransitionSteps(desc, size, preview);
                ASSERT_GT(steps, 1);
                EXPECT_EQ(TransitionFrame(from, to, desc, 0, steps), from);
                EXPECT_EQ(TransitionFrame(from, to, desc, steps, steps), to);
                const QImage middle = TransitionFrame(from, to, desc, steps / 2, steps);
                EXPECT_NE(middle, from);
                EXPECT_NE(middle, to);
            }
        }
    }
}

TEST(Transitions, UnknownEffectsChangeInOneStep) {
    const QSize size(40, 30);
    const QImage from = Pattern(size, 1), to = Pattern(size, 2);
    for (const TransitionSpec& desc : {TransitionSpec{"", "", 5},
                                       {"No effect", "", 5},
                                       {"Slide Bar", "Sideways", 5},
                                       {"Spin", "Left", 5}}) {
        EXPECT_FALSE(IsKnownTransition(desc));
        EXPECT_EQ(TransitionSteps(desc, size, false), 1);
        EXPECT_EQ(TransitionFrame(from, to, desc, 1, 1), to);
    }
}

TEST(Transitions, SlideBarMovesTheHalvesInOppositeDirections) {
    const QSize size(kPreviewWidth, kPreviewHeight);
    const QImage from = Pattern(size, 10), to = Pattern(size, 200);
    const TransitionSpec v2{"Slide Bar", "Vertical2", 5};
    EXPECT_EQ(TransitionSteps(v2, size, true), 80);
    EXPECT_EQ(TransitionSteps({"Slide Bar", "Horizontal1", 5}, size, true), 112);
    const QImage f = TransitionFrame(from, to, v2, 10, 80);
    EXPECT_EQ(f.pixel(5, 70), to.pixel(5, 0));    // left half rises from the bottom
    EXPECT_EQ(f.pixel(60, 9), to.pixel(60, 79));  // right half descends from the top
    EXPECT_EQ(f.pixel(5, 69), from.pixel(5, 69));
    EXPECT_EQ(f.pixel(60, 10), from.pixel(60, 10));
}

TEST(Transitions, PacingInThePreviewAndTheWindow) {
    EXPECT_EQ(PreviewPauseMs({"Slide Bar", "Vertical2", 10}, 0, 80), 3);
    EXPECT_EQ(PreviewPauseMs({"Slide Bar", "Vertical2", 1}, 0, 80), 12);
    EXPECT_EQ(PreviewPauseMs({"Wipe Side", "Left", 10}, 0, 80), 1);
    EXPECT_EQ(PreviewPauseMs({"Wipe Side", "Left", 1}, 0, 80), 10);
    EXPECT_EQ(PreviewPauseMs({"Wipe Blinds", "Vertical", 6}, 0, 10), 50);
    EXPECT_EQ(PreviewPauseMs({"Stretch Zoom", "", 6}, 79, 80), 15);
    // Window: s = speed x (W / 100) x (H / 100) / 70 = 5 at 1000 x 700, speed 5.
    const QSize area(1000, 700);
    EXPECT_EQ(TransitionSteps({"Slide Bar", "Horizontal2", 5}, area, false), 50);  // 1000 / 20
    EXPECT_EQ(TransitionSteps({"Slide Bar", "Vertical2", 5}, area, false), 56);    // 700 / 12.5
    EXPECT_EQ(TransitionSteps({"Push Bar", "Vertical", 5}, area, false), 47);      // 700 / 15
    EXPECT_EQ(TransitionSteps({"Slide Cross", "Inside", 5}, area, false), 70);     // 350 / 5
    EXPECT_EQ(TransitionSteps({"Stretch Zoom", "", 5}, area, false), 35);          // 350 / 10
    // A tiny window still moves at least a pixel per frame.
    EXPECT_EQ(TransitionSteps({"Wipe Side", "Left", 1}, QSize(100, 50), false), 100);
}

}  // namespace
}  // namespace cx
