// The mixer over a card we control, over no card at all, and the level meter.
#include <gtest/gtest.h>

#include "FakeCards.h"
#include "recording/ClsVolume.h"
#include "recording/LevelMeter.h"
#include "recording/RecordingSettings.h"
#include "support/ExpectEach.h"

namespace cx {
namespace {

// Two cards with a master line, a microphone mute and no bass or treble.
test::FakeCards TwoCards() {
    return {{"Card A", "Card B"},
            {{MixerControl::Volume, 40}, {MixerControl::MicroOutMute, 0}, {MixerControl::Midi, 10}},
            {}};
}

TEST(ClsVolume, SelectingAnotherMixerClosesThePreviousOneFirst) {
    test::FakeCards cards = TwoCards();
    ClsVolume mixer(cards.Backend());
    mixer.EnumMixer();
    ASSERT_EQ(mixer.MixerList().size(), 2u);
    ASSERT_TRUE(mixer.SetMixerSelect(0));
    ASSERT_TRUE(mixer.SetMixerSelect(1));
    EXPECT_EQ(cards.log, (std::vector<std::string>{"open 0", "close 0", "open 1"}));
    EXPECT_EQ(mixer.MixerName(), "Card B");
    EXPECT_EQ(mixer.MixerSelect(), 1);

    // A card that is not there: the old one is closed, nothing is open, and the state says why.
    EXPECT_FALSE(mixer.SetMixerSelect(7));
    EXPECT_FALSE(mixer.Open());
    EXPECT_EQ(mixer.MixerState(), "no such card");
    EXPECT_EQ(cards.log.back(), "close 1");
}

TEST(ClsVolume, MuteTrueReadsBackTrueAndMissingControlsReadZeroAndIgnoreWrites) {
    test::FakeCards cards = TwoCards();
    ClsVolume mixer(cards.Backend());
    mixer.EnumMixer();
    ASSERT_TRUE(mixer.SetMixerSelect(0));
    EXPECT_FALSE(mixer.MicroOutMute());
    mixer.SetMicroOutMute(true);
    EXPECT_TRUE(mixer.MicroOutMute());
    EXPECT_EQ(mixer.Level(MixerControl::MicroOutMute), 1);
    mixer.SetMicroOutMute(false);
    EXPECT_FALSE(mixer.MicroOutMute());

    EXPECT_EQ(mixer.Percent(MixerControl::Volume), 20);
    mixer.SetPercent(MixerControl::Volume, 75);
    EXPECT_EQ(mixer.VolumeLevel(), 150);

    EXPECT_FALSE(mixer.Has(MixerControl::VolumeBass));
    mixer.SetLevel(MixerControl::VolumeBass, 99);
    EXPECT_EQ(mixer.Level(MixerControl::VolumeBass), 0);
    EXPECT_EQ(mixer.getRecordLine(), 0);
}

TEST(ClsVolume, WithoutACardEverythingReadsZeroAndNothingBreaks) {
    // This machine may or may not have a card; ALSA must answer either way.
    ClsVolume alsa;
    alsa.EnumMixer();
    if (alsa.MixerList().empty()) {
        EXPECT_FALSE(alsa.SetMixerSelect(0));
        EXPECT_FALSE(alsa.MixerState().empty());
    }
    ClsVolume none(MixerBackend{});
    none.EnumMixer();
    EXPECT_TRUE(none.MixerList().empty());
    EXPECT_FALSE(none.SetMixerSelect(0));
    none.SetVolumeLevel(50);
    none.SetVolumeMute(true);
    EXPECT_EQ(none.VolumeLevel(), 0);
    EXPECT_FALSE(none.VolumeMute());
    EXPECT_EQ(none.Percent(MixerControl::Midi), 0);
}

TEST(LevelMeter, RisesAtOnceAndFallsAtMost500PerBuffer) {
    LevelMeter meter;
    const unsigned char loud[4] = {0x10, 0x27, 0xF0, 0xD8};  // 10000 and -10000
    meter.Monitor(loud, 4);
    EXPECT_EQ(meter.Left(), 10000);
    EXPECT_EQ(meter.Right(), 10000);
    const unsigned char silent[4] = {0, 0, 0, 0};
    meter.Monitor(silent, 4);
    EXPECT_EQ(meter.Left(), 9500);
    meter.Monitor(silent, 4);
    EXPECT_EQ(meter.Right(), 9000);
    // A level within 500 of the shown one is taken as it is.
    meter.MonitorFrame(8700, 8600);
    EXPECT_EQ(meter.Left(), 8700);
    EXPECT_EQ(meter.Right(), 8600);
    meter.Monitor(silent, 3);  // too short for a frame: no change
    EXPECT_EQ(meter.Left(), 8700);
    EXPECT_EQ(LevelMeter::Amplitud(0x00, 0x80), -32768);
}

TEST(RecordingSettings, VoiceVolumeThumbAndSynchronisationSlider) {
    test::ExpectEach("VoiceVolumeFromThumb", VoiceVolumeFromThumb,
                     {{33, 95}, {91, 0}, {10, 95}, {62, 48}});
    EXPECT_FLOAT_EQ(VoiceOffsetFromSlider(kSynchroRest, 1), 0.0f);
    EXPECT_FLOAT_EQ(VoiceOffsetFromSlider(kSynchroMax, 2), 2.0f);
    EXPECT_FLOAT_EQ(VoiceOffsetFromSlider(-50, 1), -1.0f);
    EXPECT_FLOAT_EQ(VoiceOffsetFromSlider(93, 1), 0.5f);
}

}  // namespace
}  // namespace cx
