// Integrated loudness (EBU R128, gated) and true peak of interleaved float
// frames, through libebur128.
#pragma once

#include <cstddef>

#include "loudness/Loudness.h"

namespace cx {

class LoudnessMeter {
public:
    // Sample rates libebur128 takes.
    static constexpr int kMinRate = 8000;
    static constexpr int kMaxRate = 384000;

    // libebur128 could be opened (it is, on the first call).
    static bool Available();

    // `channels` 1 or 2; a rate outside the range, or no libebur128, leaves
    // the meter not Ok().
    LoudnessMeter(int sampleRate, int channels);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    bool Ok() const { return m_state != nullptr; }
    void Add(const float* interleaved, std::size_t frames);
    LoudnessReading Reading() const;

private:
    struct State;  // libebur128's, kept out of this header
    State* m_state = nullptr;
    int m_channels = 0;
};

}  // namespace cx
