#include "loudness/LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace cx {

struct LoudnessMeter::State {
    ebur128_state* st = nullptr;
};

LoudnessMeter::LoudnessMeter(int sampleRate, int channels) : m_channels(channels) {
    if (sampleRate < kMinRate || sampleRate > kMaxRate || channels < 1 || channels > 2) return;
    ebur128_state* st =
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                     EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (st) m_state = new State{st};
}

LoudnessMeter::~LoudnessMeter() {
    if (!m_state) return;
    ebur128_destroy(&m_state->st);
    delete m_state;
}

void LoudnessMeter::Add(const float* interleaved, std::size_t frames) {
    if (m_state && frames > 0) ebur128_add_frames_float(m_state->st, interleaved, frames);
}

LoudnessReading LoudnessMeter::Reading() const {
    constexpr double kMinusInf = -std::numeric_limits<double>::infinity();
    LoudnessReading r{kMinusInf, kMinusInf};
    if (!m_state) return r;
    double global = kMinusInf;
    if (ebur128_loudness_global(m_state->st, &global) == EBUR128_SUCCESS && std::isfinite(global))
        r.integratedLufs = global;
    double peak = 0;
    for (int c = 0; c < m_channels; ++c) {
        double p = 0;
        if (ebur128_true_peak(m_state->st, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    if (peak > 0) r.truePeakDbtp = 20.0 * std::log10(peak);
    return r;
}

}  // namespace cx
