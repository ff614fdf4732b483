#include "scoring/Latency.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace cx {
namespace {

constexpr double kBlockSeconds = 0.002;
// A clap is this many times louder than the quietest moment just before it.
constexpr double kClapRise = 8.0;
constexpr double kMinClapLevel = 0.05;
constexpr double kNoiseFloor = 1e-4;
// The quiet before a clap is looked for over this many blocks (20 ms).
constexpr std::size_t kFloorBlocks = 10;
// A clap rings on: no new clap is taken this soon after one.
constexpr double kClapRingSeconds = 0.08;

double BlockPeak(const float* s, std::size_t from, std::size_t to) {
    float peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(s[i]));
    return peak;
}

// Onsets in the recording between `from` and `until` seconds, in seconds.
std::vector<double> Onsets(const float* s, std::size_t count, int rate, double from, double until) {
    const auto block = std::max<std::size_t>(1, static_cast<std::size_t>(rate * kBlockSeconds));
    // The floor is taken from before the window as well, so a clap at its
    // very start is still a rise.
    const double lead = kFloorBlocks * kBlockSeconds;
    std::size_t at = static_cast<std::size_t>(std::max(0.0, from - lead) * rate);
    const auto start = static_cast<std::size_t>(std::max(0.0, from) * rate);
    const auto end = std::min(count, static_cast<std::size_t>(std::max(0.0, until) * rate));
    std::array<double, kFloorBlocks> recent;
    recent.fill(1.0);
    std::size_t seen = 0;
    std::size_t quietUntil = 0;
    std::vector<double> out;
    for (; at + block <= end; at += block) {
        const double peak = BlockPeak(s, at, at + block);
        const double floor = *std::min_element(recent.begin(), recent.end());
        if (at >= start && at >= quietUntil && peak >= kMinClapLevel && peak >= kClapRise * floor) {
            out.push_back(static_cast<double>(at) / rate);
            quietUntil = at + static_cast<std::size_t>(kClapRingSeconds * rate);
        }
        recent[seen++ % kFloorBlocks] = std::max(kNoiseFloor, peak);
    }
    return out;
}

}  // namespace

double Median(std::vector<double> v) {
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

CalibrationResult MeasureLatency(const float* samples, std::size_t count, int sampleRate,
                                 const std::vector<double>& beepSeconds) {
    CalibrationResult r;
    r.Beeps = static_cast<int>(beepSeconds.size());
    std::vector<std::vector<double>> heard;  // delays of the claps after each beep
    std::vector<double> first;
    for (double beep : beepSeconds) {
        std::vector<double> delays;
        for (double t : Onsets(samples, count, sampleRate, beep - kEarlyClapSeconds,
                               beep + kMaxCalibrationSeconds))
            delays.push_back(t - beep);
        if (!delays.empty()) first.push_back(delays.front());
        heard.push_back(std::move(delays));
    }
    if (first.empty()) {
        r.Reason = "CalibrateNoClaps";
        return r;
    }
    // Each beep's clap is the one nearest what most beeps agree on.
    const double agreed = Median(first);
    std::vector<double> chosen;
    for (const auto& delays : heard) {
        if (delays.empty()) continue;
        chosen.push_back(*std::min_element(
            delays.begin(), delays.end(),
            [agreed](double a, double b) { return std::abs(a - agreed) < std::abs(b - agreed); }));
    }
    r.Answered = static_cast<int>(chosen.size());
    r.DelaySeconds = Median(chosen);
    std::vector<double> distance;
    for (double d : chosen) distance.push_back(std::abs(d - r.DelaySeconds));
    r.SpreadSeconds = Median(distance);
    if (r.Answered < std::max(kMinAnsweredBeeps, (r.Beeps + 1) / 2))
        r.Reason = "CalibrateTooFewClaps";
    else if (r.SpreadSeconds > kMaxCalibrationSpread)
        r.Reason = "CalibrateUneven";
    r.Ok = r.Reason.empty();
    return r;
}

}  // namespace cx
