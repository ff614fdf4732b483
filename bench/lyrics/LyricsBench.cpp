// Reading speed of the lyrics formats on long songs; a song is opened on the
// user-interface thread, so reading must stay well under a frame.
#include <benchmark/benchmark.h>

#include <string>

#include "lyrics/DisplayBlock.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/TimeText.h"

namespace {

// `lines` lines of five pieces each, as LRS, LRC (extended) and KOK text.
cx::PieceArray MakePieces(int lines) {
    cx::PieceArray p(1);
    double t = 1;
    for (int l = 0; l < lines; ++l) {
        for (int w = 0; w < 5; ++w, t += 0.37)
            p.push_back({"", "word" + std::to_string(w) + " ", t, w == 4});
    }
    return p;
}

void BM_ParseLrs(benchmark::State& state) {
    const std::string text = cx::BuildLrsBlock(MakePieces(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        cx::LyricsModel m;
        benchmark::DoNotOptimize(cx::ParseLrsText(text, m, {}));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_ParseLrs)->Arg(100)->Arg(2000);

void BM_ParseLrc(benchmark::State& state) {
    const std::string text =
        cx::ExportLrc(MakePieces(static_cast<int>(state.range(0))), cx::LrcFlavour::Extended);
    for (auto _ : state) {
        cx::PieceArray p;
        benchmark::DoNotOptimize(cx::ParseLrcText(text, p));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_ParseLrc)->Arg(100)->Arg(2000);

void BM_ParseKok(benchmark::State& state) {
    const std::string text = cx::ExportKok(MakePieces(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        cx::PieceArray p;
        benchmark::DoNotOptimize(cx::ParseKokText(text, p));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_ParseKok)->Arg(100)->Arg(2000);

// The LRS and display blocks are found by searching the whole media file.
void BM_FindBlocksIn10MbFile(benchmark::State& state) {
    std::string file(10u << 20, '\x55');
    file += cx::BuildLrsBlock(MakePieces(100)) + "\r\n";
    for (auto _ : state) {
        benchmark::DoNotOptimize(cx::FindLrsBlock(file));
        cx::DisplayBlock b;
        benchmark::DoNotOptimize(cx::ReadDisplayBlock(file, "/m", cx::Codepage::Cp1252, b));
    }
}
BENCHMARK(BM_FindBlocksIn10MbFile);

void BM_FormatTime(benchmark::State& state) {
    double t = 0;
    for (auto _ : state) benchmark::DoNotOptimize(cx::FormatTime(t += 0.001));
}
BENCHMARK(BM_FormatTime);

}  // namespace
