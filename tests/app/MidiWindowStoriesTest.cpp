// The MIDI window in the real player, offscreen: opened through the command
// router, its thumbs and strips driven by keys and clicks, heard through the
// engine and the synth.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QToolButton>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "AppHarness.h"
#include "app/Registry.h"
#include "editor/gui/Editor.h"
#include "karaoke/gui/Lyric.h"
#include "midi/MidiConverter.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/TwoChannelKar.h"
#include "midi/gui/Advance.h"
#include "midi/gui/Instrum.h"
#include "midi/gui/MidiEq.h"
#include "midi/gui/MidiInfoDialog.h"
#include "midi/gui/MidiPanel.h"
#include "midi/gui/Thumb.h"
#include "platform/QSettingsStore.h"
#include "playback/TestSignals.h"
#include "playback/player/MediaTransport.h"
#include "playlist/WindowRect.h"

namespace cx {
namespace {

using test::AppHarness;

constexpr int kRate = 44100;

MidiEq* MidiWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* eq = dynamic_cast<MidiEq*>(w)) return eq;
    return nullptr;
}

void Press(QWidget* w, int key, int times = 1) {
    test::SendKey(w, key, Qt::NoModifier, {}, times);
}

// The player started on a two-channel KAR of the test's own.
std::filesystem::path StartWithKar(AppHarness& h) {
    const auto kar = h.Home() / "song.kar";
    test::WriteBytes(kar, test::TwoChannelKar());
    h.Start(test::QPath(kar));
    return kar;
}

TEST(MidiWindowStories, ASingerReKeysSlowsMutesAndReVoicesAKarSongAndFindsItSoAgain) {
    AppHarness h;
    const auto kar = StartWithKar(h);
    ASSERT_TRUE(h.app->Media().MidiMode());

    ASSERT_TRUE(h.app->Run(Command::Controls));
    MidiEq* eq = MidiWindow();
    ASSERT_NE(eq, nullptr);
    EXPECT_TRUE(eq->isVisible());
    EXPECT_TRUE(h.app->PlayerWindow()->MidiWindowShown());
    MidiPlayer& midi = eq->Controls().Midi();
    EXPECT_EQ(eq->Strip(0)->InstrumentButton()->toolTip(), "Acoustic Grand");
    EXPECT_EQ(eq->Strip(3)->InstrumentButton()->toolTip(), "Flute");

    // The key down by two: six steps left of rest.
    Press(eq->TransposeThumb(), Qt::Key_Left, 6);
    EXPECT_EQ(eq->ToneText(), "-2");
    EXPECT_EQ(midi.Transposition(), -6);
    // Slower: eight steps left.
    Press(eq->TempoThumb(), Qt::Key_Left, 8);
    EXPECT_EQ(eq->TempoStepsText(), "-8");
    EXPECT_EQ(eq->TempoValueText(), "-27 %");
    EXPECT_EQ(eq->TempoLabelText(), "Tempo: 88.00");
    // The melody off, the piano to strings.
    eq->Strip(3)->OnOffButton()->click();
    EXPECT_FALSE(midi.Channels()[3].Enabled);
    eq->Strip(0)->InstrumentButton()->click();
    Instrum* picker = eq->Picker();
    ASSERT_NE(picker->ProgramAction(48), nullptr);
    picker->ProgramAction(48)->trigger();
    picker->hide();
    EXPECT_EQ(midi.Channels()[0].Instrument, 48);
    EXPECT_EQ(eq->Strip(0)->InstrumentButton()->toolTip(), "String Ensemble 1");
    if (MidiSynth* synth = midi.Source()) {
        h.Advance(0.05);
        EXPECT_NEAR(synth->TempoFactor(), 11.0 / 15.0, 1e-9);
        EXPECT_EQ(synth->ChannelProgram(0), 48);
    }
    test::SaveShot(*eq, "midi-window");

    // Saved twice: one block.
    eq->SaveButton()->click();
    eq->SaveButton()->click();
    EXPECT_EQ(eq->StatusText(), "Saved into the song.");
    const std::string bytes = test::ReadBytes(kar);
    EXPECT_EQ(bytes.find(kMidiBlockStart), bytes.rfind(kMidiBlockStart));
    EXPECT_EQ(StripSettingsBlock(bytes), test::TwoChannelKar());

    // Stopped: the song is closed and every thumb rests.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_EQ(eq->TransposeThumb()->value(), kThumbRest);
    EXPECT_EQ(eq->TempoThumb()->value(), kThumbRest);
    EXPECT_EQ(eq->ToneText(), "0");
    EXPECT_EQ(eq->TempoStepsText(), "0");
    EXPECT_TRUE(eq->Strip(3)->OnOffButton()->isChecked());

    // Opened again: as it was saved.
    h.app->ChangeSong(test::QPath(kar));
    ASSERT_TRUE(h.app->Media().MidiMode());
    EXPECT_FALSE(eq->Strip(3)->OnOffButton()->isChecked());
    EXPECT_EQ(eq->Strip(0)->InstrumentButton()->toolTip(), "String Ensemble 1");
    EXPECT_EQ(eq->ToneText(), "-2");
    EXPECT_EQ(eq->TransposeThumb()->value(), kThumbRest - 6);
    EXPECT_EQ(eq->TempoStepsText(), "-8");
    EXPECT_EQ(eq->TempoLabelText(), "Tempo: 88.00");

    // Changed and restored from the file.
    eq->Strip(3)->OnOffButton()->click();
    EXPECT_TRUE(midi.Channels()[3].Enabled);
    eq->RestoreButton()->click();
    EXPECT_FALSE(midi.Channels()[3].Enabled);
    EXPECT_FALSE(eq->Strip(3)->OnOffButton()->isChecked());

    // File information of a MIDI song is the MIDI information dialog.
    ASSERT_TRUE(h.app->Run(Command::FileInfo));
    ASSERT_NE(eq->InfoDialog(), nullptr);
    EXPECT_TRUE(eq->InfoDialog()->isVisible());
    bool listsFlute = false;
    for (const auto& [caption, value] : eq->InfoDialog()->Rows())
        if (caption == "Channel 4") listsFlute = value.find("Flute") == 0;
    EXPECT_TRUE(listsFlute);
    test::SaveShot(*eq->InfoDialog(), "midi-info");

    // Alt+C again hides the window.
    ASSERT_TRUE(h.app->Run(Command::Controls));
    EXPECT_FALSE(eq->isVisible());
    EXPECT_FALSE(h.app->PlayerWindow()->MidiWindowShown());
}

