// The MIDI window's controls without widgets, over a real engine, media
// control, MIDI player and synth: where each thumb's move is heard.
#include "midi/SoundControls.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SynthListening.h"
#include "TwoChannelKar.h"
#include "midi/MidiSettingsBlock.h"
#include "playback/Equaliser.h"
#include "playback/TestSignals.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Energy;
using test::Frequency;
using test::SoundFont;
constexpr int kRate = test::kSynthRate;

// The media control and the MIDI player as the program wires them, with the
// engine and the synth pulled by the test.
struct Rig {
    Rig() : engine(kRate), media(engine, Hooks(), MediaSettings{}, true), controls(media, midi) {}

    MediaHooks Hooks() {
        MediaHooks h;
        h.openMidi = [this](const std::string& path) {
            return midi.OpenMusic(path, SoundFont(), {}, model, test::SynthAt()).opened;
        };
        h.closeMidi = [this] { midi.CloseDevice(); };
        h.resetThumbs = [this] { controls.ResetThumbs(); };
        return h;
    }
    std::string Kar() {
        const auto path = dir / "song.kar";
        test::WriteBytes(path, test::TwoChannelKar());
        return path.string();
    }
    void Open(std::string path) {
        ASSERT_TRUE(media.OpenName(path, false));
        controls.SongOpened();
    }
    // The whole MIDI song, left channel.
    std::vector<float> RenderMidi() { return test::RenderAll(*midi.Source()).l; }
    test::TempDir dir;
    AudioEngine engine;
    MidiPlayer midi;
    LyricsModel model;
    MediaControl media;
    SoundControls controls;
};

double KeyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

TEST(SoundControls, TheKeyThumbMovesUnlockedChannelsAndMutedChannelsAreSilent) {
    REQUIRE_SOUNDFONT();
    Rig r;
    r.Open(r.Kar());
    ASSERT_TRUE(r.controls.MidiSong());
    r.midi.SetLocked(test::kKarPianoChannel, true);
    r.controls.MoveTranspose(kThumbRest + 6);  // 2 x 6 / 6.4 rounds to 2 semitones
    EXPECT_EQ(r.controls.Semitones(), 2);
    EXPECT_EQ(r.midi.Transposition(), 6);
    const auto out = r.RenderMidi();
    EXPECT_NEAR(Frequency(out, 0.5) / KeyHz(test::kKarPianoKey), 1.0, 0.03);
    EXPECT_NEAR(Frequency(out, 2.0) / KeyHz(test::kKarMelodyKey + 2), 1.0, 0.03);

    Rig m;
    m.Open(m.Kar());
    m.midi.ChannelEnabled(test::kKarMelodyChannel, false);
    const auto muted = m.RenderMidi();
    EXPECT_GT(Energy(muted, 0.3, 1.2), 0.05);
    EXPECT_LT(Energy(muted, 1.8, 2.7), 1e-6);
}

TEST(SoundControls, TheTempoThumbGivesTheSynthItsFactorAndTheLabels) {
    REQUIRE_SOUNDFONT();
    Rig r;
    r.Open(r.Kar());
    r.controls.MoveTempo(kThumbRest - 8);
    EXPECT_EQ(r.controls.TempoSteps(), -8);
    // floor(24 x 60 / 127) x 2 / 30 = 11 / 15
    EXPECT_EQ(r.controls.TempoPercent(), -27);
    EXPECT_EQ(r.controls.TempoText(), "Tempo: 88.00");
    const auto out = r.RenderMidi();
    EXPECT_NEAR(r.midi.Source()->TempoFactor(), 11.0 / 15.0, 1e-9);
    // The song lasts 3 s at its written tempo.
    EXPECT_NEAR(static_cast<double>(out.size()) / kRate, 3.0 * 15.0 / 11.0, 0.05);

    // Closing the song puts both thumbs back to rest.
    r.controls.MoveTranspose(kThumbMax);
    r.media.CloseSong();
    EXPECT_EQ(r.controls.TempoThumb(), kThumbRest);
    EXPECT_EQ(r.controls.TransposeThumb(), kThumbRest);
    EXPECT_EQ(r.controls.Semitones(), 0);
    EXPECT_EQ(r.controls.TempoText(), "");
}

