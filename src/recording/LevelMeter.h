// The microphone level meter: fed the first frame of every captured buffer,
// it rises at once and falls slowly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cx {

class LevelMeter {
public:
    static constexpr int kFallPerBuffer = 500;

    // One captured buffer of 16-bit little-endian stereo: its first frame
    // sets the levels.
    void Monitor(const unsigned char* buffer, std::size_t length);
    // One buffer's first frame.
    void MonitorFrame(std::int16_t left, std::int16_t right);
    int Left() const { return m_left; }
    int Right() const { return m_right; }

    // A 16-bit sample from its low and high byte.
    static std::int16_t Amplitud(unsigned char low, unsigned char high);

private:
    int m_left = 0;
    int m_right = 0;
};

}  // namespace cx
