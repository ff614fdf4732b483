#include "recording/LevelMeter.h"

#include <cstdlib>

namespace cx {
namespace {

// The loudness of a sample: its magnitude, so a negative half-wave shows as
// loud as the positive one.
int Magnitude(std::int16_t s) {
    return s == INT16_MIN ? 32767 : std::abs(static_cast<int>(s));
}

int Follow(int shown, int level) {
    return level < shown - LevelMeter::kFallPerBuffer ? shown - LevelMeter::kFallPerBuffer : level;
}

}  // namespace

std::int16_t LevelMeter::Amplitud(unsigned char low, unsigned char high) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

void LevelMeter::Monitor(const unsigned char* buffer, std::size_t length) {
    if (length < 4) return;
    MonitorFrame(Amplitud(buffer[0], buffer[1]), Amplitud(buffer[2], buffer[3]));
}

void LevelMeter::MonitorFrame(std::int16_t left, std::int16_t right) {
    m_left = Follow(m_left, Magnitude(left));
    m_right = Follow(m_right, Magnitude(right));
}

}  // namespace cx
