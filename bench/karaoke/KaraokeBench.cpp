// What the 10 ms playback tick costs: a paint, an idle tick, a transition frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "karaoke/GuiContext.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"
#include "karaoke/Transitions.h"

namespace {

constexpr int kLines = 2000;

// Pieces `spacing` seconds apart.
cx::LyricsModel LongSong(double spacing = 1.0) {
    cx::LyricsModel m;
    const char* words[] = {"Some ", "words ", "to ", "sing ", "along ", "tonight"};
    for (int line = 0; line < kLines; ++line) {
        std::string text;
        for (const char* w : words) text += w;
        for (int i = 0; i < 6; ++i)
            m.Lyrics.push_back({text, words[i], 1.0 + (line * 6 + i) * spacing, i == 5});
    }
    return m;
}

cx::KaraokeSettings Settings() {
    cx::KaraokeSettings s;
    s.LyricsFont = "DejaVu Sans";
    s.LyricsFontSize = 48;
    s.LyricsOutlineWidth = 4;
    s.LyricsShowBall = true;
    s.DisplayMode = 1;
    return s;
}

void PaintPiece(benchmark::State& state) {
    cx::EnsureGuiContext();
    cx::LyricsModel model = LongSong();
    cx::KaraokeDisplay display;
    display.SetSettings(Settings());
    display.SetWindow(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&model, {});
    double t = 1.0;
    std::int64_t now = 0;
    for (auto _ : state) {
        display.IsPlaying(t, now);  // exactly one piece is due: one paint
        t += 1.0;
        now += 1000;
        if (t > kLines * 6 - 1) {
            state.PauseTiming();
            display.GetLastPos(0, now);
            t = 1.0;
            state.ResumeTiming();
        }
    }
    state.counters["paints"] = display.PaintCount();
}
BENCHMARK(PaintPiece)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The smooth sweep at 1080p: every 10 ms tick moves the edge of a piece a
// quarter of a second long by a pixel or more, so every tick repaints the
// band and composes the frame. Arg 1 uses a font so large that the lines wrap.
void SweepTick(benchmark::State& state) {
    cx::EnsureGuiContext();
    constexpr double kSpacing = 0.25;
    cx::LyricsModel model = LongSong(kSpacing);
    cx::KaraokeSettings settings = Settings();
    settings.LyricsSmoothSweep = true;
    if (state.range(0) != 0) settings.LyricsFontSize = 150;
    cx::KaraokeDisplay display;
    display.SetSettings(settings);
    display.SetWindow(1920, 1080, true);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&model, {});
    display.IsPlaying(1.0, 1000);
    std::int64_t now = 1000;
    const int before = display.PaintCount();
    for (auto _ : state) {
        now += 10;
        display.IsPlaying(now / 1000.0, now);
        if (now > 1000 + (kLines * 6 - 2) * kSpacing * 1000) {
            state.PauseTiming();
            now = 1000;
            display.GetLastPos(1.0, now);
            state.ResumeTiming();
        }
    }
    state.counters["paints per tick"] =
        benchmark::Counter(display.PaintCount() - before, benchmark::Counter::kAvgIterations);
    state.SetLabel(state.range(0) != 0 ? "wrapped lines" : "");
}
BENCHMARK(SweepTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void IdleTick(benchmark::State& state) {
    cx::EnsureGuiContext();
    cx::LyricsModel model = LongSong();
    cx::KaraokeDisplay display;
    display.SetSettings(Settings());
    display.SetWindow(1920, 1080, true);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&model, {});
    display.IsPlaying(1.0, 1000);
    std::int64_t now = 1000;
    for (auto _ : state) display.IsPlaying(1.5, ++now);  // between two pieces
}
BENCHMARK(IdleTick);

void TransitionFrame(benchmark::State& state) {
    cx::EnsureGuiContext();
    QImage a(1920, 1080, QImage::Format_RGB32), b(1920, 1080, QImage::Format_RGB32);
    a.fill(Qt::red);
    b.fill(Qt::blue);
    const std::vector<cx::TransitionSpec> specs = {
        {"Slide Bar", "Vertical2", 5}, {"Stretch Zoom", "", 5}, {"Custom Checkboard", "", 5}};
    const auto& desc = specs[static_cast<std::size_t>(state.range(0))];
    const int steps = cx::TransitionSteps(desc, a.size(), false);
    int frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cx::TransitionFrame(a, b, desc, frame, steps));
        frame = (frame + 1) % steps;
    }
    state.SetLabel(desc.Effect);
}
BENCHMARK(TransitionFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A song whose lyrics are one line of `bytes` bytes: loading, fitting the
// font and playing it to the end must stay linear in the line's length.
// Arg 0 times the line as a whole, arg 1 gives every word its own tag (each
// piece then carries the line text, capped, so memory grows with the pieces).
void HugeLine(benchmark::State& state) {
    cx::EnsureGuiContext();
    const auto bytes = static_cast<std::size_t>(state.range(0));
    const bool words = state.range(1) != 0;
    const auto dir = std::filesystem::temp_directory_path() / "cx-bench-huge-line";
    std::filesystem::create_directories(dir);
    std::string lrc = "[00:01.00]";
    while (lrc.size() < bytes) lrc += words ? "<00:02.00>la " : "la la ";
    std::ofstream(dir / "huge.lrc", std::ios::binary) << lrc << "\n";
    std::ofstream(dir / "huge.mp3", std::ios::binary) << std::string(100, '\0');
    cx::KaraokeSettings settings = Settings();
    settings.LyricsFitFont = true;
    for (auto _ : state) {
        cx::KaraokeSong song;
        std::string error;
        if (!cx::LoadKaraokeSong((dir / "huge.mp3").string(), settings, cx::Codepage::Cp1252, {},
                                 song, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        cx::KaraokeDisplay display;
        display.SetSettings(settings);
        display.SetWindow(1280, 720, true);
        display.SetMediaOpen(true);
        display.ChangeLyrics(&song.Model, song.Look);
        for (std::int64_t ms = 0; ms <= 3000; ms += 10) display.IsPlaying(ms / 1000.0, ms);
        benchmark::DoNotOptimize(display.Frame());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    std::filesystem::remove_all(dir);
}
BENCHMARK(HugeLine)
    ->Args({64 << 10, 0})
    ->Args({6 << 20, 0})
    ->Args({64 << 10, 1})
    ->Args({256 << 10, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
