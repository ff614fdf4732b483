// Signals the playback tests make themselves, and writers for them.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace cx::test {

// Interleaved stereo: the wave `v(frame)` scaled by `left` and `right`.
template <typename Wave>
std::vector<float> StereoWave(std::size_t frames, float left, float right, Wave v) {
    std::vector<float> s(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto x = static_cast<float>(v(i));
        s[2 * i] = left * x;
        s[2 * i + 1] = right * x;
    }
    return s;
}

// A sine of `hz` on each side with the given amplitudes.
inline std::vector<float> StereoSine(int rate, double hz, double seconds, float left, float right) {
    return StereoWave(static_cast<std::size_t>(rate * seconds), left, right, [=](std::size_t i) {
        return std::sin(2.0 * std::numbers::pi * hz * i / rate);
    });
}

// A sweep from 200 Hz up by 800 Hz a second: no stretch of it repeats, so a
// frame off shows at once.
inline std::vector<float> Chirp(int rate, std::size_t frames, float left, float right) {
    return StereoWave(frames, left, right, [rate](std::size_t i) {
        const double t = static_cast<double>(i) / rate;
        return std::sin(2.0 * std::numbers::pi * (200 * t + 400 * t * t));
    });
}

// Writes interleaved samples with `channels` channels; format like SF_FORMAT_WAV | SF_FORMAT_FLOAT.
inline bool WriteSound(const std::filesystem::path& path, const std::vector<float>& samples,
                       int rate, int channels, int format) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const auto frames = static_cast<sf_count_t>(samples.size() / channels);
    const bool ok = sf_writef_float(f, samples.data(), frames) == frames;
    sf_close(f);
    return ok;
}

inline constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
inline constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
inline constexpr int kOggVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
inline constexpr int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

// Root mean square of one side of interleaved stereo, from frame `from`.
inline double Rms(const std::vector<float>& s, int channel, std::size_t from = 0,
                  std::size_t to = SIZE_MAX) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i < s.size() / 2 && i < to; ++i, ++n)
        sum += double(s[2 * i + channel]) * s[2 * i + channel];
    return n ? std::sqrt(sum / n) : 0.0;
}

inline double Db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// Frequency of the left side from rising zero crossings between two frames.
inline double MeasureHz(const std::vector<float>& s, int rate, std::size_t from, std::size_t to) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i < s.size() / 2; ++i) {
        const float a = s[2 * (i - 1)], b = s[2 * i];
        if (a < 0 && b >= 0) {
            const double at = (i - 1) + a / (a - b);
            if (first < 0)
                first = at;
            else
                ++crossings;
            last = at;
        }
    }
    return crossings > 0 ? crossings * rate / (last - first) : 0.0;
}

}  // namespace cx::test
