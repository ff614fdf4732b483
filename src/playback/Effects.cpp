#include "playback/Effects.h"

#include "playback/SeqValue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <type_traits>

namespace cx {
namespace {

// Loop values are held inside this so that nothing can build up without bound.
constexpr float kLoopLimit = 4.0f;
// Values this small are flushed so that decaying tails never turn denormal.
constexpr float kDenormalFloor = 1e-20f;
constexpr float kMaxFeedback = 0.99f;

float Flush(float v) {
    return std::fabs(v) < kDenormalFloor ? 0.0f : v;
}
float Limit(float v) {
    return std::clamp(Flush(v), -kLoopLimit, kLoopLimit);
}
float DbToGain(float db) {
    return db <= -96.0f ? 0.0f : std::pow(10.0f, db / 20.0f);
}

// A fixed-size delay line, allocated once.
class DelayLine {
public:
    void Allocate(std::size_t frames) {
        m_buffer.assign(frames + 2, 0.0f);
        m_pos = 0;
    }
    void Clear() { std::fill(m_buffer.begin(), m_buffer.end(), 0.0f); }
    void Push(float v) {
        m_buffer[m_pos] = v;
        m_pos = (m_pos + 1) % m_buffer.size();
    }
    // The value `delay` frames ago (fractional, linear interpolation), 1..size.
    float Read(double delay) const {
        const double d = std::clamp(delay, 1.0, static_cast<double>(m_buffer.size() - 1));
        const auto whole = static_cast<std::size_t>(d);
        const double frac = d - static_cast<double>(whole);
        const std::size_t n = m_buffer.size();
        const float a = m_buffer[(m_pos + n - whole) % n];
        const float b = m_buffer[(m_pos + n - whole - 1) % n];
        return static_cast<float>(a + (b - a) * frac);
    }

private:
    std::vector<float> m_buffer;
    std::size_t m_pos = 0;
};

template <class Params>
using SharedParameters = SeqValue<Params>;

class EqEffect final : public Effect {
public:
    explicit EqEffect(int rate) : m_eq(rate) {}
    FxType Type() const override { return FxType::ParamEq; }
    bool SetParameters(const FxParameters& p) override {
        if (!std::holds_alternative<EqParameters>(p)) return false;
        m_eq.SetParameters(std::get<EqParameters>(p));
        return true;
    }
    FxParameters GetParameters() const override { return m_eq.GetParameters(); }
    void Process(float* s, std::size_t n) override { m_eq.Process(s, n); }
    void Reset() override { m_eq.Reset(); }

private:
    PeakingEqualiser m_eq;
};

// Schroeder-style reverb: parallel damped combs into series allpasses, per side.
class ReverbEffect final : public Effect {
public:
    explicit ReverbEffect(int rate) : m_rate(rate) {
        for (int ch = 0; ch < 2; ++ch) {
            for (std::size_t i = 0; i < kCombs; ++i) {
                m_combs[ch][i].Allocate(Scaled(kCombLengths[i] + ch * kStereoSpread));
            }
            for (std::size_t i = 0; i < kAllpasses; ++i) {
                m_allpasses[ch][i].Allocate(Scaled(kAllpassLengths[i] + ch * kStereoSpread));
            }
        }
        m_params.Store(ReverbParameters{});
    }
    FxType Type() const override { return FxType::Reverb; }
    bool SetParameters(const FxParameters& p) override {
        if (!std::holds_alternative<ReverbParameters>(p)) return false;
        ReverbParameters r = std::get<ReverbParameters>(p);
        r.inGainDb = std::clamp(r.inGainDb, -96.0f, 0.0f);
        r.reverbMixDb = std::clamp(r.reverbMixDb, -96.0f, 0.0f);
        r.reverbTimeMs = std::clamp(r.reverbTimeMs, 0.001f, 3000.0f);
        r.highFreqRtRatio = std::clamp(r.highFreqRtRatio, 0.001f, 0.999f);
        m_params.Store(r);
        return true;
    }
    FxParameters GetParameters() const override { return m_params.Load(); }

