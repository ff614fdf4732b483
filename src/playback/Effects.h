// The effects a channel can carry: the parametric equaliser and the four
// voice effects. Parameters keep the meanings and ranges callers know from
// the classic effect records; every value is clamped into its range, and
// feedback stays below unity, so no setting can make an effect run away.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <variant>
#include <vector>

#include "playback/Equaliser.h"

namespace cx {

// Effect type numbers as callers pass them.
enum class FxType { Chorus = 0, Echo = 3, Flanger = 4, ParamEq = 7, Reverb = 8 };

struct ReverbParameters {
    float inGainDb = 0.0f;           // -96..0
    float reverbMixDb = 0.0f;        // -96 (dry) .. 0 (full reverb)
    float reverbTimeMs = 1000.0f;    // 0.001..3000
    float highFreqRtRatio = 0.001f;  // 0.001..0.999
};

struct EchoParameters {
    float wetDryMix = 50.0f;      // 0..100 %
    float feedback = 50.0f;       // 0..100 %
    float leftDelayMs = 500.0f;   // 1..2000
    float rightDelayMs = 500.0f;  // 1..2000
    int panDelay = 0;             // 1 swaps the delays on every repeat
};

// Chorus and flanger share one record; delay ranges differ (20 ms and 4 ms).
struct ModulationParameters {
    float wetDryMix = 50.0f;   // 0..100 %
    float depth = 10.0f;       // 0..100 % of the delay swept by the LFO
    float feedback = 25.0f;    // -99..99 %
    float frequencyHz = 1.1f;  // 0..10
    int waveform = 1;          // 0 triangle, 1 sine
    float delayMs = 16.0f;     // chorus 0..20, flanger 0..4
    int phase = 3;             // 0..4: -180, -90, 0, 90, 180 degrees between the sides
};

using FxParameters =
    std::variant<EqParameters, ReverbParameters, EchoParameters, ModulationParameters>;

class Effect {
public:
    virtual ~Effect() = default;
    // Allocates everything it needs for `sampleRate`; null for an unknown type.
    static std::unique_ptr<Effect> Create(FxType type, int sampleRate);

    virtual FxType Type() const = 0;
    // Any thread. False when the record is of another effect's kind.
    virtual bool SetParameters(const FxParameters& p) = 0;
    virtual FxParameters GetParameters() const = 0;
    // Audio thread: processes float stereo in place; never allocates.
    virtual void Process(float* stereo, std::size_t frames) = 0;
    virtual void Reset() = 0;
};

}  // namespace cx
