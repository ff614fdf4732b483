// A voice-like test singer: each note as a sawtooth with vibrato, so the
// tracker hears harmonics and a moving pitch as it does from real voices.
#pragma once

#include <cmath>
#include <vector>

#include "lyrics/SungNotes.h"

namespace cx::test {

inline constexpr int kVoiceRate = 44100;
inline constexpr double kVibratoHz = 5.5;
inline constexpr double kVibratoSemitones = 0.5;  // peak deviation
inline constexpr int kVoiceHarmonics = 30;

// The pitch the singer sings at `t` seconds into a note on `midi`.
inline double VibratoPitch(double midi, double t) {
    return midi + kVibratoSemitones * std::sin(2 * M_PI * kVibratoHz * t);
}

// Appends a sung note of `seconds` on `midi` (fractional) to `out`: a
// sawtooth of the harmonics under half the rate, as a throat makes them.
inline void SingNote(std::vector<float>& out, double midi, double seconds) {
    double phase = 0;
    const auto n = static_cast<std::size_t>(seconds * kVoiceRate);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kVoiceRate;
        const double hz = 440.0 * std::exp2((VibratoPitch(midi, t) - 69) / 12);
        phase += hz / kVoiceRate;
        phase -= std::floor(phase);
        double s = 0;
        for (int k = 1; k <= kVoiceHarmonics && k * hz < kVoiceRate / 2; ++k)
            s += std::sin(2 * M_PI * k * phase) / k;
        out.push_back(static_cast<float>(0.2 * s));
    }
}

// The notes sung `semitones` off, heard `delay` seconds late; silence
// everywhere else. `mute` gives silence only.
inline std::vector<float> Sing(const SungNotes& notes, double semitones, double delay,
                               bool mute = false) {
    std::vector<float> out;
    for (const SungNote& n : notes.Notes) {
        const auto start = static_cast<std::size_t>((n.StartTime + delay) * kVoiceRate);
        if (out.size() < start) out.resize(start, 0.0f);
        if (mute) continue;
        SingNote(out, n.Pitch + semitones, n.Length);
    }
    out.resize(out.size() + kVoiceRate / 2, 0.0f);
    return out;
}

// Three lines of eight notes of 0.4 s with short rests, over an octave and a
// half; one golden and one freestyle note.
inline SungNotes TestTune() {
    static const int kPitches[] = {55, 57, 59, 60, 62, 64, 62, 60, 64, 65, 67, 69,
                                   71, 72, 69, 67, 60, 62, 64, 67, 65, 64, 62, 60};
    SungNotes tune;
    double t = 1.0;
    for (int i = 0; i < 24; ++i) {
        SungNote n;
        n.StartTime = t;
        n.Length = 0.4;
        n.Pitch = kPitches[i];
        n.Line = i / 8;
        n.Piece = i + 1;
        n.Kind = i == 5 ? NoteKind::Golden : i == 13 ? NoteKind::Freestyle : NoteKind::Normal;
        tune.Notes.push_back(n);
        t += i % 8 == 7 ? 1.0 : 0.45;
    }
    tune.LineCount = 3;
    return tune;
}

}  // namespace cx::test