    void Process(float* s, std::size_t frames) override {
        if (m_params.Refresh(m_local, m_seen)) Prepare();
        if (m_mix == 0.0f && m_idle) return;
        for (std::size_t i = 0; i < frames; ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                const float dry = s[2 * i + ch];
                const float in = dry * m_inGain * kInputScale;
                float wet = 0.0f;
                for (std::size_t c = 0; c < kCombs; ++c) {
                    const float delayed = m_combs[ch][c].Read(m_combDelay[ch][c]);
                    float& lp = m_damp[ch][c];
                    lp = Flush(delayed + (lp - delayed) * m_damping);
                    m_combs[ch][c].Push(Limit(in + lp * m_feedback[c]));
                    wet += delayed;
                }
                for (std::size_t a = 0; a < kAllpasses; ++a) {
                    const float delayed = m_allpasses[ch][a].Read(m_allpassDelay[ch][a]);
                    const float v = Limit(wet + delayed * kAllpassGain);
                    m_allpasses[ch][a].Push(v);
                    wet = delayed - v * kAllpassGain;
                }
                s[2 * i + ch] = dry * (1.0f - m_mix) + wet * m_mix;
            }
        }
        m_idle = false;
    }
    void Reset() override {
        for (auto& side : m_combs)
            for (auto& d : side) d.Clear();
        for (auto& side : m_allpasses)
            for (auto& d : side) d.Clear();
        m_damp = {};
        m_idle = true;
    }

private:
    static constexpr std::size_t kCombs = 4;
    static constexpr std::size_t kAllpasses = 2;
    // Lengths in frames at 44.1 kHz, mutually prime to avoid flutter.
    static constexpr std::array<int, kCombs> kCombLengths{1116, 1277, 1422, 1557};
    static constexpr std::array<int, kAllpasses> kAllpassLengths{556, 341};
    static constexpr int kStereoSpread = 23;
    static constexpr float kAllpassGain = 0.5f;
    static constexpr float kInputScale = 0.25f;

    std::size_t Scaled(int frames44k) const {
        return static_cast<std::size_t>(frames44k * static_cast<double>(m_rate) / 44100.0) + 1;
    }
    void Prepare() {
        m_mix = DbToGain(m_local.reverbMixDb);
        m_inGain = DbToGain(m_local.inGainDb);
        m_damping = 1.0f - m_local.highFreqRtRatio;
        for (int ch = 0; ch < 2; ++ch) {
            for (std::size_t c = 0; c < kCombs; ++c) {
                m_combDelay[ch][c] =
                    static_cast<double>(Scaled(kCombLengths[c] + ch * kStereoSpread) - 1);
            }
            for (std::size_t a = 0; a < kAllpasses; ++a) {
                m_allpassDelay[ch][a] =
                    static_cast<double>(Scaled(kAllpassLengths[a] + ch * kStereoSpread) - 1);
            }
        }
        for (std::size_t c = 0; c < kCombs; ++c) {
            // Decay by 60 dB over the reverb time, never reaching unity.
            const double seconds = m_combDelay[0][c] / m_rate;
            const double g = std::pow(10.0, -3.0 * seconds / (m_local.reverbTimeMs / 1000.0));
            m_feedback[c] = static_cast<float>(std::min(g, static_cast<double>(kMaxFeedback)));
        }
    }

