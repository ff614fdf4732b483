#include "midi/SoftLimiter.h"

#include <algorithm>
#include <cmath>

namespace cx {

void SoftLimiter::SetSampleRate(int sampleRate) {
    const double frames = kLimiterReleaseSeconds * std::max(1, sampleRate);
    m_recover = static_cast<float>(1.0 - std::exp(-1.0 / frames));
}

void SoftLimiter::Process(float* s, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        float& l = s[2 * i];
        float& r = s[2 * i + 1];
        // A broken voice must not poison the gain.
        if (!std::isfinite(l)) l = 0.0f;
        if (!std::isfinite(r)) r = 0.0f;
        const float peak = std::max(std::fabs(l), std::fabs(r));
        if (peak * m_gain > kLimiterCeiling) m_gain = kLimiterCeiling / peak;
        l *= m_gain;
        r *= m_gain;
        m_gain += (1.0f - m_gain) * m_recover;
    }
}

}  // namespace cx
