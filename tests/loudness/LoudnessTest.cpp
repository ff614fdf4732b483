// The measure of every song kind, the gain it gives, the output stage that
// applies it, the leveller that ties them to the playing song, and cbx.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <thread>

#include "loudness/Loudness.h"
#include "loudness/LoudnessLeveller.h"
#include "loudness/SignalWav.h"
#include "playback/GainStage.h"
#include "playback/SongLoudness.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::FloatWav;
using test::TempDir;
using test::Tone;
using test::WriteBytes;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Both silent (-inf), or both finite and close.
void ExpectLevel(double got, double want, double tolerance, const std::string& what) {
    if (!std::isfinite(want)) {
        EXPECT_FALSE(std::isfinite(got)) << what << ": " << got;
    } else {
        EXPECT_NEAR(got, want, tolerance) << what;
    }
}

TEST(Loudness, FilesOfEveryKindReadAsTheyAreHeard) {
    TempDir dir;
    const auto sine = Tone(997, -20, 10, 48000, 2);
    WriteBytes(dir / "sine.wav", FloatWav(sine, 48000, 2));
    auto left = sine;  // the same sine in the left channel only
    for (std::size_t i = 1; i < left.size(); i += 2) left[i] = 0;
    WriteBytes(dir / "left.wav", FloatWav(left, 48000, 2));
    WriteBytes(dir / "mono.wav", FloatWav(Tone(997, -20, 10, 44100, 1), 44100, 1));
    WriteBytes(dir / "silence.wav", FloatWav(std::vector<float>(2 * 48000 * 3), 48000, 2));
    WriteBytes(dir / "short.wav", FloatWav(Tone(997, -20, 0.2, 48000, 2), 48000, 2));
    WriteBytes(dir / "square.wav", FloatWav(Tone(4410, 0, 3, 44100, 2, true), 44100, 2));
    WriteBytes(dir / "empty.wav", FloatWav({}, 48000, 2));
    WriteBytes(dir / "song.cdg", std::string(24 * 300, '\0'));
    WriteBytes(dir / "song.WAV", FloatWav(sine, 48000, 2));
    WriteBytes(dir / "lonely.cdg", std::string(24 * 300, '\0'));
    WriteBytes(dir / "junk.mp3", std::string(5000, 'x'));
    struct Row {
        const char* file;
        double lufs, peak;  // -inf for none
        const char* error;  // a part of the message, when the file cannot be measured
    } rows[] = {
        // A -20 dBFS sine reads -23 LUFS in one channel, 3 LU more in both.
        {"left.wav", -23.0, -20.0, nullptr},
        {"sine.wav", -20.0, -20.0, nullptr},
        // Mono plays from both speakers, and is measured so.
        {"mono.wav", -20.0, -20.0, nullptr},
        {"silence.wav", -kInf, -kInf, nullptr},
        // Shorter than one gating block: no integrated loudness, a peak still.
        {"short.wav", -kInf, -20.0, nullptr},
        {"empty.wav", -kInf, -kInf, nullptr},
        {"song.cdg", -20.0, -20.0, nullptr},
        {"lonely.cdg", 0, 0, "beside the CD+G"},
        {"junk.mp3", 0, 0, ""},
        {"missing.wav", 0, 0, "not a readable file"},
    };
    for (const Row& r : rows) {
        std::string error;
        const auto reading = MeasureLoudness((dir / r.file).string(), error);
        if (r.error) {
            EXPECT_FALSE(reading) << r.file;
            EXPECT_NE(error.find(r.error), std::string::npos) << r.file << ": " << error;
            EXPECT_FALSE(error.empty()) << r.file;
            continue;
        }
        ASSERT_TRUE(reading) << r.file << ": " << error;
        ExpectLevel(reading->integratedLufs, r.lufs, 0.1, std::string(r.file) + " loudness");
        ExpectLevel(reading->truePeakDbtp, r.peak, 0.1, std::string(r.file) + " peak");
    }
    // A full-scale square overshoots between its samples: the true peak is above 0.
    std::string error;
    const auto square = MeasureLoudness((dir / "square.wav").string(), error);
    ASSERT_TRUE(square) << error;
    EXPECT_GT(square->truePeakDbtp, 0.1);
}

