#include "scoring/Latency.h"

#include <algorithm>
#include <cmath>

namespace cx {
namespace {

constexpr double kBlockSeconds = 0.002;
// A clap is this many times louder than the quietest moment before it.
constexpr double kClapRise = 8.0;
constexpr double kMinClapLevel = 0.05;

double BlockPeak(const float* s, std::size_t from, std::size_t to) {
    float peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(s[i]));
    return peak;
}

double FirstClapAfter(const float* s, std::size_t count, int rate, double beep) {
    const auto block = std::max<std::size_t>(1, static_cast<std::size_t>(rate * kBlockSeconds));
    const auto from = static_cast<std::size_t>(std::max(0.0, beep) * rate);
    const auto until =
        std::min(count, static_cast<std::size_t>((beep + kMaxCalibrationSeconds) * rate));
    double floor = 1.0;
    for (std::size_t at = from; at + block <= until; at += block) {
        const double peak = BlockPeak(s, at, at + block);
        if (peak >= kMinClapLevel && peak >= kClapRise * floor)
            return static_cast<double>(at) / rate - beep;
        floor = std::max(1e-4, std::min(floor, peak));
    }
    return -1;
}

}  // namespace

double MeasureClapDelay(const float* samples, std::size_t count, int sampleRate,
                        const std::vector<double>& beepSeconds) {
    std::vector<double> delays;
    for (double beep : beepSeconds) {
        const double d = FirstClapAfter(samples, count, sampleRate, beep);
        if (d >= 0) delays.push_back(d);
    }
    if (delays.empty()) return -1;
    std::nth_element(delays.begin(),
                     delays.begin() + static_cast<std::ptrdiff_t>(delays.size() / 2), delays.end());
    return delays[delays.size() / 2];
}

}  // namespace cx
