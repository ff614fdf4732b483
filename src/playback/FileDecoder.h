// Reads an audio file as float stereo frames at its own sample rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace cx {

class FileDecoder {
public:
    virtual ~FileDecoder() = default;

    // Opens WAV, FLAC, OGG/Vorbis and the other libsndfile formats, and MP3
    // through mpg123 (exact, gapless length). Null with `error` set on failure.
    static std::unique_ptr<FileDecoder> Open(const std::string& path, std::string& error);

    virtual int SampleRate() const = 0;
    // Channels in the file; mono is duplicated, channels past two are dropped.
    virtual int Channels() const = 0;
    virtual std::int64_t LengthFrames() const = 0;
    // Writes up to `frames` interleaved stereo frames; fewer means the end.
    virtual std::size_t Read(float* stereo, std::size_t frames) = 0;
    // Sample-accurate move of the read point.
    virtual bool Seek(std::int64_t frame) = 0;
};

}  // namespace cx
