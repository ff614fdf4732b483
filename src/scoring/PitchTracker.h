// Pitch of a voice, hop by hop, with aubio's YIN-FFT. aubio is opened on
// first use, so the player starts without it; without aubio the tracker
// says why and reports nothing.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace cx {

// One pitch every 10 ms.
inline constexpr double kPitchHopSeconds = 0.01;
// The window the pitch is read from holds this many periods of the lowest
// pitch listened for: enough for YIN, and short enough that vibrato does not
// blur high voices into subharmonics.
inline constexpr double kPitchWindowPeriods = 2.5;
inline constexpr int kMinPitchWindow = 256;
inline constexpr int kMaxPitchWindow = 4096;
// The lowest pitch listened for unless told otherwise (E2, a bass's low note).
inline constexpr double kDefaultLowestPitch = 40.0;
// YIN-FFT's own voicing gate: how clear the period must be (aubio's default).
inline constexpr float kYinFftTolerance = 0.85f;
// Below this confidence a frame counts as unvoiced.
inline constexpr float kMinPitchConfidence = 0.5f;
// Quieter frames are unvoiced (dB full scale).
inline constexpr float kPitchSilenceDb = -50.0f;
// Sung pitches lie here; anything outside is noise (MIDI note numbers).
inline constexpr float kLowestSungPitch = 28.0f;   // E1
inline constexpr float kHighestSungPitch = 96.0f;  // C7

struct PitchFrame {
    double Time = 0;  // seconds of input, at the middle of the window read
    float Pitch = 0;  // MIDI note number, fractional; 0 when unvoiced
    float Confidence = 0;

    bool Voiced() const { return Pitch > 0; }
};

class PitchTracker {
public:
    // `lowestPitch` (MIDI) sets the window: the lower, the longer.
    explicit PitchTracker(int sampleRate, double lowestPitch = kDefaultLowestPitch);
    ~PitchTracker();
    PitchTracker(const PitchTracker&) = delete;
    PitchTracker& operator=(const PitchTracker&) = delete;

    // Whether aubio can be opened on this system.
    static bool AubioAvailable();
    // False (with the reason) when aubio could not be opened.
    bool Ready() const { return m_impl != nullptr; }
    const std::string& Error() const { return m_error; }
    int SampleRate() const { return m_rate; }
    int HopSamples() const { return m_hop; }
    int WindowSamples() const { return m_window; }

    // Mono samples in; calls `out(frame)` for every completed hop. Never
    // allocates once constructed.
    template <class F>
    void Push(const float* samples, std::size_t count, F&& out) {
        while (count > 0) {
            const std::size_t n = Fill(samples, count);
            samples += n;
            count -= n;
            if (m_filled == static_cast<std::size_t>(m_hop)) out(Analyse());
        }
    }

    // Every frame of a whole take.
    std::vector<PitchFrame> Track(const float* samples, std::size_t count);

private:
    struct Impl;
    std::size_t Fill(const float* samples, std::size_t count);
    PitchFrame Analyse();

    int m_rate = 44100;
    int m_hop = 441;
    int m_window = 2048;
    std::vector<float> m_hopBuffer;
    std::size_t m_filled = 0;
    std::size_t m_consumed = 0;  // samples analysed so far
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
};

// Frequency in hertz to a MIDI note number, and back.
double HzToMidi(double hz);
double MidiToHz(double midi);

}  // namespace cx
