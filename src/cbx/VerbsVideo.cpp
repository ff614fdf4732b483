// cbx video: a song exported as a karaoke video.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/Registry.h"
#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "karaoke/GuiContext.h"
#include "platform/QSettingsStore.h"
#include "platform/QtThemeEnvironment.h"
#include "recording/VoicePaths.h"
#include "video/VideoExport.h"

namespace cx::cli {

namespace {

const char* kVideoHelp =
    "usage: cbx video SONG -o OUT.mp4 [--size WxH] [--fps N] [--from S] [--to S]\n"
    "                 [--quality N] [--key N] [--tempo P] [--with-voice] [--smooth] [--json]\n"
    "Exports a song as H.264 and AAC in MP4, the pictures as the player shows them:\n"
    "CD+G and MP3+G songs (also zipped), audio songs with lyrics, MIDI and KAR songs.\n"
    "  --size WxH      even sides from 64 to 4096 (1280x720)\n"
    "  --fps N         1..60 (30; CD+G songs 25, their own rate)\n"
    "  --from S, --to S  seconds of the song to export\n"
    "  --quality N     H.264 CRF, 0 (best, largest) .. 51 (23)\n"
    "  --key N         semitones -6..6; --tempo P percent -30..30 (words keep time)\n"
    "  --with-voice    mix in the song's voice recording\n"
    "  --smooth        scale CD+G graphics smoothly rather than sharply\n"
    "  --json          print the result as JSON\n"
    "A progress line shows while stdout is a terminal.\n";

bool ParseSize(const std::string& text, int& w, int& h) {
    int used = 0;
    return std::sscanf(text.c_str(), "%dx%d%n", &w, &h, &used) == 2 &&
           used == static_cast<int>(text.size());
}

// A number option; false with `bad` set when it is present but not a number.
bool Number(Args& args, const char* name, double& out, std::string& bad) {
    const auto text = args.Option(name);
    if (!text) return true;
    try {
        std::size_t used = 0;
        out = std::stod(*text, &used);
        if (used == text->size() && std::isfinite(out)) return true;
    } catch (const std::exception&) {
    }
    bad = std::string(name) + " wants a number, not '" + *text + "'";
    return false;
}

VoiceFolders SavedVoiceFolders() {
    QSettingsStore store;
    VoiceFolders folders;
    folders.besideSongs = ReadRegistryText(store, kSettingsKey, "rec folder") == "1";
    std::string dir = ReadRegistryText(store, kSettingsKey, "rec directory");
    folders.directory = dir.empty() ? VoiceFolder() : dir;
    return folders;
}

void PrintResult(const VideoExportResult& r, const std::string& out, bool json) {
    char line[256];
    if (json) {
        std::snprintf(line, sizeof line,
                      ",\"kind\":\"%s\",\"fps\":%d,\"frames\":%lld,\"pictures\":%lld,"
                      "\"videoSeconds\":%.3f,\"seconds\":%.3f}\n",
                      r.kind.c_str(), r.fps, static_cast<long long>(r.frames),
                      static_cast<long long>(r.pictures), r.videoSeconds, r.seconds);
        std::cout << "{\"output\":" << JsonString(out) << line;
        return;
    }
    std::snprintf(line, sizeof line,
                  "%lld frames at %d fps (%.3f s), %lld pictures encoded; %.1fx real time\n",
                  static_cast<long long>(r.frames), r.fps, r.videoSeconds,
                  static_cast<long long>(r.pictures),
                  r.seconds > 0 ? r.videoSeconds / r.seconds : 0.0);
    std::cout << "wrote " << out << "\n" << line;
}

// Reads the options; the exit code of wrong usage, or -1 to go on.
int ParseVideo(Args& args, VideoExportOptions& o, std::string& song, std::string& out,
               bool& withVoice) {
    std::string bad;
    if (auto v = args.Option("--size"); v && !ParseSize(*v, o.width, o.height))
        bad = "--size wants WIDTHxHEIGHT, e.g. 1920x1080";
    double fps = 0, quality = o.quality;
    Number(args, "--fps", fps, bad);
    Number(args, "--from", o.from, bad);
    Number(args, "--to", o.to, bad);
    Number(args, "--quality", quality, bad);
    Number(args, "--key", o.key, bad);
    Number(args, "--tempo", o.tempo, bad);
    if (fps != std::floor(fps) || fps < 0 || fps > kVideoMaxFps)
        bad = "--fps wants a whole number from 1 to 60";
    if (quality != std::floor(quality) || quality < 0 || quality > kVideoMaxQuality)
        bad = "--quality wants a whole number from 0 to 51";
    o.fps = static_cast<int>(fps);
    o.quality = static_cast<int>(quality);
    o.smooth = args.Flag("--smooth");
    withVoice = args.Flag("--with-voice");
    out = args.Option("-o").value_or(args.Option("--output").value_or(""));
    const auto files = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!bad.empty()) return Fail(bad, kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (files.size() != 1 || out.empty())
        return Fail("usage: cbx video SONG -o OUT.mp4 (see cbx video --help)", kExitUsage);
    if (const std::string problem = VideoOptionsProblem(o); !problem.empty())
        return Fail(problem, kExitUsage);
    song = files[0];
    return -1;
}

int RunVideo(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kVideoHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    VideoExportOptions o;
    std::string song, out;
    bool withVoice = false;
    if (const int code = ParseVideo(args, o, song, out, withVoice); code >= 0) return code;
    if (withVoice) {
        o.voiceFile = FindVoiceFile(song, SavedVoiceFolders()).string();
        if (o.voiceFile.empty()) return Fail("no voice recording of " + song + " was found");
    }
    EnsureGuiContext();
    const bool terminal = isatty(STDOUT_FILENO) && !json;
    VideoProgress progress;
    if (terminal) {
        progress = [](double done) {
            std::printf("\rexporting %5.1f %%", done * 100);
            std::fflush(stdout);
        };
    }
    const VideoExportResult r = ExportVideo(song, out, o, progress, nullptr);
    if (terminal) std::printf("\r\x1b[K");
    if (!r.ok) return Fail(r.error);
    PrintResult(r, out, json);
    return kExitOk;
}

}  // namespace

std::vector<Verb> VideoVerbs() {
    return {{"video", "export a song as a karaoke video (MP4)", RunVideo}};
}

}  // namespace cx::cli