TEST(MidiWindowStories, OnAnAudioSongTheSameThumbsAndTheSoundPanelAreHeard) {
    AppHarness h;
    const auto song = h.Home() / "sine.wav";
    ASSERT_TRUE(test::WriteSound(song, test::StereoSine(kRate, 440.0, 8.0, 0.5f, 0.5f), kRate, 2,
                                 test::kWavFloat));
    ASSERT_TRUE(h.Start(test::QPath(song)));
    ASSERT_TRUE(h.app->Run(Command::Mixer));
    MidiEq* eq = MidiWindow();
    ASSERT_NE(eq, nullptr);
    ASSERT_TRUE(eq->isVisible());
    EXPECT_FALSE(eq->SaveButton()->isEnabled());
    EXPECT_TRUE(eq->TempoLabelText().isEmpty());

    // Key up by two: eleven steps right.
    Press(eq->TransposeThumb(), Qt::Key_Right, 11);
    EXPECT_EQ(eq->ToneText(), "2");
    h.Render(kRate / 2);
    EXPECT_NEAR(test::MeasureHz(h.Render(kRate / 2), kRate, 0, kRate / 2),
                440.0 * std::pow(2.0, 2.0 / 12.0), 4.0);
    // Home brings the key back.
    Press(eq->TransposeThumb(), Qt::Key_Home);
    EXPECT_EQ(eq->ToneText(), "0");

    // Tempo +20 %: a second of output plays 1.2 s of the song.
    Press(eq->TempoThumb(), Qt::Key_Right, 21);
    EXPECT_EQ(eq->TempoValueText(), "+20 %");
    EXPECT_EQ(eq->TempoStepsText(), "21");
    h.Render(kRate / 2);
    const double before = h.app->Media().PositionSeconds();
    h.Render(kRate);
    EXPECT_NEAR(h.app->Media().PositionSeconds() - before, 1.2, 0.03);

    // Bass up, treble down, reset: the equalisers follow.
    Advance* panel = eq->SoundPanel();
    panel->BassThumb()->setValue(kEqThumbTop);
    panel->TrebleThumb()->setValue(kEqThumbBottom);
    EXPECT_EQ(panel->BassText(), "+15 dB");
    EXPECT_EQ(panel->TrebleText(), "-15 dB");
    const auto gains = [&h] {
        FxParameters bass, treble;
        EXPECT_TRUE(h.app->Engine().FXGetParameters(h.app->Media().BassEq(), bass));
        EXPECT_TRUE(h.app->Engine().FXGetParameters(h.app->Media().TrebleEq(), treble));
        return std::pair(std::get<EqParameters>(bass).gainDb,
                         std::get<EqParameters>(treble).gainDb);
    };
    EXPECT_EQ(gains(), std::pair(15.0f, -15.0f));
    EXPECT_EQ(h.app->Media().Settings().customBass, 100);
    panel->ResetAll();
    EXPECT_EQ(gains(), std::pair(0.0f, 0.0f));
    EXPECT_EQ(h.app->Media().Settings().customTreble, 50);

    // Balance hard left: the right side goes quiet.
    panel->BalanceThumb()->setValue(kBalanceThumbLeft);
    EXPECT_EQ(panel->BalanceText(), "L 100");
    const auto pan = [&h] {
        return h.app->Engine().ChannelGetAttributes(h.app->Media().CurrentChannel()).pan;
    };
    EXPECT_EQ(pan(), -100);
    h.Render(kRate / 4);
    const std::vector<float> balanced = h.Render(kRate / 4);
    EXPECT_GT(test::Rms(balanced, 0), 10 * test::Rms(balanced, 1) + 0.01);
    panel->ResetBalance();
    EXPECT_EQ(pan(), 0);

    // The vocal remover cancels what both sides share: here, everything.
    QToolButton* vocal = panel->VocalCutButton();
    ASSERT_TRUE(vocal->isEnabled());
    vocal->click();
    EXPECT_TRUE(h.app->Media().VocalCutOn());
    EXPECT_TRUE(vocal->isChecked());
    h.Render(kRate / 4);
    EXPECT_LT(test::Rms(h.Render(kRate / 4), 0), 3e-4);

    // A voice effect's amount moved while it is off is kept.
    panel->EffectThumb(2)->setValue(kEffectThumbMax);
    EXPECT_FALSE(h.app->Media().VoiceEffects()[2].On);
    EXPECT_EQ(h.app->Media().VoiceEffects()[2].Amount, 100);
    panel->EffectSwitch(2)->click();
    EXPECT_TRUE(h.app->Media().VoiceEffects()[2].On);
    EXPECT_EQ(h.app->Media().VoiceEffects()[2].Value, 50);
    EXPECT_EQ(h.app->Media().VoiceEffects().ToDspOut(), "0,50,1,100,0,50,0,50");
    test::SaveShot(*eq, "midi-window-audio");

    // Another song: the thumbs rest and the remover is off.
    h.app->ChangeSong(test::QPath(song));
    EXPECT_EQ(eq->TempoThumb()->value(), kThumbRest);
    EXPECT_EQ(eq->TempoValueText(), "0 %");
    EXPECT_FALSE(h.app->Media().VocalCutOn());
    EXPECT_FALSE(vocal->isChecked());
}

