// A singer switches the pitch lane on with Alt+P over a KAR song, sings its
// tune into the microphone and sees the lane and the score.
#include <QKeyEvent>
#include <chrono>
#include <thread>

#include "app/AppHarness.h"
#include "karaoke/gui/Lyric.h"
#include "midi/TwoChannelKar.h"
#include "scoring/PitchLaneDesk.h"
#include "scoring/SyntheticSinger.h"

namespace cx {
namespace {

void PressAltP(test::AppHarness& h) {
    QKeyEvent altP(QEvent::KeyPress, Qt::Key_P, Qt::AltModifier, "p");
    QApplication::sendEvent(h.app->PlayerWindow(), &altP);
}

// Plays the song for `seconds` while the singer sings `voice` from `from`
// seconds (silence before), 10 ms at a time as the microphone would.
void SingAlongFor(test::AppHarness& h, const std::vector<float>& voice, double from,
                  double seconds) {
    constexpr std::size_t kTick = test::kVoiceRate / 100;
    const std::vector<float> quiet(kTick, 0.0f);
    LivePitch& live = h.app->PitchLane()->Live();
    for (int t = 0; t < static_cast<int>(seconds * 100); ++t) {
        const auto at = static_cast<std::ptrdiff_t>((t / 100.0 - from) * test::kVoiceRate);
        const bool singing = at >= 0 && at + static_cast<std::ptrdiff_t>(kTick) <=
                                            static_cast<std::ptrdiff_t>(voice.size());
        live.PushSamples(singing ? voice.data() + at : quiet.data(), kTick);
        // The tracker works on its own thread; let it keep up as in real time.
        if (t % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        h.Advance(0.01);
    }
}

TEST(PitchLaneStories, AltPShowsTheLaneAndSingingTheTuneScores) {
    test::AppHarness h;
    const auto kar = h.Home() / "song.kar";
    test::WriteBytes(kar, test::TwoChannelKar());
    ASSERT_TRUE(h.Start(QString::fromStdString(kar.string())));
    ASSERT_TRUE(h.app->Run(Command::Play));
    const QImage before = h.app->LyricWindow()->Display().Frame().copy();

    PressAltP(h);
    ASSERT_NE(h.app->PitchLane(), nullptr);
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << "aubio is not installed";
    ASSERT_TRUE(h.app->PitchLane()->On());
    ASSERT_TRUE(h.app->PitchLane()->HasNotes());
    std::vector<float> voice;  // the melody's G4 under "world", 1.75 s to 2.75 s
    test::SingNote(voice, test::kKarMelodyKey, 1.0);
    SingAlongFor(h, voice, 1.75, 3.2);

    const KaraokeDisplay& display = h.app->LyricWindow()->Display();
    EXPECT_TRUE(display.PitchLaneShown());
    EXPECT_NE(display.Frame().pixel(4, 4), before.pixel(4, 4));  // the lane's backdrop
    EXPECT_GE(h.app->PitchLane()->Total(), 9000);

    PressAltP(h);
    h.Advance(0.01);
    EXPECT_FALSE(h.app->LyricWindow()->Display().PitchLaneShown());
}

}  // namespace
}  // namespace cx

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return cx::test::RunWithPlayerHome(argc, argv);
}