TEST(Loudness, GainMeetsTheTargetWithinTheGuards) {
    struct Row {
        bool on;
        double target, lufs, peak;
        double gainDb;
    } rows[] = {
        {true, -16, -20, -10, 4},      // plain boost
        {true, -16, -10, -1, -6},      // plain cut
        {true, -16, -30, -6, 5},       // boost stopped at the -1 dBTP ceiling
        {true, -16, -20, 0.5, 0},      // already over the ceiling: no boost, no cut
        {true, -16, -45, -40, 12},     // the largest boost
        {true, -16, 20, 25, -24},      // the largest cut
        {true, -16, -kInf, -kInf, 0},  // silence keeps its level
        {true, -16, -20, -kInf, 4},   {false, -16, -30, -20, 0},  // switched off
        {true, -50, -20, -10, -10},  // a target below the range is brought to -30
        {true, 0, -15, -30, 9},      // ... and above it to -6
    };
    for (const Row& r : rows) {
        GainStage stage(48000);
        SongLoudness loudness(stage);
        loudness.SetSettings(r.on, r.target);
        loudness.SetSongLoudness({r.lufs, r.peak}, true);
        EXPECT_NEAR(loudness.GainDb(), r.gainDb, 1e-9)
            << r.target << " " << r.lufs << " " << r.peak;
        EXPECT_NEAR(stage.Target(), std::pow(10.0, r.gainDb / 20), 1e-5);
        loudness.NewSong();
        EXPECT_EQ(stage.Target(), 1.0f);
    }
}

TEST(Loudness, TheStageJumpsOrGlidesWithoutTouchingUnitySound) {
    constexpr int kRate = 1000;
    struct Row {
        float target;
        bool immediate;
        double seconds;
        float lo, hi;  // where the gain is after `seconds`
    } rows[] = {
        {1.0f, false, 1.0, 1.0f, 1.0f},
        {2.0f, true, 0.001, 2.0f, 2.0f},
        {2.0f, false, 0.001, 1.0f, 1.01f},
        {2.0f, false, GainStage::kGlideSeconds, 1.6f, 1.66f},  // 63 % of the way
        {2.0f, false, 3.0, 1.99f, 2.0f},
        {0.5f, false, 3.0, 0.5f, 0.505f},
    };
    for (const Row& r : rows) {
        GainStage stage(kRate);
        stage.SetTarget(r.target, r.immediate);
        const auto frames = static_cast<std::size_t>(r.seconds * kRate);
        std::vector<float> block(2 * frames, 0.25f);
        stage.Process(block.data(), frames);
        EXPECT_GE(stage.Current(), r.lo) << r.target << " after " << r.seconds;
        EXPECT_LE(stage.Current(), r.hi) << r.target << " after " << r.seconds;
        EXPECT_FLOAT_EQ(block.back(), 0.25f * stage.Current());
    }
}

// A measure the test releases when it wants, counting its calls.
struct HeldMeasure {
    std::atomic<int> calls{0};
    std::atomic<bool> release{false};
    std::optional<LoudnessReading> result = LoudnessReading{-26, -12};
    LoudnessLeveller::Measure Fn() {
        return [this](const std::string&, const MeasureOptions& o, std::string& error) {
            ++calls;
            while (!release && !o.stop->load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!result) error = "cannot decode";
            return result;
        };
    }
};

