// Parametric (peaking) equaliser on float stereo, retuned live without clicks.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace cx {

// What the caller sets: centre frequency, bandwidth in semitones, gain in dB.
struct EqParameters {
    float centreHz = 1000.0f;
    float bandwidthSemitones = 12.0f;
    float gainDb = 0.0f;
};

class PeakingEqualiser {
public:
    static constexpr float kMinGainDb = -15.0f;
    static constexpr float kMaxGainDb = 15.0f;

    explicit PeakingEqualiser(int sampleRate);

    // Any thread; the audio thread picks the change up at its next block.
    void SetParameters(const EqParameters& p);
    EqParameters GetParameters() const;

    // Audio thread: filters in place.
    void Process(float* stereo, std::size_t frames);
    void Reset();

private:
    struct Coefficients {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };
    Coefficients Design(double centre, double bandwidth, double gainDb) const;

    const int m_rate;
    std::atomic<float> m_centre{1000.0f};
    std::atomic<float> m_bandwidth{12.0f};
    std::atomic<float> m_gain{0.0f};

    // Audio-thread state: the gain actually in use glides toward the target.
    double m_currentGain = 0.0;
    double m_currentCentre = -1.0;
    double m_currentBandwidth = -1.0;
    Coefficients m_c;
    std::array<double, 4> m_z{};  // two direct form II transposed states per channel
};

}  // namespace cx
