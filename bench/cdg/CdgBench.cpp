// CD+G decode and seek speed.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "BenchCdgSong.h"
#include "cdg/CdgFrameExport.h"
#include "cdg/CdgRebuild.h"
#include "cdg/CdgRender.h"
#include "cdg/CdgSong.h"

namespace {

using Raw = std::array<std::uint8_t, cx::kCdgPacketSize>;

Raw Packet(cx::CdgInstruction i, std::mt19937& rng) {
    Raw p{};
    p[0] = cx::kCdgGraphicsCommand;
    p[1] = static_cast<std::uint8_t>(i);
    for (int k = 4; k < 20; ++k) p[k] = rng() & 0x3F;
    return p;
}

// A song shaped like a karaoke disc: a full clear every 30 s, colour loads,
// and tiles (mostly XOR highlights) in two of every three packets.
std::vector<std::uint8_t> SyntheticSong(int seconds) {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> out;
    const int count = seconds * cx::kCdgPacketsPerSecond;
    for (int n = 0; n < count; ++n) {
        Raw p{};
        if (n % 9000 < 16) {
            p = Packet(cx::CdgInstruction::MemoryPreset, rng);
            p[5] = static_cast<std::uint8_t>(n % 9000);
        } else if (n % 3000 == 20) {
            p = Packet(
                n % 2 ? cx::CdgInstruction::LoadColorsLow : cx::CdgInstruction::LoadColorsHigh,
                rng);
        } else if (n % 3 != 2) {
            p = Packet(rng() % 4 ? cx::CdgInstruction::TileBlockXor : cx::CdgInstruction::TileBlock,
                       rng);
            p[6] = rng() % 18;
            p[7] = rng() % 50;
        }
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

cx::CdgSong Song(int seconds) {
    return cx::LoadCdgSong(SyntheticSong(seconds)).song;
}

// Whole 4-minute song, a QImage frame every 12 packets (25 fps).
void BM_DecodeSongAt25Fps(benchmark::State& state) {
    const cx::CdgSong song = Song(240);
    constexpr std::uint32_t kPacketsPerFrame = cx::kCdgPacketsPerSecond / 25;
    for (auto _ : state) {
        cx::CdgScreen screen;
        for (std::uint32_t n = 0; n < song.PacketCount(); ++n) {
            screen.Dispatch(song.packets[n]);
            if (n % kPacketsPerFrame == 0) benchmark::DoNotOptimize(cx::RenderCdgScreen(screen));
        }
    }
    state.SetItemsProcessed(state.iterations() * song.PacketCount());
}
BENCHMARK(BM_DecodeSongAt25Fps)->Unit(benchmark::kMillisecond);

// Packets alone, without frames.
void BM_DecodeSongNoFrames(benchmark::State& state) {
    const cx::CdgSong song = Song(240);
    for (auto _ : state) {
        cx::CdgScreen screen;
        for (const auto& p : song.packets) screen.Dispatch(p);
        benchmark::DoNotOptimize(screen.Revision());
    }
    state.SetItemsProcessed(state.iterations() * song.PacketCount());
}
BENCHMARK(BM_DecodeSongNoFrames)->Unit(benchmark::kMillisecond);

// Seek to the end of a 4-minute song.
void BM_RebuildScreenAtEnd(benchmark::State& state) {
    const cx::CdgSong song = Song(240);
    cx::CdgScreen screen;
    for (auto _ : state) {
        cx::RebuildScreenAt(song, song.PacketCount() - 1, screen);
        benchmark::DoNotOptimize(screen.Revision());
    }
}
BENCHMARK(BM_RebuildScreenAtEnd)->Unit(benchmark::kMicrosecond);

// The real disc image from the corpus, when present.
void BM_DecodeCorpusAt25Fps(benchmark::State& state) {
    const auto path = std::filesystem::path(CX_CORPUS_DIR) / "cdg" / "BrotherJohn.cdg";
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const cx::CdgLoadResult r = cx::LoadCdgSong(bytes);
    if (!r.ok) {
        state.SkipWithError("corpus file absent");
        return;
    }
    for (auto _ : state) {
        cx::CdgScreen screen;
        for (std::uint32_t n = 0; n < r.song.PacketCount(); ++n) {
            screen.Dispatch(r.song.packets[n]);
            if (n % 12 == 0) benchmark::DoNotOptimize(cx::RenderCdgScreen(screen));
        }
    }
    state.SetItemsProcessed(state.iterations() * r.song.PacketCount());
}
BENCHMARK(BM_DecodeCorpusAt25Fps)->Unit(benchmark::kMillisecond);

// PNG export of a 30-second karaoke song at 25 fps: every frame encoded
// (reuse 0) or unchanged frames reused (reuse 1), on 1 or 2 threads.
void BM_ExportFrames(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = cx::bench::KaraokeCdgSong(30);
    const auto dir = std::filesystem::temp_directory_path() / "cx-bench-cdg-export";
    cx::CdgFrameExportOptions o;
    o.reuse = state.range(0) != 0;
    o.threads = static_cast<int>(state.range(1));
    std::int64_t frames = 0;
    for (auto _ : state) {
        cx::CdgPlayer player;
        std::string error;
        player.LoadCDG(bytes, error);
        const cx::CdgFrameExportResult r = cx::ExportCdgFrames(player, dir.string(), o);
        if (!r.ok) state.SkipWithError(r.error.c_str());
        frames += r.frames;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportFrames)
    ->ArgNames({"reuse", "threads"})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
