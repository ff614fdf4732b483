// How long a large playlist takes to read into the list, and to sort.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "playlist/FlatListModel.h"
#include "playlist/LastList.h"
#include "playlist/PlaylistFile.h"

namespace {

std::string BigM3u(int entries) {
    std::string text = "#EXTM3U\r\n";
    for (int i = 0; i < entries; ++i) {
        text += "#EXTINF:" + std::to_string(120 + i % 200) + ",Artist " + std::to_string(i % 977) +
                " - Song " + std::to_string(i) + "\r\n";
        text +=
            "Music\\Folder " + std::to_string(i % 50) + "\\song" + std::to_string(i) + ".mp3\r\n";
    }
    return text;
}

void BM_ReadM3uIntoList(benchmark::State& state) {
    const std::string bytes = BigM3u(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        cx::FlatListModel list;
        cx::AppendEntries(list, cx::ParseM3U(bytes, "/home/singer/lists").entries);
        benchmark::DoNotOptimize(list.ListCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadM3uIntoList)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortAndShuffle(benchmark::State& state) {
    cx::FlatListModel list;
    cx::AppendEntries(list, cx::ParseM3U(BigM3u(static_cast<int>(state.range(0))), "/l").entries);
    std::mt19937 rng(1);
    for (auto _ : state) {
        list.SortRandom(rng);
        list.SortFlatList(cx::SortOrder::Ascending);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortAndShuffle)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WriteM3u(benchmark::State& state) {
    const auto entries = cx::ParseM3U(BigM3u(static_cast<int>(state.range(0))), "/l").entries;
    for (auto _ : state) benchmark::DoNotOptimize(cx::WriteM3U(entries, "/l"));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteM3u)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