TEST(MidiWindowStories, TimesSavedForAKarInTheEditorLightOnReopen) {
    AppHarness h;
    const auto kar = StartWithKar(h);
    ASSERT_TRUE(h.app->Media().MidiMode());
    ASSERT_TRUE(h.app->Transport().State() == PlayState::Playing || h.app->Run(Command::Play));
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_EQ(model.UpperBound(), 3);  // "Hel", "lo ", "world" from the words track
    const double wordsTime = model.Lyrics[3].StartTime;

    // "world" tapped later than the words track has it, then saved into the song.
    ASSERT_TRUE(h.app->Run(Command::Editor));
    Editor* editor = h.app->EditorWindow();
    ASSERT_NE(editor, nullptr);
    h.app->SeekTo(2.2);
    h.Advance(0.2);
    editor->SelectRow(3);
    test::SendKey(editor->List(), Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    const double tapped = editor->Document().Piece(3).StartTime;
    ASSERT_GT(tapped, wordsTime + 0.3);
    editor->Action("MenuSave")->trigger();
    QApplication::processEvents();
    editor->close();

    // Opened again: the saved time, not the words track's, lights "world".
    h.app->ChangeSong(test::QPath(kar));
    ASSERT_EQ(model.UpperBound(), 3);
    EXPECT_NEAR(model.Lyrics[3].StartTime, tapped, 0.002);
    ASSERT_TRUE(h.app->Transport().State() == PlayState::Playing || h.app->Run(Command::Play));
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    h.app->SeekTo(wordsTime + 0.1);
    h.Advance(0.05);
    EXPECT_EQ(display.CurrentPiece(), 2);
    h.app->SeekTo(tapped + 0.05);
    h.Advance(0.05);
    EXPECT_EQ(display.CurrentPiece(), 3);
}

TEST(MidiWindowStories, ARepairedRiffMidiSongIsMeasuredAndNamedOnTheStatusLine) {
    AppHarness h;
    // A byte copy of the last track after the four the header counts, as RIFF MIDI.
    std::string smf = test::TwoChannelKar();
    smf += smf.substr(smf.rfind("MTrk"));
    const auto rmi = h.Home() / "copied.rmi";
    test::WriteBytes(rmi, test::Rmid(smf));
    ASSERT_TRUE(h.Start(test::QPath(rmi)));
    ASSERT_TRUE(h.app->Media().MidiMode());
    EXPECT_NEAR(h.app->Transport().Length(), 3.0, 0.1);
    Player* player = h.app->PlayerWindow();
    EXPECT_TRUE(player->StatusText().contains(QLatin1String("copied.rmi")))
        << player->StatusText().toStdString();

    // A sound file: the line goes.
    h.app->ChangeSong(test::QPath(test::DemoDir() / "Twinkle Twinkle Little Star.wav"));
    QApplication::processEvents();
    EXPECT_TRUE(player->StatusText().isEmpty());
}

TEST(MidiWindowStories, TheConverterWorksWhileThePlayerGoesOnAndItsWordsFollow) {
    AppHarness h;
    // The converter gives the KAR's words once the test lets it; the song has a lyric event.
    const auto kar = h.Home() / "converted.kar";
    test::WriteBytes(kar, test::TwoChannelKar() + std::string(kMinConverterOutputBytes, ' '));
    const auto script = h.Home() / "convert.sh", go = h.Home() / "go";
    test::WriteBytes(script, "while [ ! -e '" + go.string() + "' ]; do sleep 0.05; done\ncp '" +
                                 kar.string() + "' \"$2\"\n");
    QSettingsStore().Write(kSettingsKey, "midi converter", "/bin/sh \"" + script.string() + "\"");
    const auto song = h.Home() / "plain.mid";
    test::WriteBytes(song, test::Smf(0, 96, {test::TrackWriter().Lyric(96, "smf").End(1920)}));
    ASSERT_TRUE(h.Start(test::QPath(song)));
    Player* player = h.app->PlayerWindow();
    EXPECT_TRUE(player->StatusText().contains(QLatin1String("plain.mid")));
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_GE(model.UpperBound(), 1);
    EXPECT_EQ(model.Lyrics[1].PieceText, "smf");
    test::WriteBytes(go, "");
    for (int i = 0; i < 500 && model.Lyrics[1].PieceText == "smf"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QApplication::processEvents();
    }
    EXPECT_EQ(model.Lyrics[1].PieceText, "Hel");
    EXPECT_TRUE(player->StatusText().isEmpty());
}

TEST(MidiWindowStories, TheWindowsPlaceIsStoredOnExit) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(h.app->Run(Command::Controls));
    ASSERT_NE(MidiWindow(), nullptr);
    QAction* exit = h.app->PlayerWindow()->MenuAction(Command::Exit);
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(MidiWindow()->isVisible());
    const std::string stored = h.StoredSettings();
    const std::size_t at = stored.find("eq%20position=\"");
    ASSERT_NE(at, std::string::npos) << stored;
    const auto rect = ParseWindowRect(stored.substr(at + 15, stored.find('"', at + 15) - at - 15));
    ASSERT_TRUE(rect);
    EXPECT_GT(rect->width, 0);
}

}  // namespace
}  // namespace cx
