// The held time correction: a key held down moves the selected piece's time
// in growing steps, fine at first and coarse once the user keeps holding.
#pragma once

namespace cx {

// Repeat interval of the correction while a key is held.
inline constexpr int kCorrectionTickMs = 60;
// The tick counter stops here: from tick 20 on the step no longer grows.
inline constexpr int kCorrectionCounterCap = 30;

class HeldCorrection {
public:
    enum class Direction { None, Up, Down };

    // A correction key went down. Down is refused while the time is 0.
    bool Start(Direction direction, double currentTime);
    // The key was released.
    void Stop() { m_direction = Direction::None; }
    bool Running() const { return m_direction != Direction::None; }
    Direction Heading() const { return m_direction; }

    // One timer tick: the new time (never below 0). 0.001 s for the first
    // ten ticks, 0.01 s for the next ten, then 0.1 s.
    double Tick(double currentTime);

    static double StepForTick(int counter);

private:
    Direction m_direction = Direction::None;
    int m_counter = 0;
};

}  // namespace cx
