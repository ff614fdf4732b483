// Renders a channel through the whole engine with no device, as fast as it
// goes, into a 32-bit float WAV file or memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "playback/AudioEngine.h"

namespace cx {

struct RenderResult {
    std::int64_t frames = 0;    // output frames written
    double seconds = 0;         // wall time spent
    double realTimeFactor = 0;  // audio seconds per wall second
    std::string error;          // empty on success
};

class OfflineRenderer {
public:
    static constexpr std::size_t kBlockFrames = 1024;

    explicit OfflineRenderer(AudioEngine& engine) : m_engine(engine) {}

    // Plays `channel` from its current position until it ends or its
    // position reaches `toFrame` (source frames; -1 = to the end), handing
    // each block of the mix to `sink`.
    RenderResult Run(AudioHandle channel, std::int64_t toFrame,
                     const std::function<bool(const float*, std::size_t)>& sink);
    // The same into a float stereo WAV at the engine's rate (via a temporary
    // file renamed into place).
    RenderResult RunToFile(AudioHandle channel, std::int64_t toFrame, const std::string& path);
    // The same into memory.
    RenderResult RunToMemory(AudioHandle channel, std::int64_t toFrame, std::vector<float>& out);

private:
    AudioEngine& m_engine;
};

}  // namespace cx
