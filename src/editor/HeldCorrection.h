// The held time correction: a key held down moves the selected piece's time
// in growing steps, fine at first and coarse once the user keeps holding.
// The move is timed from the first press, so it is the same however often
// the repeat timer runs or the keyboard repeats the key.
#pragma once

#include <cstdint>

namespace cx {

// One step of the correction is due every this many milliseconds of holding.
inline constexpr int kCorrectionTickMs = 60;

class HeldCorrection {
public:
    enum class Direction { None, Up, Down };

    // A correction key went down at `nowMs` with the piece at `currentTime`.
    // Down is refused while the time is 0.
    bool Start(Direction direction, double currentTime, std::int64_t nowMs);
    // The key was released.
    void Stop() { m_direction = Direction::None; }
    bool Running() const { return m_direction != Direction::None; }
    Direction Heading() const { return m_direction; }

    // The time after holding until `nowMs` (never below 0; reaching 0 ends
    // the hold): 0.001 s for each of the first ten ticks of the hold, 0.01 s
    // for the next ten, then 0.1 s.
    double Tick(std::int64_t nowMs);

    static double StepForTick(int counter);
    // Whole milliseconds moved after `ticks` ticks of holding.
    static std::int64_t MillisecondsAfter(std::int64_t ticks);

private:
    Direction m_direction = Direction::None;
    double m_from = 0;
    std::int64_t m_pressMs = 0;
};

}  // namespace cx