void WaitAndPoll(LoudnessLeveller& leveller, double position) {
    for (int i = 0; i < 5000 && leveller.Measuring(); ++i) {
        leveller.Poll(position);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(Loudness, TheLevellerNeverHoldsTheSongAndMeasuresEachFileOnce) {
    TempDir dir;
    WriteBytes(dir / "a.wav", "a");
    const std::string a = (dir / "a.wav").string();
    struct Row {
        double arrivesAt;  // song position when the measure arrives
        bool succeeds;
        bool jumps;  // the gain is there at once (else it glides)
    } rows[] = {{0.3, true, true}, {4.0, true, false}, {0.3, false, true}};
    for (const Row& r : rows) {
        GainStage stage(1000);
        HeldMeasure measure;
        if (!r.succeeds) measure.result.reset();
        LoudnessLeveller leveller(stage, measure.Fn());
        leveller.ApplySettings(true, -16);
        leveller.SongStarted(a);
        float block[2] = {1, 1};
        stage.Process(block, 1);           // the output runs on meanwhile
        EXPECT_EQ(stage.Current(), 1.0f);  // playing at once, at unity
        EXPECT_TRUE(leveller.Measuring());
        measure.release = true;
        WaitAndPoll(leveller, r.arrivesAt);
        const double want = r.succeeds ? 10.0 : 0.0;
        EXPECT_NEAR(leveller.Control().GainDb(), want, 1e-9);
        EXPECT_EQ(leveller.LastError().empty(), r.succeeds) << leveller.LastError();
        stage.Process(block, 1);
        EXPECT_EQ(stage.Current() == stage.Target(), r.jumps) << r.arrivesAt;

        // Another song and back: the reading of an unchanged file is kept;
        // a rewritten file is measured anew.
        for (const char* song : {"b.wav", "a.wav"}) {
            leveller.SongStarted((dir / song).string());
            WaitAndPoll(leveller, 0);
        }
        EXPECT_EQ(measure.calls.load(), r.succeeds ? 2 : 3);
        EXPECT_NEAR(leveller.Control().GainDb(), want, 1e-9);
        WriteBytes(dir / "a.wav", "changed");
        for (const char* song : {"b.wav", "a.wav"}) {
            leveller.SongStarted((dir / song).string());
            WaitAndPoll(leveller, 0);
        }
        EXPECT_EQ(measure.calls.load(), r.succeeds ? 4 : 5);
        // A reading the song library stored: nothing more to measure.
        WriteBytes(dir / "c.wav", "c");
        leveller.StoreReading((dir / "c.wav").string(), {-36, -20});
        leveller.SongStarted((dir / "c.wav").string());
        EXPECT_FALSE(leveller.Measuring());
        EXPECT_NEAR(leveller.Control().GainDb(), 12, 1e-9);
        WriteBytes(dir / "a.wav", "a");
    }
}

// The number after `label` (skipping blanks and an opening quote or colon);
// -inf for "-inf", NaN when absent or null.
double NumberAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return std::nan("");
    const char* p = text.c_str() + at + label.size();
    while (*p == ' ' || *p == ':' || *p == '"') ++p;
    if (std::string_view(p).starts_with("-inf")) return -kInf;
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    return end == p ? std::nan("") : v;
}

// FFmpeg's ebur128 filter prints its summary last.
double FfmpegValue(const std::string& out, const char* label) {
    const auto summary = out.rfind("Summary:");
    return summary == std::string::npos
               ? std::nan("")
               : NumberAfter(out.substr(summary), std::string(label) + ":");
}

TEST(Loudness, CorpusSongsReadAsFfmpegReadsThem) {
    CX_REQUIRE_CORPUS();
    if (test::RunShell("ffmpeg -version >/dev/null 2>&1").code != 0) GTEST_SKIP() << "no ffmpeg";
    int compared = 0;
    for (const char* sub : {"mp3", "wav"}) {
        for (const auto& e : std::filesystem::directory_iterator(test::CorpusDir() / sub)) {
            const std::string path = e.path().string();
            const auto ff = test::RunShell("ffmpeg -nostats -hide_banner -i '" + path +
                                           "' -filter_complex ebur128=peak=true -f null - 2>&1");
            const double lufs = FfmpegValue(ff.out, "I"), peak = FfmpegValue(ff.out, "Peak");
            std::string error;
            const auto ours = MeasureLoudness(path, error);
            if (ff.code != 0 || std::isnan(lufs)) continue;  // FFmpeg cannot read it either
            ASSERT_TRUE(ours) << path << ": " << error;
            // FFmpeg writes -70 LUFS for what nothing passes the gate in.
            if (lufs <= -70) {
                EXPECT_FALSE(ours->integratedLufs > -70) << path << ": " << ours->integratedLufs;
            } else {
                EXPECT_NEAR(ours->integratedLufs, lufs, 0.5) << path;
            }
            if (std::isfinite(peak) && peak > -60) {
                EXPECT_NEAR(ours->truePeakDbtp, peak, 0.5) << path;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 3);
}

TEST(Loudness, CbxPrintsTheMeasureAndSaysWhyNot) {
    TempDir dir;
    WriteBytes(dir / "sine.wav", FloatWav(Tone(997, -23, 5, 48000, 2), 48000, 2));
    WriteBytes(dir / "silence.wav", FloatWav(std::vector<float>(2 * 48000), 48000, 2));
    const std::string sine = "'" + (dir / "sine.wav").string() + "'";
    struct Row {
        std::string args;
        int code;
        const char* says;
        const char *loudnessKey, *peakKey;  // where the numbers are, when it prints them
        double lufs, peak;
    } rows[] = {
        {sine + " --json", 0, "{", "\"integrated_lufs\"", "\"true_peak_dbtp\"", -23, -23},
        {sine, 0, " LUFS\ntrue peak: ", "integrated loudness:", "true peak:", -23, -23},
        {"'" + (dir / "silence.wav").string() + "' --json", 0,
         R"("integrated_lufs":null,"true_peak_dbtp":null)", nullptr, nullptr, 0, 0},
        {"'" + (dir / "none.wav").string() + "'", 1, "none.wav: not a readable file", nullptr,
         nullptr, 0, 0},
        {"", 2, "usage: cbx loudness", nullptr, nullptr, 0, 0},
    };
    for (const Row& r : rows) {
        const auto run = test::Cbx("loudness " + r.args, true);
        EXPECT_EQ(run.code, r.code) << r.args << "\n" << run.out;
        EXPECT_NE(run.out.find(r.says), std::string::npos) << r.args << "\n" << run.out;
        if (!r.loudnessKey) continue;
        EXPECT_NEAR(NumberAfter(run.out, r.loudnessKey), r.lufs, 0.1) << run.out;
        EXPECT_NEAR(NumberAfter(run.out, r.peakKey), r.peak, 0.1) << run.out;
    }
}

}  // namespace
}  // namespace cx
