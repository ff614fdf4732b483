// Real-time factor of the song chain per pitch engine, and the error of the
// reported position against the frame leaving the null device.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <thread>
#include <vector>

#include "playback/AudioOutput.h"
#include "playback/CutVocal.h"
#include "playback/OfflineRenderer.h"

namespace {

constexpr int kRate = 44100;

std::filesystem::path BenchFolder() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "cx-playback-bench";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

bool Write(const std::filesystem::path& path, const std::vector<float>& s, int format) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const auto frames = static_cast<sf_count_t>(s.size() / 2);
    const bool ok = sf_writef_float(f, s.data(), frames) == frames;
    sf_close(f);
    return ok;
}

// 60 s of a chord with a moving melody, as MP3.
const std::filesystem::path& SongMp3() {
    static const std::filesystem::path path = [] {
        const auto p = BenchFolder() / "song60.mp3";
        const std::size_t frames = 60 * kRate;
        std::vector<float> s(frames * 2);
        for (std::size_t i = 0; i < frames; ++i) {
            const double t = double(i) / kRate;
            const double melody = 440.0 * std::pow(2.0, std::floor(std::fmod(t * 2, 12)) / 12);
            const double centre = 0.3 * std::sin(2 * std::numbers::pi * melody * t);
            const double l = 0.2 * std::sin(2 * std::numbers::pi * 110 * t);
            const double r = 0.2 * std::sin(2 * std::numbers::pi * 165 * t);
            s[2 * i] = float(centre + l);
            s[2 * i + 1] = float(centre + r);
        }
        Write(p, s, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
        return p;
    }();
    return path;
}

void FullChain(benchmark::State& state, cx::PitchEngine pitch) {
    const auto& song = SongMp3();
    std::atomic<bool> vocalCut{true};
    double audioSeconds = 0, wallSeconds = 0;
    for (auto _ : state) {
        cx::AudioEngine engine(kRate, pitch);
        const auto ch = engine.TempoCreate(engine.StreamCreateFile(song.string(), true, true));
        const auto bass = engine.ChannelSetFX(ch, cx::FxType::ParamEq, 0);
        const auto treble = engine.ChannelSetFX(ch, cx::FxType::ParamEq, 0);
        engine.FXSetParameters(bass, cx::EqParameters{125, 18, 6});
        engine.FXSetParameters(treble, cx::EqParameters{10000, 18, -6});
        engine.ChannelSetDSP(ch, &cx::CutVocal, &vocalCut, 0);
        engine.TempoSet(ch, 20.0f, 2.0f);
        const auto r = cx::OfflineRenderer(engine).Run(ch, -1, [](const float* d, std::size_t) {
            benchmark::DoNotOptimize(d);
            return true;
        });
        audioSeconds += double(engine.LengthFrames(ch)) / kRate;
        wallSeconds += r.seconds;
    }
    state.counters["real_time_factor"] = wallSeconds > 0 ? audioSeconds / wallSeconds : 0;
}

void BM_FullChainSoundTouch(benchmark::State& s) {
    FullChain(s, cx::PitchEngine::SoundTouch);
}
void BM_FullChainRubberBand(benchmark::State& s) {
    FullChain(s, cx::PitchEngine::RubberBand);
}
BENCHMARK(BM_FullChainSoundTouch)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FullChainRubberBand)->Unit(benchmark::kMillisecond)->Iterations(1);

// A ramp: the left sample of frame i is i / 2^24, exact in float.
const std::filesystem::path& RampWav() {
    static const std::filesystem::path path = [] {
        const auto p = BenchFolder() / "ramp.wav";
        const std::size_t frames = 10 * kRate;
        std::vector<float> s(frames * 2);
        for (std::size_t i = 0; i < frames; ++i) s[2 * i] = float(i) / float(1 << 24);
        Write(p, s, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        return p;
    }();
    return path;
}

// Reported position against the frame that leaves the null device, sampled
// every few milliseconds over three seconds of playback.
void BM_NullDevicePositionError(benchmark::State& state) {
    double sum = 0, worst = 0;
    int samples = 0;
    for (auto _ : state) {
        cx::AudioEngine engine(kRate);
        const auto ch =
            engine.TempoCreate(engine.StreamCreateFile(RampWav().string(), true, false));
        cx::NullDevice device(engine, 512, 4);
        std::string error;
        device.Start(error);
        engine.ChannelPlay(ch);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            const double reported = double(engine.PositionFrames(ch));
            const double leaving = double(device.LeavingSample()) * double(1 << 24);
            const double errorMs = std::fabs(reported - leaving) * 1000.0 / kRate;
            sum += errorMs;
            worst = std::max(worst, errorMs);
            ++samples;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        device.Stop();
    }
    state.counters["mean_error_ms"] = samples ? sum / samples : 0;
    state.counters["max_error_ms"] = worst;
}
BENCHMARK(BM_NullDevicePositionError)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
