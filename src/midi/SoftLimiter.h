// Keeps the synth's output below full scale. The gain drops at once when a
// sample would pass the ceiling (no delay line, so no added latency) and
// recovers smoothly; below the ceiling the sound passes untouched.
// Real-time safe: no locks, no allocation.
#pragma once

#include <cstddef>

namespace cx {

inline constexpr float kLimiterCeiling = 0.944f;  // -0.5 dBFS
inline constexpr double kLimiterReleaseSeconds = 0.2;

class SoftLimiter {
public:
    explicit SoftLimiter(int sampleRate = 44100) { SetSampleRate(sampleRate); }
    void SetSampleRate(int sampleRate);
    void Reset() { m_gain = 1.0f; }
    // In place, interleaved stereo.
    void Process(float* interleavedStereo, std::size_t frames);
    float Gain() const { return m_gain; }

private:
    float m_gain = 1.0f;
    float m_recover = 0.0f;  // share of the way back to unity gain per frame
};

}  // namespace cx
