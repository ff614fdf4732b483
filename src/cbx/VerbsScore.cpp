// cbx score: a recorded take scored against the notes of its song, with the
// same tracker and scorer as the player's pitch lane.
#include <QBuffer>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "karaoke/GuiContext.h"
#include "karaoke/PitchLane.h"
#include "lyrics/LyricsModel.h"
#include "lyrics/UltraStar.h"
#include "midi/MelodyFinder.h"
#include "platform/AtomicFile.h"
#include "playback/FileDecoder.h"
#include "scoring/LaneState.h"
#include "scoring/PitchTracker.h"
#include "scoring/Scorer.h"
#include "scoring/SingAlong.h"

namespace cx::cli {
namespace {

// Longer takes than any song are cut here.
constexpr double kMaxTakeSeconds = 3 * 3600.0;
constexpr std::size_t kDecodeFrames = 4096;
constexpr int kLaneWidth = 800;
constexpr int kLaneHeight = 200;

const char* kScoreHelp =
    "usage: cbx score SONG --voice TAKE.wav [--json] [--latency SECONDS]\n"
    "                 [--difficulty easy|medium|hard] [--lane-at SECONDS -o LANE.png]\n"
    "Scores a recorded take against the notes of the song (for a MIDI or KAR song,\n"
    "the tune found under its words): 10000 in all, 9000 for the notes sung on\n"
    "pitch, 1000 for the lines. --latency is how much later the take hears the\n"
    "song than it plays (default 0: a voice file runs in step with its song).\n"
    "--lane-at draws the pitch lane at that moment of the song into LANE.png.\n";

struct Take {
    std::vector<float> Mono;
    int Rate = 0;
};

bool ReadTake(const std::string& path, Take& take, std::string& error) {
    auto decoder = FileDecoder::Open(path, error);
    if (!decoder) return false;
    take.Rate = decoder->SampleRate();
    const auto most = static_cast<std::size_t>(kMaxTakeSeconds * take.Rate);
    std::vector<float> stereo(kDecodeFrames * 2);
    while (take.Mono.size() < most) {
        const std::size_t n = decoder->Read(stereo.data(), kDecodeFrames);
        for (std::size_t i = 0; i < n; ++i)
            take.Mono.push_back(0.5f * (stereo[2 * i] + stereo[2 * i + 1]));
        if (n < kDecodeFrames) break;
    }
    return true;
}

// The notes of the song; the words come with them, for the verdicts.
bool LoadSongNotes(const std::string& path, SungNotes& notes, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "no such file";
        return false;
    }
    // A sing-along song file writes its notes, named directly or found beside its audio.
    std::optional<std::filesystem::path> songFile;
    if (IsUltraStarFile(path))
        songFile = path;
    else if (!LooksLikeMidiFile(path))
        songFile = FindUltraStarFor(path);
    if (songFile) {
        ReadResult read = ReadWholeFile(*songFile, kMaxUltraStarBytes);
        UltraStarRead song = read.bytes ? ReadUltraStar(*read.bytes, Codepage::Cp1252)
                                        : UltraStarRead{false, read.error, {}};
        if (!song.ok) {
            error = song.reason;
            return false;
        }
        notes = std::move(song.song.Notes);
        return true;
    }
    if (!LooksLikeMidiFile(path)) {
        error = "no notes to sing against: the song is not a MIDI, KAR or sing-along song";
        return false;
    }
    LyricsModel model;
    MelodyResult melody;
    if (!LoadMidiMelodyForCli(path, Codepage::Cp1252, model, melody, error)) return false;
    notes = std::move(melody.Notes);
    return true;
}

bool ParseSeconds(const std::optional<std::string>& text, double& out) {
    if (!text) return true;
    try {
        std::size_t used = 0;
        out = std::stod(*text, &used);
        return used == text->size() && std::isfinite(out);
    } catch (...) {
        return false;
    }
}

// The lane as the player shows it at `at`: the song sung up to then.
bool WriteLane(const SungNotes& notes, Difficulty difficulty, const std::vector<PitchFrame>& frames,
               double latency, double at, const std::string& out, std::string& error) {
    SingAlong sing;
    sing.Begin(notes, difficulty);
    for (const PitchFrame& f : frames) {
        if (f.Time - latency > at) break;
        sing.Add(f.Time - latency, f);
    }
    EnsureGuiContext();
    const QImage image = PaintPitchLane(sing.Lane(at), QSize(kLaneWidth, kLaneHeight));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "cannot encode the lane";
        return false;
    }
    error = WriteFileAtomically(out, std::string_view(png.constData(), std::size_t(png.size())));
    return error.empty();
}

