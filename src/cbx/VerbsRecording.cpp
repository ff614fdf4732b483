// cbx record: a take from a capture device, or a take placed into a song's
// voice file as the player does when recording stops.
#include <chrono>
#include <cmath>
#include <iostream>
#include <thread>

#include "app/Registry.h"
#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "platform/PrivateTemp.h"
#include "platform/QSettingsStore.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/FileDecoder.h"
#include "recording/VoiceCapture.h"
#include "recording/VoiceFile.h"
#include "recording/VoicePaths.h"

namespace cx::cli {
namespace {

constexpr double kMaxRecordSeconds = 3600;

const char* const kRecordHelp =
    "usage: cbx record --seconds N -o TAKE.wav [options]\n"
    "       cbx record --song SONG --at S --seconds N [options]\n"
    "Records N seconds from a capture device as 16-bit PCM WAV. With --song the\n"
    "take is placed into the song's voice file at second S (built when missing,\n"
    "updated in place otherwise), exactly as the player does when recording stops.\n"
    "SDL_AUDIODRIVER=disk with SDL_DISKAUDIOFILEIN=RAW records a raw file instead.\n"
    "  --device NAME      capture device (cbx devices lists them); default device\n"
    "  --rate HZ          11025, 22050 or 44100 (22050)\n"
    "  --channels C       1 or 2 (2)\n"
    "  --voice-dir DIR    where voice files go (the player's setting, else\n"
    "                     Voice in the data folder)\n"
    "  --beside           keep the voice file beside the song instead\n"
    "  --json             print the result as JSON\n";

std::optional<double> Seconds(Args& args, const std::string& name, double hi, std::string& bad) {
    const auto text = args.Option(name);
    if (!text) return std::nullopt;
    try {
        std::size_t used = 0;
        const double v = std::stod(*text, &used);
        if (used == text->size() && std::isfinite(v) && v >= 0 && v <= hi) return v;
    } catch (const std::exception&) {
    }
    bad = name + " wants seconds from 0 to " + std::to_string(static_cast<int>(hi));
    return std::nullopt;
}

double SongLength(const std::string& song) {
    std::string error;
    const auto decoder = FileDecoder::Open(song, error);
    if (!decoder || decoder->SampleRate() <= 0) return 0;  // the voice file ends with the take
    return static_cast<double>(decoder->LengthFrames()) / decoder->SampleRate();
}

VoiceFolders FoldersFromSettings(Args& args) {
    QSettingsStore store;
    VoiceFolders folders;
    folders.besideSongs =
        args.Flag("--beside") || ReadRegistryText(store, kSettingsKey, "rec folder") == "1";
    std::string dir = args.Option("--voice-dir").value_or("");
    if (dir.empty()) dir = ReadRegistryText(store, kSettingsKey, "rec directory");
    if (dir.empty()) dir = VoiceFolder();
    folders.directory = dir;
    return folders;
}

int Record(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kRecordHelp;
        return kExitOk;
    }
    std::string bad;
    const bool json = args.Flag("--json");
    const auto seconds = Seconds(args, "--seconds", kMaxRecordSeconds, bad);
    const auto at = Seconds(args, "--at", 1e6, bad);
    const std::string output = args.Option("-o").value_or(args.Option("--output").value_or(""));
    const std::string song = args.Option("--song").value_or("");
    const std::string device = args.Option("--device").value_or("");
    const std::string rate = args.Option("--rate").value_or("22050");
    const std::string channels = args.Option("--channels").value_or("2");
    const VoiceFolders folders = song.empty() ? VoiceFolders{} : FoldersFromSettings(args);
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!bad.empty()) return Fail(bad, kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (!seconds || *seconds <= 0) return Fail("--seconds is needed", kExitUsage);
    if (song.empty() == output.empty())
        return Fail("give either -o TAKE.wav or --song SONG", kExitUsage);
    if (!song.empty() && !at) return Fail("--song needs --at SECONDS", kExitUsage);
    if (rate != "11025" && rate != "22050" && rate != "44100")
        return Fail("--rate is 11025, 22050 or 44100", kExitUsage);
    if (channels != "1" && channels != "2") return Fail("--channels is 1 or 2", kExitUsage);
    const RecordFormat format{channels == "1" ? 1 : 2, std::stoi(rate)};

    PrivateTemp temp;
    std::filesystem::path take = output;
    if (!song.empty()) {
        if (!std::filesystem::is_regular_file(song)) return Fail("no such song: " + song);
        take = temp.File("take.WAV");
    }
    VoiceCapture capture;
    std::string error;
    CaptureError kind = CaptureError::None;
    if (!capture.Start(device, format, take, error, kind)) return Fail(error);
    std::this_thread::sleep_for(std::chrono::duration<double>(*seconds));
    const TakeReport report = capture.Stop();
    if (!report.error.empty()) return Fail(report.error);

    std::filesystem::path voice;
    if (!song.empty()) {
        voice = VoiceFileFor(song, folders);
        const std::string placed = PlaceTake(take, voice, SongLength(song), *at);
        if (!placed.empty()) return Fail(placed);
    }
    const double lostMs =
        static_cast<double>(report.overrunBytes) * 1000.0 / format.BytesPerSecond();
    if (json) {
        std::cout << "{\"bytes\":" << report.dataBytes << ",\"seconds\":"
                  << static_cast<double>(report.dataBytes) / format.BytesPerSecond()
                  << ",\"lost_ms\":" << lostMs
                  << ",\"file\":" << JsonString((voice.empty() ? take : voice).string()) << "}\n";
    } else {
        std::cout << (voice.empty() ? take : voice).string() << ": "
                  << static_cast<double>(report.dataBytes) / format.BytesPerSecond()
                  << " s recorded\n";
    }
    if (report.overrunBytes > 0)
        std::cerr << "cbx: " << lostMs << " ms of the recording were lost\n";
    return kExitOk;
}

}  // namespace

std::vector<Verb> RecordingVerbs() {
    return {{"record", "record from a capture device, or into a song's voice file", &Record}};
}

}  // namespace cx::cli
