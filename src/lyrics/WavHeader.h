// The technical data of a RIFF WAVE file, read from its first bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace cx {

// Chunks we walk before giving up on finding "fmt " and "data".
inline constexpr int kMaxWavChunks = 1024;

struct WavHeader {
    bool ok = false;
    int FormatTag = 0;  // 1 = PCM
    int Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint32_t BytesPerSecond = 0;
    int BitsPerSample = 0;
    std::uint64_t HeaderSize = 0;  // bytes before the sample data
    std::uint64_t DataSize = 0;    // sample bytes, clamped to the file size
};

// `head` is the start of the file (enough to reach the data chunk's header);
// `fileSize` is the whole file's size.
WavHeader ParseWavHeader(std::string_view head, std::uint64_t fileSize);

bool LooksLikeWav(std::string_view head);

}  // namespace cx