TEST(SoundControls, BalancePansEveryUnlockedChannelAndLockedOnesKeepTheirs) {
    Rig r;
    r.Open(r.Kar());
    r.midi.ChannelBalance(2, 10);
    r.midi.SetLocked(2, true);
    r.controls.MoveBalance(kBalanceThumbLeft);
    for (int ch = 0; ch < kMidiChannels; ++ch)
        EXPECT_EQ(r.midi.Channels()[ch].Balance, ch == 2 ? 10 : 0) << ch;
    r.controls.MoveBalance(kBalanceThumbRight);
    EXPECT_EQ(r.midi.Channels()[5].Balance, 127);
    r.controls.ResetBalance();
    EXPECT_EQ(r.midi.Channels()[5].Balance, kCenterBalance);
    EXPECT_EQ(r.midi.Channels()[2].Balance, 10);
}

TEST(SoundControls, SavedSettingsComeBackSkipLockedChannelsAndRestoreReadsTheFile) {
    Rig r;
    const std::string song = r.Kar();
    r.Open(song);
    r.controls.MoveTranspose(kThumbRest - 6);
    ASSERT_EQ(r.midi.SaveMidi(), "");
    // A song whose tempo was not touched keeps the plain channel lines.
    EXPECT_EQ(test::ReadBytes(song).find(kMidiTempoKey), std::string::npos);
    r.controls.MoveTempo(kThumbRest - 8);
    r.midi.ChannelEnabled(test::kKarMelodyChannel, false);
    r.midi.ChangeInstrument(test::kKarPianoChannel, 48);
    r.midi.ChannelVolume(5, 40);
    ASSERT_EQ(r.midi.SaveMidi(), "");
    r.midi.ChannelVolume(5, 30);
    ASSERT_EQ(r.midi.SaveMidi(), "");
    // One block after saving twice, the song kept: MidiWindowStories.
    const std::string bytes = test::ReadBytes(song);
    // No stray files beside the song: the rewrite went through a rename.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(r.dir.Path()), {}), 1);
    EXPECT_FALSE(MidiPlayer().SaveMidi().empty());  // nothing open, nothing saved
    EXPECT_NE(bytes.find("ch15=1,-6,100,64,0\r\ntempo=-8\r\n#End CBXMidi"), std::string::npos);

    // Changed again, one channel locked: Restore brings the file's values
    // to every other channel.
    r.midi.ChannelEnabled(test::kKarMelodyChannel, true);
    r.midi.ChangeInstrument(test::kKarPianoChannel, 5);
    r.midi.SetLocked(test::kKarPianoChannel, true);
    r.controls.MoveTranspose(kThumbRest);
    r.controls.MoveTempo(kThumbMax);
    ASSERT_EQ(r.midi.RestoreMidi(), "");
    r.controls.SongOpened();
    EXPECT_FALSE(r.midi.Channels()[test::kKarMelodyChannel].Enabled);
    EXPECT_EQ(r.midi.Channels()[test::kKarPianoChannel].Instrument, 5);
    EXPECT_EQ(r.midi.Transposition(), -6);
    EXPECT_EQ(r.controls.TransposeThumb(), kThumbRest - 6);
    EXPECT_EQ(r.controls.Semitones(), -2);
    EXPECT_EQ(r.controls.TempoSteps(), -8);

    // Opened again: the song comes as it was saved (the thumbs: MidiWindowStories).
    Rig again;
    again.Open(song);
    EXPECT_EQ(again.midi.Channels()[test::kKarPianoChannel].Instrument, 48);
    EXPECT_EQ(again.midi.Channels()[5].Volume, 30);
    if (MidiSynth* synth = again.midi.Source()) {
        again.RenderMidi();
        EXPECT_NEAR(synth->TempoFactor(), 11.0 / 15.0, 1e-9);
    }
}

