// The four effects of the voice channel as the user set them, and the
// effect parameters they stand for.
#pragma once

#include <array>
#include <string>

#include "playback/Effects.h"

namespace cx {

// Index 1 reverb, 2 echo, 3 chorus, 4 flanger.
inline constexpr int kVoiceEffectCount = 4;

struct VoiceEffect {
    bool On = false;
    int Amount = 50;  // 0..100, the amount thumb
    int Value = 0;    // derived from Amount (EffectValue)
};

class VoiceEffectSet {
public:
    VoiceEffectSet();
    // Index 1..4; anything else gives a spare record that nothing reads.
    VoiceEffect& operator[](int index);
    const VoiceEffect& operator[](int index) const;
    // Sets Amount and derives Value.
    void SetAmount(int index, int amount);

    // The "dsp out" setting: four pairs of switch and amount, "0,50,0,50,0,50,0,50"
    // by default. Missing or broken numbers keep their defaults.
    static VoiceEffectSet FromDspOut(const std::string& text);
    std::string ToDspOut() const;

private:
    std::array<VoiceEffect, kVoiceEffectCount + 1> m_records;  // [0] is the spare
};

// Engine effect type of voice effect `index`, in the order the voice channel adds them.
FxType VoiceEffectType(int index);
// `current` with the fields of effect `index` set for `value` (SetEffects).
FxParameters VoiceEffectOn(int index, int value, FxParameters current);
// `current` with the fields set that make effect `index` inaudible (RemRffect).
FxParameters VoiceEffectOff(int index, FxParameters current);

}  // namespace cx