    const int m_rate;
    SharedParameters<ReverbParameters> m_params;
    ReverbParameters m_local{};
    unsigned m_seen = 0;
    float m_mix = 0, m_inGain = 1, m_damping = 0;
    bool m_idle = true;
    std::array<float, kCombs> m_feedback{};
    std::array<std::array<DelayLine, kCombs>, 2> m_combs;
    std::array<std::array<DelayLine, kAllpasses>, 2> m_allpasses;
    std::array<std::array<double, kCombs>, 2> m_combDelay{};
    std::array<std::array<double, kAllpasses>, 2> m_allpassDelay{};
    std::array<std::array<float, kCombs>, 2> m_damp{};
};

class EchoEffect final : public Effect {
public:
    explicit EchoEffect(int rate) : m_rate(rate) {
        for (auto& line : m_lines) line.Allocate(static_cast<std::size_t>(rate * 2.0) + 2);
        m_params.Store(EchoParameters{});
    }
    FxType Type() const override { return FxType::Echo; }
    bool SetParameters(const FxParameters& p) override {
        if (!std::holds_alternative<EchoParameters>(p)) return false;
        EchoParameters e = std::get<EchoParameters>(p);
        e.wetDryMix = std::clamp(e.wetDryMix, 0.0f, 100.0f);
        e.feedback = std::clamp(e.feedback, 0.0f, 100.0f);
        e.leftDelayMs = std::clamp(e.leftDelayMs, 1.0f, 2000.0f);
        e.rightDelayMs = std::clamp(e.rightDelayMs, 1.0f, 2000.0f);
        e.panDelay = e.panDelay ? 1 : 0;
        m_params.Store(e);
        return true;
    }
    FxParameters GetParameters() const override { return m_params.Load(); }
    void Process(float* s, std::size_t frames) override {
        m_params.Refresh(m_p, m_seen);
        const float wet = m_p.wetDryMix / 100.0f;
        const float fb = std::min(m_p.feedback / 100.0f, kMaxFeedback);
        const double delays[2] = {m_p.leftDelayMs * m_rate / 1000.0,
                                  m_p.rightDelayMs * m_rate / 1000.0};
        for (std::size_t i = 0; i < frames; ++i) {
            float delayed[2] = {m_lines[0].Read(delays[0]), m_lines[1].Read(delays[1])};
            for (int ch = 0; ch < 2; ++ch) {
                const float dry = s[2 * i + ch];
                // With pan delay each repeat feeds the other side.
                const float back = delayed[m_p.panDelay ? 1 - ch : ch];
                m_lines[ch].Push(Limit(dry + back * fb));
                s[2 * i + ch] = dry * (1.0f - wet) + delayed[ch] * wet;
            }
        }
    }
    void Reset() override {
        for (auto& line : m_lines) line.Clear();
    }

private:
    const int m_rate;
    SharedParameters<EchoParameters> m_params;
    EchoParameters m_p{};
    unsigned m_seen = 0;
    std::array<DelayLine, 2> m_lines;
};

// Chorus and flanger: a delay swept by a low-frequency oscillator.
class ModulationEffect final : public Effect {
public:
    ModulationEffect(FxType type, int rate)
        : m_type(type), m_rate(rate), m_maxDelayMs(type == FxType::Flanger ? 4.0f : 20.0f) {
        // Room for the longest delay plus the widest sweep.
        for (auto& line : m_lines)
            line.Allocate(static_cast<std::size_t>(rate * 2.0 * m_maxDelayMs / 1000.0) + 4);
        ModulationParameters defaults;
        if (type == FxType::Flanger) {
            defaults = {50.0f, 100.0f, -50.0f, 0.25f, 1, 2.0f, 2};
        }
        m_params.Store(defaults);
    }
    FxType Type() const override { return m_type; }
    bool SetParameters(const FxParameters& p) override {
        if (!std::holds_alternative<ModulationParameters>(p)) return false;
        ModulationParameters m = std::get<ModulationParameters>(p);
        m.wetDryMix = std::clamp(m.wetDryMix, 0.0f, 100.0f);
        m.depth = std::clamp(m.depth, 0.0f, 100.0f);
        m.feedback = std::clamp(m.feedback, -99.0f, 99.0f);
        m.frequencyHz = std::clamp(m.frequencyHz, 0.0f, 10.0f);
        m.waveform = m.waveform ? 1 : 0;
        m.delayMs = std::clamp(m.delayMs, 0.0f, m_maxDelayMs);
        m.phase = std::clamp(m.phase, 0, 4);
        m_params.Store(m);
        return true;
    }
    FxParameters GetParameters() const override { return m_params.Load(); }
    void Process(float* s, std::size_t frames) override {
        m_params.Refresh(m_p, m_seen);
        const float wet = m_p.wetDryMix / 100.0f;
        const float fb = std::clamp(m_p.feedback / 100.0f, -kMaxFeedback, kMaxFeedback);
        const double base = m_p.delayMs * m_rate / 1000.0;
        const double sweep = base * m_p.depth / 100.0;
        const double step = m_p.frequencyHz / m_rate;
        const double offset = (m_p.phase - 2) * 0.25;  // in cycles
        for (std::size_t i = 0; i < frames; ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                const double cycle = m_phase + (ch == 1 ? offset : 0.0);
                const double delay = 1.0 + base + sweep * Lfo(cycle);
                const float delayed = m_lines[ch].Read(delay);
                const float dry = s[2 * i + ch];
                m_lines[ch].Push(Limit(dry + delayed * fb));
                s[2 * i + ch] = dry * (1.0f - wet) + delayed * wet;
            }
            m_phase += step;
            if (m_phase >= 1.0) m_phase -= 1.0;
        }
    }
    void Reset() override {
        for (auto& line : m_lines) line.Clear();
        m_phase = 0.0;
    }

private:
    // 0..1 over one cycle.
    double Lfo(double cycle) const {
        cycle -= std::floor(cycle);
        if (m_p.waveform == 1) return 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * cycle);
        return cycle < 0.5 ? 2.0 * cycle : 2.0 - 2.0 * cycle;
    }

    const FxType m_type;
    const int m_rate;
    const float m_maxDelayMs;
    SharedParameters<ModulationParameters> m_params;
    ModulationParameters m_p{};
    unsigned m_seen = 0;
    double m_phase = 0.0;
    std::array<DelayLine, 2> m_lines;
};

}  // namespace

std::unique_ptr<Effect> Effect::Create(FxType type, int sampleRate) {
    if (sampleRate <= 0) return nullptr;
    switch (type) {
        case FxType::ParamEq:
            return std::make_unique<EqEffect>(sampleRate);
        case FxType::Reverb:
            return std::make_unique<ReverbEffect>(sampleRate);
        case FxType::Echo:
            return std::make_unique<EchoEffect>(sampleRate);
        case FxType::Chorus:
        case FxType::Flanger:
            return std::make_unique<ModulationEffect>(type, sampleRate);
    }
    return nullptr;
}

}  // namespace cx
