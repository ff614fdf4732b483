// A singer switches the pitch lane on with Alt+P over a KAR song, sings its
// tune into the microphone and sees the lane and the score.
#include <QKeyEvent>
#include <chrono>
#include <thread>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include "app/AppHarness.h"
#include "app/gui/CalibrationDialog.h"
#include "app/gui/Preferences.h"
#include "karaoke/ScoreChart.h"
#include "karaoke/gui/Lyric.h"
#include "midi/TwoChannelKar.h"
#include "playback/player/MediaTransport.h"
#include "playlist/gui/UserList.h"
#include "scoring/PitchLaneDesk.h"
#include "scoring/SyntheticSinger.h"
#include "scoring/VoiceCalibration.h"

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

    // Stopped: the title page shows the total and a bar a line in its verdict's colour.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    ASSERT_TRUE(h.app->PitchLane()->LastScore().has_value());
    const SongScore& score = *h.app->PitchLane()->LastScore();
    EXPECT_GE(score.Total, 9000);
    EXPECT_TRUE(display.ScoreShown());
    ASSERT_FALSE(score.Lines.empty());
    const QImage& frame = display.Frame();
    bool bar = false;
    for (int y = static_cast<int>(frame.height() * kScoreChartTop); y < frame.height() && !bar; ++y)
        for (int x = 0; x < frame.width() && !bar; ++x)
            bar = frame.pixel(x, y) == VerdictColour(score.Lines.front().Rating);
    EXPECT_TRUE(bar);
    test::SaveShot(*h.app->LyricWindow(), "score-chart");
    EXPECT_EQ(h.app->PitchLane()->TurnScore(), score.Total);

    // A CD+G song next has no tune: the host's history must not give it this score.
    const auto cdgSong = test::DemoDir() / "Mary Had a Little Lamb.cdg";
    h.app->PlaylistWindow()->AddFiles({test::QPath(cdgSong)});
    h.app->PlayerWindow()->Control().ChangeSong(h.app->List().ListCount() - 1);
    ASSERT_TRUE(h.app->Media().CdgMode());
    EXPECT_EQ(h.app->PitchLane()->TurnScore(), std::nullopt);
    EXPECT_FALSE(display.ScoreShown());

    PressAltP(h);
    h.Advance(0.01);
    EXPECT_FALSE(h.app->LyricWindow()->Display().PitchLaneShown());
}

// The singing tab switches the lane on at once and takes the delay the
// calibration measured from claps 80 ms after each beep.
TEST(PitchLaneStories, PreferencesSwitchTheLaneOnAndCalibrationSavesTheDelay) {
    test::AppHarness h;
    ASSERT_TRUE(h.Start());
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << "aubio is not installed";
    Preferences* p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    p->findChild<QCheckBox*>("pitch lane")->setChecked(true);
    p->findChild<QComboBox*>("score difficulty")->setCurrentIndex(2);
    p->findChild<QSpinBox*>("voice latency ms")->setValue(40);
    test::SaveShot(*p, "preferences-singing");
    p->Apply_Click();
    ASSERT_NE(h.app->PitchLane(), nullptr);
    EXPECT_TRUE(h.app->PitchLane()->On());
    EXPECT_NEAR(h.app->PitchLane()->Delay().CalibrationSeconds, 0.04, 1e-9);
    EXPECT_TRUE(h.app->LyricWindow()->Display().PitchLaneShown());

    p->findChild<QPushButton*>("Calibrate")->click();
    auto* dialog = p->findChild<CalibrationDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->Start_Click();
    ASSERT_NE(dialog->Run(), nullptr) << dialog->ResultText().toStdString();
    std::vector<float> claps(
        static_cast<std::size_t>((CalibrationRunSeconds() + 1) * test::kVoiceRate));
    for (double beep : CalibrationBeepTimes())
        for (std::size_t k = 0; k < 400; ++k)
            claps[static_cast<std::size_t>((beep + 0.08) * test::kVoiceRate) + k] =
                k % 2 ? 0.7f : -0.7f;
    constexpr std::size_t kTick = test::kVoiceRate / 100;
    for (std::size_t at = 0; dialog->Run() && at + kTick <= claps.size(); at += kTick) {
        dialog->Run()->Capture().PushSamples(claps.data() + at, kTick);
        h.Advance(0.01);
        dialog->Tick();
    }
    ASSERT_EQ(dialog->Run(), nullptr);
    EXPECT_TRUE(dialog->ResultText().contains(QStringLiteral("80 ms")))
        << dialog->ResultText().toStdString();
    dialog->findChild<QPushButton*>("Save")->click();
    EXPECT_EQ(h.app->Settings().VoiceLatencyMs, 80);
    EXPECT_EQ(p->findChild<QSpinBox*>("voice latency ms")->value(), 80);
    EXPECT_NEAR(h.app->PitchLane()->Delay().CalibrationSeconds, 0.08, 1e-9);

    p->findChild<QCheckBox*>("pitch lane")->setChecked(false);
    p->OK_Click();
    EXPECT_FALSE(h.app->PitchLane()->On());
    EXPECT_FALSE(h.app->LyricWindow()->Display().PitchLaneShown());

    // Back on, then quitting amid the beeps ends the run with the player.
    p = h.Open<Preferences>(Command::Preferences);
    p->findChild<QCheckBox*>("pitch lane")->setChecked(true);
    p->Apply_Click();
    p->findChild<QPushButton*>("Calibrate")->click();
    p->findChild<CalibrationDialog*>()->Start_Click();
    ASSERT_NE(p->findChild<CalibrationDialog*>()->Run(), nullptr);
    h.Advance(0.5);
    h.app.reset();

    // The lane left on comes back with the next start's first song.
    const auto kar = h.Home() / "song.kar";
    test::WriteBytes(kar, test::TwoChannelKar());
    ASSERT_TRUE(h.Start(QString::fromStdString(kar.string())));
    ASSERT_NE(h.app->PitchLane(), nullptr);
    EXPECT_TRUE(h.app->PitchLane()->On());
    EXPECT_NEAR(h.app->PitchLane()->Delay().CalibrationSeconds, 0.08, 1e-9);
}

}  // namespace
}  // namespace cx
