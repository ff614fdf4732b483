// Generated test signals and a small writer of 32-bit float WAV files.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cx::test {

// Interleaved frames of a sine at `dbfs` peak level, or of a square clipped
// to full scale when `square` (its edges overshoot between samples).
inline std::vector<float> Tone(double hz, double dbfs, double seconds, int rate, int channels,
                               bool square = false) {
    const double amplitude = std::pow(10.0, dbfs / 20.0);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    const double kTwoPi = 2 * std::acos(-1.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double s = std::sin(kTwoPi * hz * static_cast<double>(i) / rate);
        const double v = square ? std::copysign(amplitude, s) : amplitude * s;
        for (int c = 0; c < channels; ++c)
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<float>(v);
    }
    return out;
}

inline std::string FloatWav(const std::vector<float>& samples, int rate, int channels) {
    auto le = [](std::uint32_t v, int bytes) {
        std::string s(static_cast<std::size_t>(bytes), '\0');
        for (int i = 0; i < bytes; ++i)
            s[static_cast<std::size_t>(i)] = char((v >> (8 * i)) & 0xFF);
        return s;
    };
    const auto data = static_cast<std::uint32_t>(samples.size() * sizeof(float));
    const auto ch = static_cast<std::uint32_t>(channels);
    const auto r = static_cast<std::uint32_t>(rate);
    std::string wav = "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(3, 2) + le(ch, 2) +
                      le(r, 4) + le(r * ch * 4, 4) + le(ch * 4, 2) + le(32, 2) + "data" +
                      le(data, 4);
    std::string body(data, '\0');
    if (data) std::memcpy(body.data(), samples.data(), data);
    return wav + body;
}

}  // namespace cx::test
