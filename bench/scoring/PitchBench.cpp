// What listening to the singer costs. Goal: tracking one second of voice
// takes under 2 % of a core (20 ms), for every window the songs ask for.
// "cpu_seconds_per_voice_second" is that share of a core; "trace_delay_ms" is how long after
// the voice its pitch is known, from the window and hop alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "scoring/LivePitch.h"
#include "scoring/PitchTracker.h"
#include "scoring/SyntheticSinger.h"

namespace {

void BM_TrackOneSecond(benchmark::State& state) {
    const double lowest = static_cast<double>(state.range(0));
    std::vector<float> voice;
    cx::test::SingNote(voice, lowest + 12, 1.0);
    cx::PitchTracker tracker(cx::test::kVoiceRate, lowest);
    if (!tracker.Ready()) {
        state.SkipWithError(tracker.Error().c_str());
        return;
    }
    int frames = 0;
    for (auto _ : state) {
        tracker.Push(voice.data(), voice.size(), [&](const cx::PitchFrame&) { ++frames; });
    }
    benchmark::DoNotOptimize(frames);
    state.counters["cpu_seconds_per_voice_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["window"] = tracker.WindowSamples();
    state.counters["trace_delay_ms"] =
        1000.0 * (tracker.WindowSamples() / 2.0 + tracker.HopSamples()) / tracker.SampleRate();
}
BENCHMARK(BM_TrackOneSecond)->Arg(40)->Arg(55)->Arg(70)->Unit(benchmark::kMillisecond);

// Voice pushed in device buffers, frames taken by the window's thread: the
// delay from a sample's arrival to its frame, worker included.
void BM_LiveDelay(benchmark::State& state) {
    cx::LivePitch live(cx::test::kVoiceRate);
    if (!live.Start()) {
        state.SkipWithError(live.Error().c_str());
        return;
    }
    std::vector<float> voice;
    cx::test::SingNote(voice, 60, 2.0);
    constexpr std::size_t kBuffer = 256;  // 5.8 ms device buffers
    double worst = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at + kBuffer <= voice.size(); at += kBuffer) {
            live.PushSamples(voice.data() + at, kBuffer);
            std::this_thread::sleep_for(std::chrono::microseconds(5800));
            cx::PitchFrame f;
            while (live.PopFrame(f)) {
                worst = std::max(worst, live.CapturedSeconds() - f.Time);
            }
        }
    }
    state.counters["worst_delay_ms"] = 1000.0 * worst;
}
BENCHMARK(BM_LiveDelay)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