// Remote controls speak in tempo factors and semitones; each kind of song
// offers its own range, and a value is met by the nearest thumb position.
TEST(SoundControls, FactorsAndSemitonesFindTheirThumbsForEitherKindOfSong) {
    Rig a;  // no song open: the audio song's scales
    EXPECT_DOUBLE_EQ(a.controls.MinTempoFactor(), 0.7);
    EXPECT_DOUBLE_EQ(a.controls.MaxTempoFactor(), 1.3);
    EXPECT_EQ(a.controls.TempoThumbFor(1.0), kThumbRest);
    EXPECT_EQ(a.controls.TempoThumbFor(1.2), kThumbRest + 21);  // the first giving 20 %
    EXPECT_EQ(a.controls.TempoThumbFor(9.0), kThumbMax);
    EXPECT_EQ(a.controls.TempoThumbFor(0.01), kThumbMin);
    EXPECT_EQ(a.controls.MinSemitones(), -6);
    EXPECT_EQ(a.controls.MaxSemitones(), 6);
    for (int s = -6; s <= 6; ++s)
        EXPECT_EQ(a.controls.SemitonesAt(a.controls.TransposeThumbFor(s)), s) << s;
    EXPECT_EQ(a.controls.TransposeThumbFor(0), kThumbRest);
    EXPECT_EQ(a.controls.TransposeThumbFor(40), kThumbMax);

    REQUIRE_SOUNDFONT();
    Rig m;
    m.Open(m.Kar());
    ASSERT_TRUE(m.controls.MidiSong());
    // The MIDI tempo thumb's left end holds the song still; that is a
    // pause, never a rate.
    EXPECT_NEAR(m.controls.MinTempoFactor(), 1.0 / 15.0, 1e-9);
    EXPECT_DOUBLE_EQ(m.controls.MaxTempoFactor(), 2.0);
    EXPECT_GT(m.controls.TempoFactorAt(m.controls.TempoThumbFor(0.0)), 0.0);
    EXPECT_EQ(m.controls.TempoThumbFor(1.0), kThumbRest);
    m.controls.MoveTempo(m.controls.TempoThumbFor(1.5));
    EXPECT_NEAR(m.midi.Source()->TempoFactor(), 1.5, 1.0 / 30.0 + 1e-9);
    EXPECT_EQ(m.controls.MinSemitones(), -10);
    EXPECT_EQ(m.controls.MaxSemitones(), 10);
    for (int s = -10; s <= 10; ++s)
        EXPECT_EQ(m.controls.SemitonesAt(m.controls.TransposeThumbFor(s)), s) << s;
    m.controls.MoveTranspose(m.controls.TransposeThumbFor(-3));
    EXPECT_EQ(m.controls.Semitones(), -3);
}

// Bass, treble, balance and the voice effects of an audio song, and their
// resets: MidiWindowStories.OnAnAudioSongTheSameThumbsAndTheSoundPanelAreHeard.
TEST(SoundControls, ThumbPositionsForStoredSettingsAndMidiPan) {
    test::ExpectEach("EqThumbFromSetting", EqThumbFromSetting,
                     {{50, kEqThumbNeutral}, {100, kEqThumbTop}, {0, kEqThumbBottom}});
    // The thumb never shows more than a step away from the stored setting.
    for (int v = 0; v <= 100; ++v)
        EXPECT_NEAR(EqSettingFromThumb(EqThumbFromSetting(v)), v, 2) << v;
    test::ExpectEach("MidiPanFromBalance", MidiPanFromBalance,
                     {{0, 0}, {10000, kCenterBalance}, {20000, 127}});
}

}  // namespace
}  // namespace cx
