#include "playback/TimeStretcher.h"

#include <rubberband/RubberBandStretcher.h>
#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace cx {

PitchEngine ParsePitchEngine(const std::string& name, bool* known) {
    if (known) *known = name == "soundtouch" || name == "rubberband";
    return name == "rubberband" ? PitchEngine::RubberBand : PitchEngine::SoundTouch;
}

const char* PitchEngineName(PitchEngine engine) {
    return engine == PitchEngine::RubberBand ? "rubberband" : "soundtouch";
}

namespace {

class SoundTouchStretcher final : public TimeStretcher {
public:
    explicit SoundTouchStretcher(int sampleRate) {
        m_st.setSampleRate(static_cast<unsigned>(sampleRate));
        m_st.setChannels(2);
        SetParameters(1.0, 0.0, 1.0);
    }

    void SetParameters(double tempo, double semitones, double rate) override {
        if (tempo == m_tempo && semitones == m_semitones && rate == m_rate) return;
        m_tempo = tempo;
        m_semitones = semitones;
        m_rate = rate;
        m_st.setTempo(tempo);
        m_st.setPitchSemiTones(semitones);
        m_st.setRate(rate);
    }
    void Feed(const float* stereo, std::size_t frames) override {
        m_st.putSamples(stereo, static_cast<unsigned>(frames));
    }
    std::size_t Retrieve(float* stereo, std::size_t frames) override {
        return m_st.receiveSamples(stereo, static_cast<unsigned>(frames));
    }
    void Flush() override { m_st.flush(); }
    void Reset() override { m_st.clear(); }
    std::size_t LatencyFrames() const override {
        auto& st = const_cast<soundtouch::SoundTouch&>(m_st);
        return static_cast<std::size_t>(std::max(0, st.getSetting(SETTING_INITIAL_LATENCY)));
    }

private:
    soundtouch::SoundTouch m_st;
    double m_tempo = 0, m_semitones = 1, m_rate = 0;
};

// Rubber Band's R3 engine in real-time mode. Its planar buffers are
// allocated here once; the start pad and start delay are handled so that the
// first output frame lines up with the first input frame.
class RubberBandStretcherImpl final : public TimeStretcher {
public:
    explicit RubberBandStretcherImpl(int sampleRate)
        : m_rb(static_cast<std::size_t>(sampleRate), 2,
               RubberBand::RubberBandStretcher::OptionProcessRealTime |
                   RubberBand::RubberBandStretcher::OptionEngineFiner |
                   RubberBand::RubberBandStretcher::OptionPitchHighConsistency) {
        for (auto& ch : m_planar) ch.assign(kMaxBlock, 0.0f);
        m_rb.setMaxProcessSize(kMaxBlock);
        Reset();
    }

    void SetParameters(double tempo, double semitones, double rate) override {
        // Output length = input / (tempo x rate); pitch corrected for the rate.
        const double timeRatio = 1.0 / (tempo * rate);
        m_timeRatio = timeRatio;
        const double pitchScale = std::pow(2.0, semitones / 12.0) * rate;
        if (timeRatio != m_rb.getTimeRatio()) m_rb.setTimeRatio(timeRatio);
        if (pitchScale != m_rb.getPitchScale()) m_rb.setPitchScale(pitchScale);
    }

    void Feed(const float* stereo, std::size_t frames) override {
        if (m_pad > 0) {
            // Silence before the first input, as the library prefers.
            for (auto& ch : m_planar) std::fill(ch.begin(), ch.end(), 0.0f);
            while (m_pad > 0) {
                const std::size_t n = std::min(m_pad, kMaxBlock);
                Process(n, false);
                m_pad -= n;
            }
        }
        frames = std::min(frames, kMaxBlock);
        m_expectedOut += static_cast<double>(frames) * m_timeRatio;
        for (std::size_t i = 0; i < frames; ++i) {
            m_planar[0][i] = stereo[2 * i];
            m_planar[1][i] = stereo[2 * i + 1];
        }
        Process(frames, false);
    }

    std::size_t Retrieve(float* stereo, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            const int avail = m_rb.available();
            if (avail <= 0) break;
            std::size_t want =
                std::min({frames - done, kMaxBlock, static_cast<std::size_t>(avail)});
            if (m_flushed) {
                // After the end only as much as the input makes, not the padding.
                const double left = std::floor(m_expectedOut) - static_cast<double>(m_emitted);
                if (left <= 0) break;
                want = std::min(want, static_cast<std::size_t>(left) + m_skip);
            }
            float* ptrs[2] = {m_planar[0].data(), m_planar[1].data()};
            const std::size_t got = m_rb.retrieve(ptrs, want);
            std::size_t skip = std::min(got, m_skip);
            m_skip -= skip;
            for (std::size_t i = skip; i < got; ++i) {
                stereo[2 * done] = m_planar[0][i];
                stereo[2 * done + 1] = m_planar[1][i];
                ++done;
            }
            m_emitted += got - skip;
            if (got == 0) break;
        }
        return done;
    }

    void Flush() override {
        // Silence pushes the last of the input through the engine's delay.
        for (auto& ch : m_planar) std::fill(ch.begin(), ch.end(), 0.0f);
        std::size_t tail = m_rb.getStartDelay() + m_rb.getPreferredStartPad() + kMaxBlock;
        while (tail > 0) {
            const std::size_t n = std::min(tail, kMaxBlock);
            Process(n, false);
            tail -= n;
        }
        Process(0, true);
        m_flushed = true;
    }

    void Reset() override {
        m_rb.reset();
        m_pad = m_rb.getPreferredStartPad();
        m_skip = m_rb.getStartDelay();
        m_expectedOut = 0;
        m_emitted = 0;
        m_flushed = false;
    }

    std::size_t LatencyFrames() const override { return m_rb.getStartDelay(); }

private:
    void Process(std::size_t frames, bool final) {
        const float* ptrs[2] = {m_planar[0].data(), m_planar[1].data()};
        m_rb.process(ptrs, frames, final);
    }

    RubberBand::RubberBandStretcher m_rb;
    std::array<std::vector<float>, 2> m_planar;
    std::size_t m_pad = 0;
    std::size_t m_skip = 0;
    double m_timeRatio = 1.0;
    double m_expectedOut = 0;  // output frames the input fed so far makes
    std::size_t m_emitted = 0;
    bool m_flushed = false;
};

}  // namespace

std::unique_ptr<TimeStretcher> TimeStretcher::Create(PitchEngine engine, int sampleRate) {
    if (engine == PitchEngine::RubberBand)
        return std::make_unique<RubberBandStretcherImpl>(sampleRate);
    return std::make_unique<SoundTouchStretcher>(sampleRate);
}

}  // namespace cx
