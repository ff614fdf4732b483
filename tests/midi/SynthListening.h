// Listening to the synth in tests: the SoundFont it needs, its options, and
// what its output holds (energy, pitch).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "midi/MidiSynth.h"

namespace cx::test {

inline constexpr int kSynthRate = 22050;

// TimGM6mb first: its loud samples are the ones that reached past full scale.
inline std::string SoundFont() {
    for (const char* p :
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"})
        if (std::filesystem::exists(p)) return p;
    return "";
}

#define REQUIRE_SOUNDFONT() \
    if (::cx::test::SoundFont().empty()) GTEST_SKIP() << "no SoundFont installed"

inline SynthOptions SynthAt(bool effects = false) {
    SynthOptions o;
    o.sampleRate = kSynthRate;
    o.effects = effects;
    return o;
}

struct Stereo {
    std::vector<float> l, r;
};

// The whole song from where the synth stands.
inline Stereo RenderAll(MidiSynth& s) {
    Stereo out;
    std::vector<float> buf(2 * 1000);
    for (std::size_t n = 1000; n == 1000;) {
        n = s.Render(buf.data(), 1000);
        for (std::size_t i = 0; i < n; ++i) {
            out.l.push_back(buf[2 * i]);
            out.r.push_back(buf[2 * i + 1]);
        }
    }
    return out;
}

inline double Energy(const std::vector<float>& v, double fromSeconds = 0, double toSeconds = 1e9) {
    double e = 0;
    const auto from = static_cast<std::size_t>(fromSeconds * kSynthRate);
    const auto to = static_cast<std::size_t>(std::min(toSeconds * kSynthRate, double(v.size())));
    for (std::size_t i = from; i < to; ++i) e += double(v[i]) * v[i];
    return e;
}

// Fundamental frequency by autocorrelation over a steady stretch; 0 when none.
inline double Frequency(const std::vector<float>& v, double fromSeconds, double seconds = 0.2) {
    const auto from = static_cast<std::size_t>(fromSeconds * kSynthRate);
    const auto len = static_cast<std::size_t>(seconds * kSynthRate);
    const int minLag = kSynthRate / 2000, maxLag = kSynthRate / 60;
    if (v.size() < from + len + maxLag) return 0;
    std::vector<double> ac(maxLag + 1, 0);
    for (int lag = minLag; lag <= maxLag; ++lag)
        for (std::size_t i = from; i < from + len; ++i) ac[lag] += double(v[i]) * v[i + lag];
    const double best = *std::max_element(ac.begin(), ac.end());
    for (int lag = minLag + 1; lag < maxLag; ++lag) {
        if (ac[lag] > 0.9 * best && ac[lag] >= ac[lag - 1] && ac[lag] >= ac[lag + 1]) {
            // Parabolic refinement of the peak.
            const double a = ac[lag - 1], b = ac[lag], c = ac[lag + 1];
            return kSynthRate / (lag + (a - c) / (2 * (a - 2 * b + c)));
        }
    }
    return 0;
}

}  // namespace cx::test
