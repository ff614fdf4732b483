// Scanning a song library folder: a thousand songs in fifty folders, half of
// them MP3+G pairs, some with lyrics files, some zipped (the zip check is the
// real one, reading each archive's directory).
#include <benchmark/benchmark.h>

#include <zip.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "archive/ZipSong.h"
#include "playlist/FolderScan.h"

namespace {

namespace fs = std::filesystem;

struct Library {
    Library() {
        std::random_device rd;
        root = fs::temp_directory_path() / ("cx-bench-" + std::to_string(rd()));
        for (int i = 0; i < 1000; ++i) {
            const fs::path folder = root / ("artist" + std::to_string(i % 50));
            fs::create_directories(folder);
            const std::string stem = (folder / ("song" + std::to_string(i))).string();
            if (i % 10 == 9) {
                int code = 0;
                zip_t* z = zip_open((stem + ".zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
                static const char kBytes[] = "x";
                zip_file_add(z, "song.mp3", zip_source_buffer(z, kBytes, 1, 0), 0);
                zip_file_add(z, "song.cdg", zip_source_buffer(z, kBytes, 1, 0), 0);
                zip_close(z);
                continue;
            }
            std::ofstream(stem + ".mp3") << "x";
            if (i % 2 == 0) std::ofstream(stem + ".cdg") << "g";
            if (i % 3 == 0) std::ofstream(stem + ".lrc") << "l";
        }
    }
    ~Library() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

void BM_ScanThousandSongFolder(benchmark::State& state) {
    static Library library;
    cx::FolderScanHooks hooks;
    hooks.zipHoldsSong = [](const std::string& p) { return cx::ZipHoldsSong(p); };
    std::atomic<bool> cancel{false};
    for (auto _ : state) {
        const auto result = cx::ScanSongFolder(library.root.string(), cancel, hooks);
        if (result.Songs.size() != 1000) state.SkipWithError("wrong song count");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ScanThousandSongFolder)->Unit(benchmark::kMillisecond);

// One flat folder of MP3+G pairs, as a disc collection is often copied: the
// graphics files must not each cost a look through the whole folder.
struct FlatPairs {
    explicit FlatPairs(int pairs) {
        std::random_device rd;
        root = fs::temp_directory_path() / ("cx-bench-flat-" + std::to_string(rd()));
        fs::create_directories(root);
        for (int i = 0; i < pairs; ++i) {
            const std::string stem = (root / ("disc-track" + std::to_string(i))).string();
            std::ofstream(stem + ".mp3") << "x";
            std::ofstream(stem + ".cdg") << "g";
        }
    }
    ~FlatPairs() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

void BM_ScanFlatFolderOfPairs(benchmark::State& state) {
    const FlatPairs folder(static_cast<int>(state.range(0)));
    std::atomic<bool> cancel{false};
    for (auto _ : state) {
        const auto result = cx::ScanSongFolder(folder.root.string(), cancel);
        if (result.Songs.size() != static_cast<std::size_t>(state.range(0)))
            state.SkipWithError("wrong song count");
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ScanFlatFolderOfPairs)
    ->RangeMultiplier(4)
    ->Range(1000, 16000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
