// A singer switches "one loudness" in the Preferences and plays a quiet song.
#include <QCheckBox>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/AppHarness.h"
#include "app/gui/Preferences.h"
#include "loudness/LoudnessLeveller.h"
#include "loudness/SignalWav.h"

namespace cx {
namespace {

using test::AppHarness;

TEST(LoudnessStories, AQuietSongPlaysLouderWithOneLoudnessSwitchedOn) {
    struct Row {
        bool on;
        double gainDb;  // -39 LUFS to -16 wants +23 dB; the largest boost is 12
    } rows[] = {{true, 12.0}, {false, 0.0}};
    float peaks[2] = {};
    for (int i = 0; i < 2; ++i) {
        AppHarness h;
        const auto song = h.Home() / "quiet.wav";
        test::WriteBytes(song, test::FloatWav(test::Tone(997, -36, 8, 44100, 2), 44100, 2));
        ASSERT_TRUE(h.Start());
        Preferences* p = h.Open<Preferences>(Command::Preferences);
        ASSERT_NE(p, nullptr);
        p->findChild<QCheckBox*>("loudness normalise")->setChecked(rows[i].on);
        p->OK_Click();
        h.app->ChangeSong(test::QPath(song));
        // Playback starts without waiting for the measure.
        h.Advance(0.01);
        EXPECT_GT(h.app->Media().PositionSeconds(), 0) << rows[i].on;
        for (int wait = 0; wait < 2000 && h.app->Leveller().Measuring(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            h.Advance(0.01);
        }
        h.Advance(3.0);  // any glide is over
        EXPECT_NEAR(h.app->Leveller().Control().GainDb(), rows[i].gainDb, 0.05) << rows[i].on;
        peaks[i] = h.RenderPeak(4410);
    }
    ASSERT_GT(peaks[1], 0.0f);
    EXPECT_NEAR(peaks[0] / peaks[1], std::pow(10.0, 12.0 / 20), 0.05);
}

}  // namespace
}  // namespace cx
