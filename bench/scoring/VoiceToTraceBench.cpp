// From the singer's voice to the pitch lane: a generated tone read by SDL's
// disk capture driver (SDL_AUDIODRIVER=disk, SDL_DISKAUDIOFILEIN) into the
// pitch lane's own microphone path, tracked off the callback, until the
// lane's model holds the tone's pitch; then the lane painted. Goal: under
// 60 ms from the voice to the painted lane.
// "model_delay_ms": median from a tone's first sample being captured to the
// lane's trace holding it (polled every millisecond); "worst_model_delay_ms"
// its worst; "paint_ms": painting the lane; "with_tick_ms": the worst delay
// plus the player's 10 ms tick and the paint, what a singer can see.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "karaoke/PitchLane.h"
#include "scoring/Microphone.h"
#include "scoring/SingAlong.h"
#include "scoring/SyntheticSinger.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTones = 6;
constexpr double kGapSeconds = 0.6;
constexpr double kToneSeconds = 0.6;
constexpr int kTonePitch = 69;  // A4
constexpr double kTickSeconds = 0.01;
constexpr std::size_t kMaxCallbacks = 4096;

double Seconds(Clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// Notes when each device buffer arrived, and passes the voice on.
class TimedSink final : public cx::VoiceSink {
public:
    explicit TimedSink(cx::LivePitch& live) : m_live(live) {}
    int SampleRate() const override { return m_live.SampleRate(); }
    void PushSamples(const float* mono, std::size_t count) override {
        const std::size_t i = m_count.load(std::memory_order_relaxed);
        if (i < kMaxCallbacks) {
            m_end[i] = m_samples + count;
            m_at[i] = Seconds(Clock::now());
            m_count.store(i + 1, std::memory_order_release);
        }
        m_samples += count;
        m_live.PushSamples(mono, count);
    }
    // The wall time sample `index` was heard: its buffer's arrival less
    // the samples after it in that buffer.
    double HeardAt(std::size_t index) const {
        const std::size_t n = m_count.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < n; ++i)
            if (m_end[i] > index)
                return m_at[i] - static_cast<double>(m_end[i] - index) / SampleRate();
        return -1;
    }

private:
    cx::LivePitch& m_live;
    std::size_t m_samples = 0;
    std::array<std::size_t, kMaxCallbacks> m_end{};
    std::array<double, kMaxCallbacks> m_at{};
    std::atomic<std::size_t> m_count{0};
};

double ToneStart(int k) {
    return kGapSeconds + k * (kToneSeconds + kGapSeconds);
}

// Silence and tones, raw float mono, as the disk driver reads it.
std::filesystem::path WriteCapture() {
    std::vector<float> all;
    for (int k = 0; k < kTones; ++k) {
        all.resize(static_cast<std::size_t>(ToneStart(k) * cx::test::kVoiceRate), 0.0f);
        cx::test::SingNote(all, kTonePitch, kToneSeconds);
    }
    all.resize(all.size() + static_cast<std::size_t>(kGapSeconds * cx::test::kVoiceRate), 0.0f);
    const auto path = std::filesystem::temp_directory_path() / "cx-voice-to-trace.raw";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(all.data()),
               static_cast<std::streamsize>(all.size() * sizeof(float)));
    return path;
}

cx::SungNotes ToneNotes() {
    cx::SungNotes notes;
    for (int k = 0; k < kTones; ++k)
        notes.Notes.push_back({ToneStart(k), kToneSeconds, kTonePitch, cx::NoteKind::Normal, k});
    notes.LineCount = kTones;
    return notes;
}

// Whether the lane's trace holds the tone sung from `from`.
bool TraceHolds(const cx::LaneState& lane, double from) {
    return std::any_of(lane.Trace.begin(), lane.Trace.end(), [from](const cx::LanePoint& p) {
        return p.Time >= from && std::abs(p.Pitch - kTonePitch) < 1.0f;
    });
}

void BM_VoiceToTrace(benchmark::State& state) {
    const auto file = WriteCapture();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", file.c_str(), 1);
    std::vector<double> delays;
    double paintMs = 0;
    // The first paint loads the fonts; the player has done that long before.
    benchmark::DoNotOptimize(cx::PaintPitchLane({}, QSize(1280, 216)));
    for (auto _ : state) {
        cx::LivePitch live(cx::kMicrophoneRate);
        if (!live.Start()) return state.SkipWithError(live.Error().c_str());
        TimedSink sink(live);
        cx::Microphone microphone(sink);
        cx::SingAlong sing;
        sing.Begin(ToneNotes(), cx::Difficulty::Medium);
        std::string error;
        if (!microphone.Open({}, error)) return state.SkipWithError(error.c_str());
        // The song's clock is the capture's own: the voice lands where it was sung.
        int tone = 0;
        const auto give_up = Clock::now() + std::chrono::seconds(30);
        while (tone < kTones && Clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const double position = live.CapturedSeconds();
            sing.Tick(live, position, 0);
            if (!TraceHolds(sing.Lane(position), ToneStart(tone))) continue;
            const auto first = static_cast<std::size_t>(ToneStart(tone) * cx::kMicrophoneRate);
            delays.push_back(Seconds(Clock::now()) - sink.HeardAt(first));
            const auto painted = Clock::now();
            benchmark::DoNotOptimize(cx::PaintPitchLane(sing.Lane(position), QSize(1280, 216)));
            paintMs = std::max(
                paintMs, std::chrono::duration<double, std::milli>(Clock::now() - painted).count());
            ++tone;
        }
        microphone.Close();
        live.Stop();
    }
    std::filesystem::remove(file);
    if (delays.empty()) return state.SkipWithError("the lane never held the tone");
    std::sort(delays.begin(), delays.end());
    state.counters["tones"] = static_cast<double>(delays.size());
    state.counters["model_delay_ms"] = 1000 * delays[delays.size() / 2];
    state.counters["worst_model_delay_ms"] = 1000 * delays.back();
    state.counters["paint_ms"] = paintMs;
    state.counters["with_tick_ms"] = 1000 * (delays.back() + kTickSeconds) + paintMs;
}
BENCHMARK(BM_VoiceToTrace)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The lane's text needs fonts: a window-less GUI application.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
