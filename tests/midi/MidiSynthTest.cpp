#include <gtest/gtest.h>

#include <cmath>

#include "SmfWriter.h"
#include "SynthListening.h"
#include "midi/MidiPlayer.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::test;
constexpr int kRate = kSynthRate;

// One held note on `channel` from 0.25 s to 1.25 s at 120 bpm, division 96.
std::string OneNote(int channel, int key, int program) {
    TrackWriter t;
    t.Program(0, channel, program).Control(0, channel, 7, 120);
    t.NoteOn(48, channel, key).NoteOff(192, channel, key).End(48);
    return Smf(0, 96, {t});
}

std::unique_ptr<MidiSynth> Make(const std::string& song, bool effects = false) {
    std::string error;
    auto s = MidiSynth::Create(song, SoundFont(), SynthAt(effects), error);
    EXPECT_TRUE(s) << error;
    return s;
}

// A muted channel is heard silent through SoundControls.
TEST(MidiSynth, RendersTheSongLength) {
    REQUIRE_SOUNDFONT();
    auto s = Make(OneNote(2, 60, 0));
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->LengthSeconds(), 1.5, 1e-9);
    const Stereo loud = RenderAll(*s);
    EXPECT_EQ(static_cast<std::int64_t>(loud.l.size()), s->LengthFrames());
    EXPECT_TRUE(s->Finished());
    EXPECT_GT(Energy(loud.l), 1.0);
}

TEST(MidiSynth, BalanceMovesTheEnergy) {
    REQUIRE_SOUNDFONT();
    for (int pan : {0, 127}) {
        auto s = Make(OneNote(0, 60, 0));
        s->SetChannelBalance(0, pan);
        const Stereo out = RenderAll(*s);
        const double l = Energy(out.l), r = Energy(out.r);
        EXPECT_GT(pan ? r : l, 10 * (pan ? l : r)) << pan;
    }
}

// Transposing from the start is heard through SoundControls; here a held note moves.
TEST(MidiSynth, TransposeTwelveDoublesThePitchAndMovesHeldNotes) {
    REQUIRE_SOUNDFONT();
    auto live = Make(OneNote(0, 57, 73));  // flute, A3
    std::vector<float> buf(2 * kRate / 2);
    live->Render(buf.data(), kRate / 2);  // into the note
    live->SetChannelTranspose(0, 12);
    // Changing it while the note sounds restarts the note at the new pitch, A4.
    EXPECT_NEAR(Frequency(RenderAll(*live).l, 0.1) / 440.0, 1.0, 0.05);
}

TEST(MidiSynth, SeekLandsAtTheRightTick) {
    REQUIRE_SOUNDFONT();
    // Silence until the note at tick 192 (1 s at 120 bpm, division 96), with a tempo change before
    // it.
    TrackWriter t;
    t.Tempo(0, 1000000).Program(0, 0, 0).NoteOn(48, 0, 60, 1).NoteOff(1, 0, 60).Tempo(47, 500000);
    t.NoteOn(96, 0, 72).NoteOff(96, 0, 72).End();
    auto s = Make(Smf(0, 96, {t}));
    const double noteAt = s->Tempo().TickToSeconds(192);
    EXPECT_NEAR(noteAt, 1.5, 1e-9);
    ASSERT_TRUE(s->SeekFrame(std::llround(1.25 * kRate)));
    EXPECT_NEAR(s->SongSeconds(), 1.25, 1.0 / kRate);
    const Stereo out = RenderAll(*s);
    std::size_t onset = 0;
    while (onset < out.l.size() && std::fabs(out.l[onset]) < 1e-4) ++onset;
    EXPECT_NEAR(static_cast<double>(onset) / kRate, noteAt - 1.25, 0.005);
}

TEST(MidiSynth, TempoFactorZeroHoldsStill) {
    REQUIRE_SOUNDFONT();
    // A factor other than one is heard through SoundControls' tempo thumb.
    auto still = Make(OneNote(0, 60, 0));
    still->SetTempoFactor(0.0);
    std::vector<float> buf(2 * 4096);
    EXPECT_EQ(still->Render(buf.data(), 4096), 4096u);
    EXPECT_DOUBLE_EQ(still->SongSeconds(), 0.0);
    EXPECT_FALSE(still->Finished());
}

// The synth renders everything between two events in one go; the samples
// must not depend on how the caller cuts the output into blocks.
TEST(MidiSynth, SamplesDoNotDependOnTheCallersBlockSize) {
    REQUIRE_SOUNDFONT();
    TrackWriter t;
    t.Program(0, 0, 0).Program(0, 1, 48).NoteOn(0, 0, 60).NoteOn(37, 1, 67);
    t.Msg(29, 0xE0, 0, 70).Control(11, 1, 10, 20).NoteOff(101, 0, 60).NoteOn(3, 0, 64);
    t.Control(53, 0, 7, 90).NoteOff(77, 1, 67).NoteOff(140, 0, 64).End(96);
    const std::string song = Smf(0, 96, {t});
    for (const double factor : {1.0, 1.37}) {
        std::vector<std::vector<float>> outs;
        for (const std::size_t block : {4096u, 64u, 7u}) {
            auto s = Make(song, true);  // reverb and chorus on
            ASSERT_TRUE(s);
            s->SetTempoFactor(factor);
            std::vector<float> all, buf(2 * block);
            for (std::size_t n = block; n == block;) {
                n = s->Render(buf.data(), block);
                all.insert(all.end(), buf.begin(), buf.begin() + 2 * n);
            }
            outs.push_back(std::move(all));
        }
        EXPECT_GT(Energy(outs[0]), 1.0);
        EXPECT_EQ(outs[0], outs[1]) << "factor " << factor;
        EXPECT_EQ(outs[0], outs[2]) << "factor " << factor;
    }
}

