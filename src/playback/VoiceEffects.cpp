#include "playback/VoiceEffects.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "playback/ControlMappings.h"

namespace cx {

VoiceEffectSet::VoiceEffectSet() {
    for (int i = 1; i <= kVoiceEffectCount; ++i) SetAmount(i, 50);
}

VoiceEffect& VoiceEffectSet::operator[](int index) {
    return m_records[index >= 1 && index <= kVoiceEffectCount ? index : 0];
}

const VoiceEffect& VoiceEffectSet::operator[](int index) const {
    return m_records[index >= 1 && index <= kVoiceEffectCount ? index : 0];
}

void VoiceEffectSet::SetAmount(int index, int amount) {
    VoiceEffect& r = (*this)[index];
    r.Amount = std::clamp(amount, 0, 100);
    r.Value = EffectValue(index, r.Amount);
}

VoiceEffectSet VoiceEffectSet::FromDspOut(const std::string& text) {
    VoiceEffectSet set;
    std::array<int, 2 * kVoiceEffectCount> numbers{0, 50, 0, 50, 0, 50, 0, 50};
    std::size_t start = 0;
    for (std::size_t i = 0; i < numbers.size() && start <= text.size(); ++i) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        int v = 0;
        const char* first = text.data() + start;
        const auto [ptr, ec] = std::from_chars(first, text.data() + end, v);
        if (ec == std::errc() && ptr == text.data() + end) numbers[i] = v;
        start = end + 1;
    }
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        set[k].On = numbers[2 * (k - 1)] != 0;
        set.SetAmount(k, numbers[2 * (k - 1) + 1]);
    }
    return set;
}

std::string VoiceEffectSet::ToDspOut() const {
    std::ostringstream out;
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        if (k > 1) out << ',';
        out << ((*this)[k].On ? 1 : 0) << ',' << (*this)[k].Amount;
    }
    return out.str();
}

FxType VoiceEffectType(int index) {
    switch (index) {
        case 1:
            return FxType::Reverb;
        case 2:
            return FxType::Echo;
        case 3:
            return FxType::Chorus;
        default:
            return FxType::Flanger;
    }
}

namespace {
template <class T>
T Current(const FxParameters& p) {
    return std::holds_alternative<T>(p) ? std::get<T>(p) : T{};
}
}  // namespace

FxParameters VoiceEffectOn(int index, int value, FxParameters current) {
    const auto v = static_cast<float>(value);
    switch (index) {
        case 1: {
            auto r = Current<ReverbParameters>(current);
            r.reverbMixDb = ReverbMixDb(value);
            return r;
        }
        case 2: {
            auto e = Current<EchoParameters>(current);
            e.wetDryMix = v;
            e.feedback = 50;
            e.leftDelayMs = 266;
            e.rightDelayMs = 266;
            return e;
        }
        case 3: {
            auto c = Current<ModulationParameters>(current);
            c.wetDryMix = v;
            c.depth = static_cast<float>(value / 2);
            c.feedback = 50;
            c.frequencyHz = 1.0f;
            c.delayMs = 20;
            c.phase = 3;
            return c;
        }
        default: {
            auto f = Current<ModulationParameters>(current);
            f.wetDryMix = 50;
            f.depth = 100;
            f.feedback = -50;
            f.frequencyHz = v;
            f.delayMs = 2;
            f.phase = 2;
            return f;
        }
    }
}

FxParameters VoiceEffectOff(int index, FxParameters current) {
    switch (index) {
        case 1: {
            auto r = Current<ReverbParameters>(current);
            r.reverbMixDb = ReverbMixDb(20);
            return r;
        }
        case 2: {
            auto e = Current<EchoParameters>(current);
            e.wetDryMix = 0;
            e.feedback = 0;
            e.leftDelayMs = 0;
            e.rightDelayMs = 0;
            return e;
        }
        default: {
            auto m = Current<ModulationParameters>(current);
            m.wetDryMix = 0;
            m.depth = 0;
            m.feedback = 0;
            m.frequencyHz = 0;
            m.delayMs = index == 3 ? 20.0f : 0.0f;
            m.phase = 0;
            return m;
        }
    }
}

}  // namespace cx
