// What a listener hears from real and damaged files: no noise after the music,
// nothing above full scale, and quiet songs still audible.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>

#include "SmfWriter.h"
#include "SynthListening.h"
#include "TwoChannelKar.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiSynth.h"
#include "midi/SoftLimiter.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Header;
using test::Junk;
using test::Smf;
using test::SoundFont;
using test::TrackChunk;
using test::TrackWriter;

constexpr int kRate = test::kSynthRate;

struct Rendered {
    std::vector<float> samples;  // interleaved stereo
    double lengthSeconds = 0;
    double Seconds() const { return samples.size() / 2.0 / kRate; }
    // Peak of the stretch from `from` seconds on.
    float PeakAfter(double from) const {
        float peak = 0;
        for (std::size_t i = static_cast<std::size_t>(from * kRate) * 2; i < samples.size(); ++i)
            peak = std::max(peak, std::fabs(samples[i]));
        return peak;
    }
};

Rendered Render(const std::string& song, bool effects = false) {
    std::string error;
    auto synth = MidiSynth::Create(song, test::SoundFont(), test::SynthAt(effects), error);
    Rendered r;
    if (!synth) {
        ADD_FAILURE() << error;
        return r;
    }
    r.lengthSeconds = synth->LengthSeconds();
    std::vector<float> block(2 * 4096);
    for (std::size_t n = 4096; n == 4096;) {
        n = synth->Render(block.data(), 4096);
        r.samples.insert(r.samples.end(), block.begin(), block.begin() + 2 * n);
    }
    return r;
}

// Two seconds of loud notes at 120 bpm, division 96.
TrackWriter Melody(bool end = true) {
    TrackWriter t;
    t.Program(0, 0, 0).Control(0, 0, 7, 127);
    for (int i = 0; i < 4; ++i) t.NoteOn(0, 0, 60 + i, 120).NoteOff(96, 0, 60 + i);
    if (end) t.End();
    return t;
}

TEST(MidiRender, DamagedFilesEndWithTheirMusic) {
    REQUIRE_SOUNDFONT();
    const std::string plain = Melody(false).Data();
    TrackWriter farEnd = Melody(false);
    farEnd.End(0x0FFFFFFF);
    const std::string whole = Smf(1, 96, {Melody(), Melody()});
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"short chunk",
         Header(1, 2, 96) + TrackChunk(plain, plain.size() + 40) + TrackChunk(Melody().Data())},
        {"truncated last track", whole.substr(0, whole.size() - 4) + Junk(7, 8192)},
        {"huge delta before the end", Smf(0, 96, {farEnd})},
        {"text after the last track",
         Header(1, 2, 96) + TrackChunk(Melody().Data()) + TrackChunk(plain) +
             "<html><head><title>Download complete</title></head><body>" + Junk(3, 16) +
             "<p>Thank you for visiting our karaoke archive.</p></body></html>\n"},
        {"extra chunks", Header(1, 1, 96) + TrackChunk(Melody().Data()) + "XFIH" + test::Be(1, 4) +
                             "z" + TrackChunk(Melody().Data())},
    };
    for (const auto& c : cases) {
        const Rendered r = Render(c.bytes);
        EXPECT_LE(r.lengthSeconds, 2.0 + kMaxEndTailSeconds) << c.name;
        EXPECT_NEAR(r.Seconds(), r.lengthSeconds, 0.01) << c.name;
        EXPECT_GT(r.PeakAfter(0), 0.01f) << c.name;
        // The last note ends at 2 s; its release has died away a second later.
        EXPECT_LT(r.PeakAfter(3.0), 1e-3f) << c.name;
    }
}

TEST(MidiRender, CorpusSongsStayBelowFullScaleAndAudible) {
    REQUIRE_SOUNDFONT();
    const std::filesystem::path corpus(CX_CORPUS_DIR);
    // The busiest General MIDI song of the corpus, and a quiet one.
    for (const char* name : {"midi/mozart_konigdernacht.mid", "kar/twinkle.kar"}) {
        if (!std::filesystem::exists(corpus / name)) {
            std::cout << "skipping " << name << ": not in the corpus\n";
            continue;
        }
        const Rendered r = Render(test::ReadBytes(corpus / name), true);
        ASSERT_FALSE(r.samples.empty()) << name;
        double energy = 0;
        float peak = 0;
        for (float s : r.samples) {
            peak = std::max(peak, std::fabs(s));
            energy += double(s) * s;
        }
        const double rms = std::sqrt(energy / r.samples.size());
        EXPECT_LE(peak, 1.0f) << name;
        EXPECT_GT(20 * std::log10(rms), -40.0) << name << " is too quiet";
    }
}