// An engine clock that hears `lag` seconds less than was rendered.
class LaggingClock : public AudioClock {
public:
    LaggingClock(const MidiSynth& s, double lag) : m_synth(s), m_lag(lag) {}
    double AudiblePositionSeconds() const override {
        return static_cast<double>(m_synth.OutputFrames()) / m_synth.SampleRate() - m_lag;
    }

private:
    const MidiSynth& m_synth;
    double m_lag;
};

TEST(MidiPlayer, MidiTimeIsWhatIsHeard) {
    REQUIRE_SOUNDFONT();
    test::TempDir dir;
    test::WriteBytes(dir / "song.mid", OneNote(0, 60, 0));
    MidiPlayer player;
    LyricsModel model;
    ASSERT_TRUE(player.OpenMusic(dir / "song.mid", SoundFont(), {}, model, SynthAt(true)).playable);
    LaggingClock clock(*player.Source(), 0.1);
    player.SetClock(&clock);
    player.SetTempoSlider(kTempoSliderMax);  // twice as fast: 0.1 s of output is 0.2 s of song
    player.PlayMidi();
    std::vector<float> buf(2 * kRate / 2);
    player.Source()->Render(buf.data(), kRate / 2);
    EXPECT_NEAR(player.Source()->SongSeconds(), 1.0, 1e-3);
    EXPECT_NEAR(player.MidiTime(), 0.8, 1e-3);
    EXPECT_EQ(player.TempoText(), "Tempo: 240.00");
    player.StopMidi();
    player.Source()->Render(buf.data(), 1);
    EXPECT_LT(player.Source()->SongSeconds(), 1e-3);
    EXPECT_FALSE(player.CheckEnd());
}

TEST(MidiPlayer, SliderFormulasAndLabel) {
    EXPECT_DOUBLE_EQ(MidiTempoFactor(kTempoSliderMin - 10), 0.0);
    EXPECT_NEAR(MidiTempoFactor(kTempoSliderRest), 1.0, 1e-12);
    EXPECT_NEAR(MidiTempoFactor(kTempoSliderMax), 2.0, 1e-12);
    EXPECT_NEAR(MidiTempoFactor(kTempoSliderRest + 1), 1.0, 1e-12);  // steps of 2/30
    EXPECT_NEAR(MidiTempoFactor(kTempoSliderRest + 3), 1.0 + 2.0 / 30, 1e-12);
    ExpectEach("TransposeSemitones", TransposeSemitones, {{19, 6}, {-16, -5}});
    ExpectEach("TempoLabel", TempoLabel, {{120, "Tempo: 120.00"}, {7.5, "Tempo: 07.50"}});
}

TEST(MidiPlayer, OpensWithoutSoundFontAndAppliesTheSettingsBlock) {
    test::TempDir dir;
    TrackWriter t;
    t.Lyric(96, "la").NoteOn(0, 3, 60).NoteOff(96, 3, 60).End();
    const std::string smf = Smf(0, 96, {t});
    MidiSettings saved;
    saved.Channels[3].Volume = 20;
    saved.Channels[3].Enabled = false;
    const auto song = dir / "song.mid";
    test::WriteBytes(song, WithSettingsBlock(smf, saved));

    MidiPlayer player;
    LyricsModel model;
    const auto r = player.OpenMusic(song, "", MidiLyricsOptions(), model);
    EXPECT_TRUE(r.opened);
    EXPECT_FALSE(r.playable);
    EXPECT_NE(r.message.find("SoundFont"), std::string::npos);
    EXPECT_EQ(model.UpperBound(), 1);
    EXPECT_EQ(player.Channels()[3].Volume, 20);
    EXPECT_FALSE(player.Channels()[3].Enabled);
    EXPECT_NEAR(player.Info().LengthSeconds, 1.0, 1e-9);
    player.PlayMidi();  // no synth: stays harmless
    EXPECT_EQ(player.MidiTime(), 0.0);
}

TEST(MidiPlayer, SongWithSettingsBlockPlaysLikeTheSongWithout) {
    REQUIRE_SOUNDFONT();
    test::TempDir dir;
    const std::string smf = OneNote(0, 60, 0);
    test::WriteBytes(dir / "plain.mid", smf);
    test::WriteBytes(dir / "block.mid", WithSettingsBlock(smf, MidiSettings()));
    std::vector<float> outs[2];
    int i = 0;
    for (const char* name : {"plain.mid", "block.mid"}) {
        MidiPlayer p;
        LyricsModel m;
        ASSERT_TRUE(p.OpenMusic(dir / name, SoundFont(), {}, m, SynthAt()).playable);
        outs[i++] = RenderAll(*p.Source()).l;
    }
    EXPECT_EQ(outs[0], outs[1]);
}

}  // namespace
}  // namespace cx
