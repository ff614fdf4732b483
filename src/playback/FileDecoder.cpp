#include "playback/FileDecoder.h"

#include <mpg123.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace cx {
namespace {

// Frames converted per library call; bounds the scratch buffer.
constexpr std::size_t kChunkFrames = 4096;
// Files with more channels than this are refused rather than guessed at.
constexpr int kMaxChannels = 64;
// Lossy decoders give wrong samples for a while after a jump (overlapping
// transforms, the MP3 bit reservoir), so a seek lands this many frames
// early and decodes its way to the frame.
constexpr std::int64_t kVorbisPreroll = 4096;
constexpr std::int64_t kMp3Preroll = 4 * 1152;

// Seeks `d` to `frame` through `rawSeek` (which moves to an earlier frame),
// then decodes and drops the frames between.
template <class RawSeek>
bool SeekWithPreroll(FileDecoder& d, std::int64_t frame, std::int64_t preroll,
                     std::vector<float>& scratch, RawSeek rawSeek) {
    const std::int64_t start = std::max<std::int64_t>(0, frame - preroll);
    if (!rawSeek(start)) return false;
    std::int64_t skip = frame - start;
    scratch.resize(2 * kChunkFrames);
    while (skip > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(skip, kChunkFrames));
        const std::size_t got = d.Read(scratch.data(), want);
        skip -= static_cast<std::int64_t>(got);
        if (got < want) return skip == 0;
    }
    return true;
}

// Copies `frames` frames of `channels` interleaved samples into stereo.
void ToStereo(const float* in, int channels, float* out, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        const float* f = in + i * static_cast<std::size_t>(channels);
        out[2 * i] = f[0];
        out[2 * i + 1] = channels > 1 ? f[1] : f[0];
    }
}

class SndfileDecoder final : public FileDecoder {
public:
    SndfileDecoder(SNDFILE* file, const SF_INFO& info)
        : m_file(file), m_info(info), m_scratch(kChunkFrames * info.channels) {}
    ~SndfileDecoder() override { sf_close(m_file); }

    int SampleRate() const override { return m_info.samplerate; }
    int Channels() const override { return m_info.channels; }
    std::int64_t LengthFrames() const override { return m_info.frames; }

    std::size_t Read(float* stereo, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t want = std::min(kChunkFrames, frames - done);
            const sf_count_t got =
                sf_readf_float(m_file, m_scratch.data(), static_cast<sf_count_t>(want));
            if (got <= 0) break;
            ToStereo(m_scratch.data(), m_info.channels, stereo + 2 * done,
                     static_cast<std::size_t>(got));
            done += static_cast<std::size_t>(got);
            if (static_cast<std::size_t>(got) < want) break;
        }
        return done;
    }

    bool Seek(std::int64_t frame) override {
        frame = std::clamp<std::int64_t>(frame, 0, m_info.frames);
        const bool lossy = (m_info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG;
        return SeekWithPreroll(
            *this, frame, lossy ? kVorbisPreroll : 0, m_skip,
            [this](std::int64_t at) { return sf_seek(m_file, at, SEEK_SET) == at; });
    }

private:
    SNDFILE* m_file;
    SF_INFO m_info;
    std::vector<float> m_scratch;
    std::vector<float> m_skip;
};

class Mpg123Decoder final : public FileDecoder {
public:
    Mpg123Decoder(mpg123_handle* handle, int rate, int channels, std::int64_t length)
        : m_handle(handle),
          m_rate(rate),
          m_channels(channels),
          m_length(length),
          m_scratch(kChunkFrames * channels) {}
    ~Mpg123Decoder() override {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }

    int SampleRate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    std::int64_t LengthFrames() const override { return m_length; }

    std::size_t Read(float* stereo, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t want = std::min(kChunkFrames, frames - done);
            size_t bytes = 0;
            const int rc =
                mpg123_read(m_handle, m_scratch.data(), want * sizeof(float) * m_channels, &bytes);
            const std::size_t got = bytes / (sizeof(float) * m_channels);
            ToStereo(m_scratch.data(), m_channels, stereo + 2 * done, got);
            done += got;
            // A format change mid-stream is ignored: the output format is fixed.
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
            if (got == 0 && rc != MPG123_NEW_FORMAT) break;
        }
        return done;
    }

    bool Seek(std::int64_t frame) override {
        frame = std::clamp<std::int64_t>(frame, 0, m_length);
        return SeekWithPreroll(*this, frame, kMp3Preroll, m_skip, [this](std::int64_t at) {
            return mpg123_seek(m_handle, static_cast<off_t>(at), SEEK_SET) == at;
        });
    }

private:
    mpg123_handle* m_handle;
    int m_rate;
    int m_channels;
    std::int64_t m_length;
    std::vector<float> m_scratch;
    std::vector<float> m_skip;
};

bool HasMp3Extension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".mp3" || ext == ".mp2";
}

std::unique_ptr<FileDecoder> OpenMpg123(const std::string& path, std::string& error) {
#if MPG123_API_VERSION < 46
    mpg123_init();
#endif
    int err = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) {
        error = "cannot start the MP3 decoder";
        return nullptr;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS | MPG123_QUIET, 0.);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_open(h, path.c_str()) != MPG123_OK ||
        mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK) {
        error = "not a readable MP3 file";
        mpg123_delete(h);
        return nullptr;
    }
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, MPG123_ENC_FLOAT_32);
    // A full scan gives the exact length and a complete seek index.
    mpg123_scan(h);
    const off_t length = mpg123_length(h);
    if (rate <= 0 || channels < 1 || channels > 2 || length <= 0) {
        error = "not a readable MP3 file";
        mpg123_close(h);
        mpg123_delete(h);
        return nullptr;
    }
    mpg123_seek(h, 0, SEEK_SET);
    return std::make_unique<Mpg123Decoder>(h, static_cast<int>(rate), channels, length);
}

}  // namespace

std::unique_ptr<FileDecoder> FileDecoder::Open(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "no such file";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file) {
        const bool mpeg = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
        if (!mpeg && info.channels >= 1 && info.channels <= kMaxChannels && info.samplerate > 0 &&
            info.frames >= 0) {
            return std::make_unique<SndfileDecoder>(file, info);
        }
        sf_close(file);
        if (!mpeg) {
            error = "unsupported channel layout or sample rate";
            return nullptr;
        }
        return OpenMpg123(path, error);
    }
    if (HasMp3Extension(path)) return OpenMpg123(path, error);
    error = sf_strerror(nullptr);
    return nullptr;
}

}  // namespace cx
