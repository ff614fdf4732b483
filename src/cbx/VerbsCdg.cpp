// cbx cdg: facts and frames of a CD+G graphics file.
#include <QImage>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "cdg/CdgFrameExport.h"
#include "cdg/CdgPlayer.h"
#include "cdg/CdgRender.h"
#include "platform/AtomicFile.h"

namespace cx::cli {

namespace {

constexpr int kMaxScale = 16;
constexpr int kMaxFps = 100;

const char* kCdgHelp =
    "usage: cbx cdg FILE.cdg --info [--json]\n"
    "       cbx cdg FILE.cdg --at SECONDS -o FRAME.png [--scale N] [--smooth]\n"
    "       cbx cdg FILE.cdg --frames DIR --fps N [--scale N] [--smooth] [--threads N]\n"
    "                   [--json]\n"
    "\n"
    "  --info         packet count, duration and the count of each instruction\n"
    "  --at SECONDS   the screen after every packet due by that time, as PNG\n"
    "  --frames DIR   every frame of the song at N frames a second\n"
    "                 (DIR/frame-000000.png, ...); prints frames per second\n"
    "  --threads N    encode on N threads (default: one a core)\n"
    "  --scale N      enlarge 1..16 times (sharp unless --smooth)\n"
    "  --channels L   comma-separated tile channels to draw (default 0,1)\n";

bool ParseNumber(const std::string& text, double& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && std::isfinite(out);
}

bool ParseInt(const std::string& text, int lo, int hi, int& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && out >= lo && out <= hi;
}

struct FrameOptions {
    int scale = 1;
    bool smooth = false;
};

QImage Frame(const CdgScreen& screen, const FrameOptions& o) {
    const QImage frame = RenderCdgScreen(screen);
    if (o.scale == 1) return frame;
    return ScaleCdgFrame(frame, frame.size() * o.scale, o.smooth);
}

void PrintInfo(const CdgSong& song, bool json) {
    const auto counts = CountInstructions(song);
    const int known[] = {1, 2, 6, 20, 24, 28, 30, 31, 38};
    std::uint32_t unknown = song.schedule.size();
    for (int code : known) unknown -= counts[code];
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.3f", song.DurationSeconds());
    std::ostringstream os;
    if (json) {
        os << "{\"packets\":" << song.PacketCount() << ",\"duration\":" << duration
           << ",\"graphics\":" << song.schedule.size() << ",\"instructions\":{";
        for (int code : known) {
            os << JsonString(std::string(CdgInstructionName(code))) << ":" << counts[code] << ",";
        }
        os << "\"unknown\":" << unknown << "}}\n";
    } else {
        os << "packets: " << song.PacketCount() << "\nduration: " << duration
           << " s\ngraphics packets: " << song.schedule.size() << "\n";
        for (int code : known)
            os << "  " << CdgInstructionName(code) << ": " << counts[code] << "\n";
        os << "  unknown: " << unknown << "\n";
    }
    std::cout << os.str();
}

bool SetChannels(const std::string& list, CdgPlayer& player) {
    for (int c = 0; c < kCdgChannels; ++c) player.SwitchChannel(c, false);
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        int c = 0;
        if (!ParseInt(item, 0, kCdgChannels - 1, c)) return false;
        player.SwitchChannel(c, true);
    }
    return true;
}

int WriteAt(CdgPlayer& player, double seconds, const std::string& out, const FrameOptions& o) {
    player.PlayCDG();
    player.Tick(seconds);
    const QByteArray png = EncodeCdgFramePng(Frame(player.Screen(), o));
    if (png.isEmpty()) return Fail("cannot write " + out);
    const std::string error = WriteFileAtomically(
        out, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    if (!error.empty()) return Fail(error);
    return kExitOk;
}

int WriteFrames(CdgPlayer& player, const std::string& dir, const CdgFrameExportOptions& o,
                bool json) {
    const CdgFrameExportResult r = ExportCdgFrames(player, dir, o);
    if (!r.ok) return Fail(r.error);
    char fps[32], seconds[32];
    std::snprintf(fps, sizeof fps, "%.1f", r.FramesPerSecond());
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    if (json) {
        std::cout << "{\"frames\":" << r.frames << ",\"encoded\":" << r.encoded
                  << ",\"dir\":" << JsonString(dir) << ",\"seconds\":" << seconds
                  << ",\"fps\":" << fps << "}\n";
    } else {
        std::cout << "wrote " << r.frames << " frames to " << dir << "\n"
                  << r.encoded << " encoded, the rest unchanged; " << fps << " frames per second\n";
    }
    return kExitOk;
}

int RunCdg(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kCdgHelp;
        return kExitOk;
    }
    const bool info = args.Flag("--info");
    const bool json = args.Flag("--json");
    FrameOptions frame;
    frame.smooth = args.Flag("--smooth");
    const auto at = args.Option("--at");
    const auto out = args.Option("-o");
    const auto frames = args.Option("--frames");
    const auto fps = args.Option("--fps");
    const auto scale = args.Option("--scale");
    const auto channels = args.Option("--channels");
    const auto threads = args.Option("--threads");
    const auto files = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (files.size() != 1) return Fail("give one .cdg file (see cbx cdg --help)", kExitUsage);
    if (int(info) + int(at.has_value()) + int(frames.has_value()) != 1) {
        return Fail("give one of --info, --at or --frames", kExitUsage);
    }
    if (scale && !ParseInt(*scale, 1, kMaxScale, frame.scale)) {
        return Fail("--scale takes a whole number from 1 to 16", kExitUsage);
    }
    double seconds = 0;
    if (at && (!ParseNumber(*at, seconds) || seconds < 0)) {
        return Fail("--at takes seconds, e.g. 12.5", kExitUsage);
    }
    if (at && !out) return Fail("--at needs -o FRAME.png", kExitUsage);
    int rate = 0;
    if (frames && (!fps || !ParseInt(*fps, 1, kMaxFps, rate))) {
        return Fail("--frames needs --fps N (1 to 100)", kExitUsage);
    }

    CdgFrameExportOptions exportOptions;
    if (threads &&
        (!frames || !ParseInt(*threads, 1, kCdgMaxExportThreads, exportOptions.threads))) {
        return Fail("--threads takes a whole number from 1 to 64 with --frames", kExitUsage);
    }

    CdgPlayer player;
    std::string error;
    if (!player.LoadCDGFile(files[0], error)) return Fail(error);
    if (channels && !SetChannels(*channels, player)) {
        return Fail("--channels takes numbers 0..15 separated by commas", kExitUsage);
    }
    if (info) {
        PrintInfo(player.Song(), json);
        return kExitOk;
    }
    if (at) return WriteAt(player, seconds, *out, frame);
    exportOptions.fps = rate;
    exportOptions.scale = frame.scale;
    exportOptions.smooth = frame.smooth;
    return WriteFrames(player, *frames, exportOptions, json);
}

}  // namespace

std::vector<Verb> CdgVerbs() {
    return {{"cdg", "CD+G graphics: --info, a frame --at a time, or all --frames", RunCdg}};
}

}  // namespace cx::cli
