#include "editor/HeldCorrection.h"

#include <cmath>

namespace cx {

bool HeldCorrection::Start(Direction direction, double currentTime) {
    if (direction == Direction::None) return false;
    if (direction == Direction::Down && currentTime <= 0) return false;
    m_direction = direction;
    m_counter = 0;
    return true;
}

double HeldCorrection::StepForTick(int counter) {
    if (counter < 10) return 0.001;
    if (counter < 20) return 0.01;
    return 0.1;
}

double HeldCorrection::Tick(double currentTime) {
    if (m_direction == Direction::None) return currentTime;
    const double step = StepForTick(m_counter);
    if (m_counter < kCorrectionCounterCap) ++m_counter;
    double t = m_direction == Direction::Up ? currentTime + step : currentTime - step;
    // Times are milliseconds; summing binary fractions must not drift past them.
    t = std::round(t * 1000.0) / 1000.0;
    if (t <= 0) {
        t = 0;
        m_direction = Direction::None;  // nothing below the start of the song
    }
    return t;
}

}  // namespace cx