void PrintScore(const TakeScore& s, Difficulty d, bool json) {
    if (json) {
        std::ostringstream o;
        o << "{\"score\":" << s.Total << ",\"difficulty\":\"" << DifficultyName(d)
          << "\",\"voicedFrames\":" << s.VoicedFrames << ",\"lines\":[";
        for (std::size_t i = 0; i < s.Lines.size(); ++i) {
            const LineScore& l = s.Lines[i];
            char share[16];
            std::snprintf(share, sizeof share, "%.3f", l.Share);
            o << (i ? "," : "") << "{\"line\":" << l.Line + 1 << ",\"points\":" << l.Points
              << ",\"share\":" << share << ",\"verdict\":\"" << VerdictKey(l.Rating) << "\"}";
        }
        std::cout << o.str() << "]}\n";
        return;
    }
    std::cout << "score: " << s.Total << " (" << DifficultyName(d) << ")\n";
    for (const LineScore& l : s.Lines)
        std::cout << "  line " << l.Line + 1 << ": " << l.Points << " " << VerdictKey(l.Rating)
                  << "\n";
}

int RunScore(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kScoreHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto voice = args.Option("--voice");
    const auto latencyText = args.Option("--latency");
    const auto difficultyText = args.Option("--difficulty");
    const auto laneAtText = args.Option("--lane-at");
    const auto lanePath = args.Option("-o");
    const auto pos = args.Positionals();
    double latency = 0, laneAt = 0;
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (pos.size() != 1 || !voice || !args.Unknown().empty())
        return Fail("usage: cbx score SONG --voice TAKE.wav [--json]", kExitUsage);
    if (!ParseSeconds(latencyText, latency) || !ParseSeconds(laneAtText, laneAt))
        return Fail("--latency and --lane-at take seconds", kExitUsage);
    if (difficultyText && *difficultyText != "easy" && *difficultyText != "medium" &&
        *difficultyText != "hard")
        return Fail("--difficulty is easy, medium or hard", kExitUsage);
    if (laneAtText.has_value() != lanePath.has_value())
        return Fail("--lane-at and -o go together", kExitUsage);
    const Difficulty difficulty = DifficultyFromName(difficultyText.value_or("medium"));

    SungNotes notes;
    std::string error;
    if (!LoadSongNotes(pos[0], notes, error)) return Fail(pos[0] + ": " + error);
    Take take;
    if (!ReadTake(*voice, take, error)) return Fail(*voice + ": " + error);
    PitchTracker tracker(take.Rate, LowestPitchToHear(notes));
    if (!tracker.Ready()) return Fail(tracker.Error());
    const std::vector<PitchFrame> frames = tracker.Track(take.Mono.data(), take.Mono.size());
    const TakeScore score = ScoreTake(notes, frames, latency, difficulty);
    if (lanePath) {
        if (!WriteLane(notes, difficulty, frames, latency, laneAt, *lanePath, error))
            return Fail(*lanePath + ": " + error);
    }
    PrintScore(score, difficulty, json);
    return kExitOk;
}

}  // namespace

std::vector<Verb> ScoreVerbs() {
    return {{"score", "score a recorded take against the tune of its song", RunScore}};
}

}  // namespace cx::cli
