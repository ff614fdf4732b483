#include "playback/GainStage.h"

#include <algorithm>
#include <cmath>

namespace cx {

namespace {
// Closer than this the glide is done: the last steps would be inaudible and
// would only keep the loop busy.
constexpr float kCloseEnough = 1e-5f;
}  // namespace

GainStage::GainStage(int sampleRate)
    : m_step(static_cast<float>(1.0 - std::exp(-1.0 / (kGlideSeconds * std::max(1, sampleRate))))) {
}

void GainStage::SetTarget(float linearGain, bool immediate) {
    m_target.store(std::max(0.0f, linearGain), std::memory_order_relaxed);
    if (immediate) m_jumps.fetch_add(1, std::memory_order_release);
}

void GainStage::Process(float* stereo, std::size_t frames) {
    const std::uint32_t jumps = m_jumps.load(std::memory_order_acquire);
    const float target = m_target.load(std::memory_order_relaxed);
    if (jumps != m_jumpsSeen) {
        m_jumpsSeen = jumps;
        m_gain = target;
    }
    if (m_gain == target) {
        if (m_gain != 1.0f) {
            for (std::size_t i = 0; i < 2 * frames; ++i) stereo[i] *= m_gain;
        }
    } else {
        for (std::size_t i = 0; i < frames; ++i) {
            m_gain += (target - m_gain) * m_step;
            if (std::fabs(target - m_gain) < kCloseEnough) m_gain = target;
            stereo[2 * i] *= m_gain;
            stereo[2 * i + 1] *= m_gain;
        }
    }
    m_applied.store(m_gain, std::memory_order_relaxed);
}

}  // namespace cx
