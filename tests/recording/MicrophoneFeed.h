// The microphone under test: SDL's disk driver reading a raw file.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace cx::test {

// Little-endian 16-bit samples that are never silent.
inline std::string MicrophoneRamp(std::size_t samples, int seed = 0) {
    std::string s;
    for (std::size_t i = 0; i < samples; ++i) {
        const auto v = static_cast<std::uint16_t>(seed + static_cast<int>(i % 4000) * 8 + 1);
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>(v >> 8));
    }
    return s;
}

// The driver hears `bytes`, faster than real time yet slow enough for the writer.
inline void FeedMicrophone(const std::filesystem::path& raw, const std::string& bytes) {
    WriteBytes(raw, bytes);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);
}

}  // namespace cx::test
