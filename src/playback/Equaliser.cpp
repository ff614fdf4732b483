#include "playback/Equaliser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cx {
namespace {
// Frames between coefficient updates while the gain glides.
constexpr std::size_t kGlideStep = 32;
// dB the gain moves per glide step (about 22 ms for the full 30 dB at 44.1 kHz).
constexpr double kGlideDbPerStep = 1.0;
}  // namespace

PeakingEqualiser::PeakingEqualiser(int sampleRate) : m_rate(sampleRate > 0 ? sampleRate : 44100) {}

void PeakingEqualiser::SetParameters(const EqParameters& p) {
    m_centre.store(std::clamp(p.centreHz, 20.0f, 22000.0f));
    m_bandwidth.store(std::clamp(p.bandwidthSemitones, 1.0f, 36.0f));
    m_gain.store(std::clamp(p.gainDb, kMinGainDb, kMaxGainDb));
}

EqParameters PeakingEqualiser::GetParameters() const {
    return {m_centre.load(), m_bandwidth.load(), m_gain.load()};
}

// The usual peaking biquad; the bandwidth is that of the analogue prototype
// (octaves between the half-gain points), so a treble boost stays off the
// middle of the range.
PeakingEqualiser::Coefficients PeakingEqualiser::Design(double centre, double bandwidth,
                                                        double gainDb) const {
    centre = std::min(centre, 0.45 * m_rate);  // stays below Nyquist at low rates
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * centre / m_rate;
    const double octaves = bandwidth / 12.0;
    const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2.0 * octaves);
    const double a0 = 1.0 + alpha / a;
    Coefficients c;
    c.b0 = (1.0 + alpha * a) / a0;
    c.b1 = -2.0 * std::cos(w0) / a0;
    c.b2 = (1.0 - alpha * a) / a0;
    c.a1 = c.b1;
    c.a2 = (1.0 - alpha / a) / a0;
    return c;
}

void PeakingEqualiser::Process(float* stereo, std::size_t frames) {
    const double targetGain = m_gain.load(std::memory_order_relaxed);
    const double centre = m_centre.load(std::memory_order_relaxed);
    const double bandwidth = m_bandwidth.load(std::memory_order_relaxed);
    if (centre != m_currentCentre || bandwidth != m_currentBandwidth) {
        m_currentCentre = centre;
        m_currentBandwidth = bandwidth;
        m_c = Design(centre, bandwidth, m_currentGain);
    }
    std::size_t i = 0;
    while (i < frames) {
        if (m_currentGain != targetGain) {
            const double step =
                std::clamp(targetGain - m_currentGain, -kGlideDbPerStep, kGlideDbPerStep);
            m_currentGain += step;
            m_c = Design(centre, bandwidth, m_currentGain);
        }
        if (m_currentGain == 0.0 && m_z[0] == 0.0 && m_z[1] == 0.0 && m_z[2] == 0.0 &&
            m_z[3] == 0.0) {
            return;  // flat and settled: leave the samples bit-exact
        }
        const std::size_t end = std::min(frames, i + kGlideStep);
        for (; i < end; ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                double* z = &m_z[2 * ch];
                const double x = stereo[2 * i + ch];
                const double y = m_c.b0 * x + z[0];
                z[0] = m_c.b1 * x - m_c.a1 * y + z[1];
                z[1] = m_c.b2 * x - m_c.a2 * y;
                // Flush tiny states so silence never turns denormal.
                if (std::fabs(z[0]) < 1e-25) z[0] = 0.0;
                if (std::fabs(z[1]) < 1e-25) z[1] = 0.0;
                stereo[2 * i + ch] = static_cast<float>(y);
            }
        }
    }
}

void PeakingEqualiser::Reset() {
    m_z = {};
}

}  // namespace cx