TEST(SoftLimiter, CatchesPeaksAndLeavesQuietSoundAlone) {
    SoftLimiter limiter(kRate);
    std::vector<float> quiet(2 * 1000);
    for (std::size_t i = 0; i < quiet.size(); ++i) quiet[i] = 0.5f * std::sin(0.01f * i);
    std::vector<float> out = quiet;
    limiter.Process(out.data(), 1000);
    EXPECT_EQ(out, quiet);

    std::vector<float> loud(2 * kRate);
    for (std::size_t i = 0; i < loud.size(); ++i) loud[i] = 4.0f * std::sin(0.02f * i);
    loud[10] = std::numeric_limits<float>::quiet_NaN();
    loud[11] = std::numeric_limits<float>::infinity();
    limiter.Process(loud.data(), kRate);
    for (float s : loud) {
        ASSERT_TRUE(std::isfinite(s));
        EXPECT_LE(std::fabs(s), kLimiterCeiling + 1e-6f);
    }
    // After the peaks, the gain comes back to unity within a second or so.
    std::vector<float> silence(2 * kRate, 0.0f);
    limiter.Process(silence.data(), kRate);
    EXPECT_GT(limiter.Gain(), 0.99f);
}

TEST(CbxMidi, RenderTakesTheSongsSavedValuesForOptionsLeftOut) {
    CX_REQUIRE_CBX();
    REQUIRE_SOUNDFONT();
    test::TempDir dir;
    MidiSettings keyed;
    keyed.Transposition = 16;  // five semitones up
    keyed.TempoSteps = -8;
    test::WriteBytes(dir / "plain.kar", WithSettingsBlock(test::TwoChannelKar(), MidiSettings()));
    test::WriteBytes(dir / "keyed.kar", WithSettingsBlock(test::TwoChannelKar(), keyed));
    const auto render = [&](const char* song, const std::string& options) {
        const auto out = dir / "out.wav";
        const test::CbxRun r =
            test::Cbx("render " + test::Quote(dir / song) + " -o " + test::Quote(out) +
                      " --to 2 --soundfont " + test::Quote(SoundFont()) + " " + options);
        EXPECT_EQ(r.code, 0) << r.out;
        const std::string wav = test::ReadBytes(out);
        return wav.substr(std::min(wav.find("data"), wav.size()));  // the header holds a time
    };
    const std::string saved = render("keyed.kar", ""), plain = render("plain.kar", "");
    EXPECT_TRUE(saved == render("plain.kar", "--transpose 5 --midi-tempo 101"));
    EXPECT_FALSE(saved == plain);
    // Options given win over what is saved.
    EXPECT_TRUE(render("keyed.kar", "--transpose 0 --midi-tempo 109") == plain);
}

TEST(CbxMidi, InfoMeasuresRiffMidi) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "song.rmi", test::Rmid(test::TwoChannelKar()));
    const test::CbxRun r = test::Cbx("info --json " + test::Quote(dir / "song.rmi"), true);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"format\": \"MIDI\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Length\": 3"), std::string::npos) << r.out;
}

TEST(MidiPlayer, ReasonsReachTheCallerAndStayAvailable) {
    test::TempDir dir;
    test::WriteBytes(dir / "text.mid", "this is not a song at all");
    test::WriteBytes(dir / "header.mid", Header(1, 2, 96));
    MidiPlayer player;
    LyricsModel model;
    auto r = player.OpenMusic(dir / "text.mid", "", MidiLyricsOptions(), model);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.message, kNotMidiFileMessage);
    EXPECT_EQ(player.LastError(), kNotMidiFileMessage);
    r = player.OpenMusic(dir / "header.mid", "", MidiLyricsOptions(), model);
    EXPECT_EQ(player.LastError(), kTrackExpectedMessage);
    r = player.OpenMusic(dir / "missing.mid", "", MidiLyricsOptions(), model);
    EXPECT_FALSE(player.LastError().empty());
}

}  // namespace
}  // namespace cx
