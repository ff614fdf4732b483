#include "editor/HeldCorrection.h"

#include <algorithm>
#include <cmath>

namespace cx {

namespace {
// Far beyond any song: keeps the arithmetic of a forgotten key in range.
constexpr std::int64_t kMaxTicks = 10'000'000;
}  // namespace

bool HeldCorrection::Start(Direction direction, double currentTime, std::int64_t nowMs) {
    if (direction == Direction::None) return false;
    if (direction == Direction::Down && currentTime <= 0) return false;
    m_direction = direction;
    m_from = currentTime;
    m_pressMs = nowMs;
    return true;
}

double HeldCorrection::StepForTick(int counter) {
    if (counter < 10) return 0.001;
    if (counter < 20) return 0.01;
    return 0.1;
}

std::int64_t HeldCorrection::MillisecondsAfter(std::int64_t ticks) {
    ticks = std::clamp<std::int64_t>(ticks, 0, kMaxTicks);
    if (ticks <= 10) return ticks;
    if (ticks <= 20) return 10 + (ticks - 10) * 10;
    return 110 + (ticks - 20) * 100;
}

double HeldCorrection::Tick(std::int64_t nowMs) {
    const std::int64_t ms = MillisecondsAfter((nowMs - m_pressMs) / kCorrectionTickMs);
    if (m_direction == Direction::None) return m_from;
    // Times are milliseconds: whole milliseconds are added, never summed fractions.
    const double from = std::round(m_from * 1000.0);
    double t = (m_direction == Direction::Up ? from + double(ms) : from - double(ms)) / 1000.0;
    if (t <= 0) {
        t = 0;
        m_direction = Direction::None;  // nothing below the start of the song
    }
    return t;
}

}  // namespace cx
