// The tune of a generated KAR song found among accompaniment, bass and drums.
#include <gtest/gtest.h>

#include <functional>

#include "midi/MelodyFinder.h"
#include "midi/MidiLyrics.h"
#include "midi/SmfWriter.h"

namespace cx {
namespace {

using test::TrackWriter;

constexpr int kBeat = 96;  // ticks per quarter, 0.5 s at 120 bpm
constexpr int kTune[] = {60, 60, 67, 67, 69, 69, 67, 65};
const char* const kWords[] = {"\\Twin", "kle ", "twin", "kle ", "/lit", "tle ", "star", "..."};

// Song parts, each on a channel and playing on every syllable's beat unless said.
TrackWriter Part(int ch, const std::vector<int>& keys, int offset, int perBeat, int pitchOf = -1) {
    TrackWriter t;
    t.Name(0, "Part");
    int at = 0;
    for (int beat = 1; beat <= 8; ++beat) {
        for (int step = 0; step < perBeat; ++step) {
            const int tick = beat * kBeat + offset + step * kBeat / perBeat;
            for (const bool on : {true, false}) {  // the chord's notes start, then end
                const int when = on ? tick : tick + kBeat / perBeat - 6;
                bool first = true;
                for (int k : keys) {
                    const int key = pitchOf >= 0 ? kTune[beat - 1] + pitchOf : k;
                    const auto delta = first ? static_cast<std::uint32_t>(when - at) : 0u;
                    on ? t.NoteOn(delta, ch, key) : t.NoteOff(delta, ch, key);
                    at = when, first = false;
                }
            }
        }
    }
    t.End(0);
    return t;
}

TrackWriter Words() {
    TrackWriter t;
    t.Name(0, "Words").Text(0, "@TTwinkle");
    for (int i = 0; i < 8; ++i) t.Text(kBeat, kWords[i]);
    t.End(kBeat);
    return t;
}

// The tune found in a song of a tempo track, the words and `parts`.
MelodyResult Find(const std::vector<TrackWriter>& parts) {
    TrackWriter tempo;
    tempo.Tempo(0, 500000).End(0);
    std::vector<TrackWriter> tracks = {tempo, Words()};
    tracks.insert(tracks.end(), parts.begin(), parts.end());
    const SmfResult smf = ParseSmf(test::Smf(1, kBeat, tracks));
    EXPECT_TRUE(smf.file) << smf.error;
    if (!smf.file) return {};
    const TempoMap map = TempoMap::FromSmf(*smf.file);
    std::vector<LyricPiece> pieces;
    EXPECT_TRUE(GetWords(*smf.file, map, Codepage::Cp1252, pieces));
    return FindMelody(*smf.file, map, pieces, kLyricLeadSeconds);
}

struct MelodyCase {
    const char* name;
    std::function<std::vector<TrackWriter>()> parts;
    int channel;  // 0-based
};

class FindsTheTune : public ::testing::TestWithParam<MelodyCase> {};

TEST_P(FindsTheTune, OnTheChannelUnderTheWords) {
    const MelodyResult m = Find(GetParam().parts());
    ASSERT_EQ(m.Channel, GetParam().channel) << m.Error;
    ASSERT_EQ(m.Notes.Notes.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const SungNote& n = m.Notes.Notes[static_cast<std::size_t>(i)];
        EXPECT_EQ(n.Pitch, kTune[i]) << i;
        EXPECT_NEAR(n.StartTime, 0.5 * (i + 1), 1e-6) << i;
        EXPECT_EQ(n.Line, i < 4 ? 0 : 1) << i;
    }
    EXPECT_EQ(m.Notes.LineCount, 2);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Songs, FindsTheTune, ::testing::Values(
    MelodyCase{"AloneWithDrums",
               [] { return std::vector{Part(9, {36}, 0, 1), Part(3, {0}, 0, 1, 0)}; }, 3},
    // Chords on every half beat follow the words as closely; they are far denser.
    MelodyCase{"UnderChords",
               [] { return std::vector{Part(0, {48, 52, 55}, 0, 2), Part(4, {0}, 0, 1, 0)}; }, 4},
    // The bass plays the rhythm two octaves down: out of a singer's range.
    MelodyCase{"OverBass",
               [] { return std::vector{Part(1, {0}, 0, 1, -24), Part(5, {0}, 0, 1, 0)}; }, 5},
    // A part off the syllables by a fifth of a second follows no words.
    MelodyCase{"BesideALateCounterTune",
               [] { return std::vector{Part(2, {0}, 40, 1, 4), Part(6, {0}, 0, 1, 0)}; }, 6}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FindsTheTune, NotWithoutNotesUnderTheWords) {
    const MelodyResult m = Find({Part(9, {36}, 0, 1)});
    EXPECT_EQ(m.Channel, -1);
    EXPECT_FALSE(m.Error.empty());
}

}  // namespace
}  // namespace cx
