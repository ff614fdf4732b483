// The tracker and the scorer against a synthetic singer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "SyntheticSinger.h"
#include "scoring/PitchTracker.h"
#include "scoring/Scorer.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::kVoiceRate;

struct TakeCase {
    const char* name;
    double semitones;  // how far off the singer sings
    double delay;      // how late the take hears the song
    double latency;    // what the scorer is told
    bool mute;
    Difficulty difficulty;
    int atLeast;
    int atMost;
};

class TakeScores : public ::testing::TestWithParam<TakeCase> {};

TEST_P(TakeScores, RewardSingingTheTune) {
    const TakeCase& c = GetParam();
    const SungNotes tune = test::TestTune();
    PitchTracker tracker(kVoiceRate, LowestPitchToHear(tune));
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << tracker.Error();
    ASSERT_TRUE(tracker.Ready()) << tracker.Error();
    const auto take = test::Sing(tune, c.semitones, c.delay, c.mute);
    const TakeScore s =
        ScoreTake(tune, tracker.Track(take.data(), take.size()), c.latency, c.difficulty);
    EXPECT_GE(s.Total, c.atLeast);
    EXPECT_LE(s.Total, c.atMost);
    EXPECT_EQ(s.Lines.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Singer, TakeScores,
    ::testing::Values(TakeCase{"InTune", 0, 0, 0, false, Difficulty::Medium, 9000, kMaxScore},
                      TakeCase{"TwoSharp", 2, 0, 0, false, Difficulty::Medium, 0, 3000},
                      TakeCase{"TwoSharpEasy", 2, 0, 0, false, Difficulty::Easy, 9000, kMaxScore},
                      TakeCase{"OneSharpHard", 1, 0, 0, false, Difficulty::Hard, 0, 3000},
                      TakeCase{"OctaveDown", -12, 0, 0, false, Difficulty::Medium, 9000, kMaxScore},
                      TakeCase{"Silence", 0, 0, 0, true, Difficulty::Medium, 0, 0},
                      TakeCase{"LateButCompensated", 0, 0.2, 0.2, false, Difficulty::Medium, 9000,
                               kMaxScore},
                      TakeCase{"LateUncompensated", 0, 0.2, 0, false, Difficulty::Medium, 0, 7500}),
    [](const auto& info) { return std::string(info.param.name); });

// 16-bit mono WAV of a take.
std::string TakeWav(const std::vector<float>& take) {
    auto le = [](unsigned v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string pcm;
    for (float f : take) pcm += le(static_cast<std::uint16_t>(std::lround(f * 32767)), 2);
    const auto size = static_cast<unsigned>(pcm.size());
    return "RIFF" + le(36 + size, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(kVoiceRate, 4) + le(kVoiceRate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(size, 4) +
           pcm;
}

// A sing-along song file is scored against the notes it writes: 0.05 s beats.
TEST(TakeScores, ASongFileIsScoredAgainstItsOwnNotes) {
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << "aubio is not installed";
    test::TempDir dir;
    const SungNotes tune = test::TestTune();
    const auto beat = [](double seconds) { return std::to_string(std::lround(seconds / 0.05)); };
    std::string song = "#TITLE:Scale\n#ARTIST:Test\n#MP3:song.wav\n#BPM:300\n#GAP:0\n";
    for (std::size_t i = 0; i < tune.Notes.size(); ++i) {
        const SungNote& n = tune.Notes[i];
        const char* kind = n.Kind == NoteKind::Golden      ? "*"
                           : n.Kind == NoteKind::Freestyle ? "F"
                                                           : ":";
        song += std::string(kind) + " " + beat(n.StartTime) + " " + beat(n.Length) + " " +
                std::to_string(n.Pitch - 60) + " la\n";
        if (i + 1 < tune.Notes.size() && tune.Notes[i + 1].Line != n.Line)
            song += "- " + beat(n.StartTime + n.Length) + "\n";
    }
    test::WriteBytes(dir / "song.txt", song + "E\n");
    for (const auto& [semitones, atLeast, atMost] :
         {std::tuple{0.0, 9000, kMaxScore}, std::tuple{2.0, 0, 3000}}) {
        test::WriteBytes(dir / "take.wav", TakeWav(test::Sing(tune, semitones, 0, false)));
        const test::CbxRun run = test::Cbx("score " + test::Quote(dir / "song.txt") + " --voice " +
                                           test::Quote(dir / "take.wav") + " --json");
        ASSERT_EQ(run.code, 0) << run.out;
        const auto at = run.out.find("\"score\":");
        ASSERT_NE(at, std::string::npos) << run.out;
        const int score = std::atoi(run.out.c_str() + at + 8);
        EXPECT_GE(score, atLeast) << semitones;
        EXPECT_LE(score, atMost) << semitones;
    }
}

// Every voiced frame of a held note, against the pitch sung in the middle of
// its window.
struct VoiceCase {
    const char* name;
    double midi;
};

class DetectorAccuracy : public ::testing::TestWithParam<VoiceCase> {};

std::vector<float> HeldNote(double midi) {
    std::vector<float> v;
    test::SingNote(v, midi, 2.0);
    return v;
}

TEST_P(DetectorAccuracy, WithinTenCentsOnVoicedFrames) {
    PitchTracker tracker(kVoiceRate, GetParam().midi - 12);
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << tracker.Error();
    ASSERT_TRUE(tracker.Ready()) << tracker.Error();
    const auto voice = HeldNote(GetParam().midi);
    int voiced = 0, close = 0;
    for (const PitchFrame& f : tracker.Track(voice.data(), voice.size())) {
        if (!f.Voiced() || f.Time < 0.05) continue;
        ++voiced;
        close += std::abs(f.Pitch - test::VibratoPitch(GetParam().midi, f.Time)) <= 0.1 ? 1 : 0;
    }
    ASSERT_GT(voiced, 150);
    EXPECT_GE(close, voiced * 95 / 100) << close << " of " << voiced;
}

// The same frames as aubio's own command-line tool on the same recording.
TEST_P(DetectorAccuracy, AgreesWithAubioPitch) {
    PitchTracker tracker(kVoiceRate, GetParam().midi - 12);
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << tracker.Error();
    ASSERT_TRUE(tracker.Ready()) << tracker.Error();
    if (std::system("command -v aubiopitch >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "aubiopitch is not installed";
    const auto voice = HeldNote(GetParam().midi);
    const auto wav = std::filesystem::temp_directory_path() /
                     ("cx-voice-" + std::to_string(::getpid()) + GetParam().name + ".wav");
    test::WriteBytes(wav, TakeWav(voice));
    const auto run = test::RunShell("aubiopitch -i " + test::Quote(wav) + " -p yinfft -B " +
                                    std::to_string(tracker.WindowSamples()) +
                                    " -H 441 -u midi -s -50 2>/dev/null");
    std::filesystem::remove(wav);
    const auto ours = tracker.Track(voice.data(), voice.size());
    std::istringstream lines(run.out);
    std::vector<double> theirs;
    for (double time = 0, pitch = 0; lines >> time >> pitch;) theirs.push_back(pitch);
    // The tool may print its frames a few hops apart from ours: take the best alignment.
    int both = 0, close = 0;
    for (int shift = -8; shift <= 8; ++shift) {
        int b = 0, c = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            const auto j = static_cast<std::ptrdiff_t>(i) + shift;
            if (j < 0 || j >= static_cast<std::ptrdiff_t>(theirs.size())) continue;
            const double t = theirs[static_cast<std::size_t>(j)];
            if (!ours[i].Voiced() || t <= 0) continue;
            ++b;
            c += std::abs(ours[i].Pitch - t) <= 0.1 ? 1 : 0;
        }
        if (c > close) both = b, close = c;
    }
    ASSERT_GT(both, 150);
    EXPECT_GE(close, both * 95 / 100) << close << " of " << both;
}

INSTANTIATE_TEST_SUITE_P(Voices, DetectorAccuracy,
                         ::testing::Values(VoiceCase{"Bass", 43}, VoiceCase{"Tenor", 57},
                                           VoiceCase{"Alto", 64}, VoiceCase{"Soprano", 76},
                                           VoiceCase{"HighSoprano", 86}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cx
