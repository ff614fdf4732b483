// Side by side: `cbx cdg --frames` against ffmpeg writing the same number of
// 300 x 216 PNG frames from raw RGB. Usage: cx_cdg_frames_vs_ffmpeg [SONG.cdg]
// [--fps N] (default: a generated three-minute karaoke song at 25 fps). Only
// ffmpeg's PNG writing is timed; the raw frames are dumped beforehand. The
// reference is skipped when ffmpeg is not installed.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchCdgSong.h"
#include "ChildRun.h"
#include "cdg/CdgPlayer.h"

namespace {

using namespace cx::bench;

constexpr double kSongSeconds = 180.0;

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Every frame cbx writes, as packed RGB, in one file; returns the frame count.
long DumpRawFrames(const std::filesystem::path& song, int fps, const std::filesystem::path& raw) {
    cx::CdgPlayer player;
    std::string error;
    if (!player.LoadCDGFile(song.string(), error)) return -1;
    std::ofstream out(raw, std::ios::binary);
    std::vector<std::uint32_t> argb(cx::kCdgWidth * cx::kCdgHeight);
    std::vector<char> rgb(argb.size() * 3);
    const double duration = player.Song().DurationSeconds();
    player.PlayCDG();
    long k = 0;
    for (; k / static_cast<double>(fps) <= duration; ++k) {
        player.Tick(k / static_cast<double>(fps));
        player.Screen().ComposeRgb(argb.data());
        for (std::size_t i = 0; i < argb.size(); ++i) {
            rgb[3 * i] = static_cast<char>(argb[i] >> 16);
            rgb[3 * i + 1] = static_cast<char>(argb[i] >> 8);
            rgb[3 * i + 2] = static_cast<char>(argb[i]);
        }
        out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    }
    return out ? k : -1;
}

std::uintmax_t FolderBytes(const std::filesystem::path& dir) {
    std::uintmax_t total = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.is_regular_file()) total += e.file_size();
    return total;
}

void PrintRow(const char* name, long frames, const ChildResult& r, std::uintmax_t bytes) {
    std::printf("%-22s %8ld %9.2f %9.2f %10.0f %9.1f %10.1f\n", name, frames, r.seconds,
                r.cpuSeconds, r.seconds > 0 ? frames / r.seconds : 0.0, r.peakMb,
                static_cast<double>(bytes) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    std::string songArg;
    int fps = 25;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fps") == 0 && i + 1 < argc) {
            fps = std::atoi(argv[++i]);
        } else {
            songArg = argv[i];
        }
    }
    const std::string cbx = std::string(CX_BINARY_DIR) + "/cbx";
    if (::access(cbx.c_str(), X_OK) != 0) {
        std::printf("skipped: %s is not built\n", cbx.c_str());
        return 0;
    }
    ScratchDir dir("cx-cdg-frames");
    if (dir.Path().empty()) return 1;
    std::filesystem::path song = songArg;
    if (song.empty()) {
        song = dir.Path() / "song.cdg";
        if (!WriteFile(song, KaraokeCdgSong(kSongSeconds))) return 1;
    }
    std::printf("song %s, %d fps\n", songArg.empty() ? "generated (180 s)" : songArg.c_str(), fps);
    std::printf("%-22s %8s %9s %9s %10s %9s %10s\n", "", "frames", "wall s", "cpu s", "fps",
                "peak MB", "PNG MB");

    // All cores (the default), then one encoding thread.
    ChildResult c;
    long frames = 0;
    for (const char* threads : {"0", "1"}) {
        const auto ours = dir.Path() / (std::string("cbx") + threads);
        std::vector<std::string> args = {cbx,           "cdg",   song.string(),      "--frames",
                                         ours.string(), "--fps", std::to_string(fps)};
        if (threads[0] == '1') args.insert(args.end(), {"--threads", "1"});
        const ChildResult r = RunChild(args, (dir.Path() / "cbx.out").string());
        if (!r.ran) {
            std::printf("cbx failed (exit %d)\n", r.status);
            return 1;
        }
        frames = 0;
        for (const auto& e : std::filesystem::directory_iterator(ours))
            frames += e.is_regular_file();
        PrintRow(threads[0] == '1' ? "cbx --threads 1" : "cbx cdg --frames", frames, r,
                 FolderBytes(ours));
        if (threads[0] == '0') c = r;
    }

    const std::string ffmpeg = FindOnPath("ffmpeg");
    if (ffmpeg.empty()) {
        std::printf("%-22s skipped: ffmpeg is not installed\n", "ffmpeg (reference)");
        return 0;
    }
    const auto raw = dir.Path() / "frames.rgb";
    const long dumped = DumpRawFrames(song, fps, raw);
    if (dumped != frames) {
        std::printf("raw frames: %ld, cbx frames: %ld\n", dumped, frames);
        return 1;
    }
    const auto theirs = dir.Path() / "ffmpeg";
    std::filesystem::create_directories(theirs);
    const ChildResult f = RunChild({ffmpeg, "-hide_banner", "-loglevel", "error", "-f", "rawvideo",
                                    "-pix_fmt", "rgb24", "-s", "300x216", "-r", std::to_string(fps),
                                    "-i", raw.string(), "-y", (theirs / "out%05d.png").string()});
    if (!f.ran) {
        std::printf("ffmpeg failed (exit %d)\n", f.status);
        return 1;
    }
    PrintRow("ffmpeg (reference)", frames, f, FolderBytes(theirs));
    std::printf("cbx / ffmpeg speed: wall %.2fx, cpu %.2fx\n",
                c.seconds > 0 ? f.seconds / c.seconds : 0.0,
                c.cpuSeconds > 0 ? f.cpuSeconds / c.cpuSeconds : 0.0);
    return 0;
}
