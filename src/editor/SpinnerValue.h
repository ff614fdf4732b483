// The value behind the editor's time spinners: a number between a minimum
// and a maximum, shown plain or as a time, stepped by its buttons with an
// auto-repeat that speeds up while a button is held.
#pragma once

#include <string>

namespace cx {

inline constexpr int kSpinnerRepeatMs = 50;
inline constexpr int kSpinnerCounterCap = 35;

class SpinnerValue {
public:
    enum class TimeFormat { Normal, MicroDVD, SubRip };

    SpinnerValue(double min, double max, TimeFormat format)
        : m_min(min), m_max(max), m_format(format) {}

    double Value() const { return m_value; }
    // Clamped into [min, max]; false when the value did not change.
    bool SetValue(double value);
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    TimeFormat Format() const { return m_format; }
    bool SecondsOnly() const { return m_secondsOnly; }
    void SetSecondsOnly(bool on) { m_secondsOnly = on; }

    // What the field shows: FormatTime in SubRip, the plain number otherwise.
    std::string Text() const;
    // Reads typed text back; false (value kept) when it is not a number.
    bool SetText(const std::string& text);

    // One press of a button (+1 up, -1 down): one step at once, and the
    // repeat counter starts over. False when the value did not move.
    bool Press(int direction);
    // One repeat tick while the button is held.
    bool Repeat(int direction);
    void Release() { m_counter = 0; }

private:
    double PressStep() const;
    double RepeatStep() const;  // 0 while the repeat has not begun
    bool Move(int direction, double step);

    double m_min;
    double m_max;
    TimeFormat m_format;
    double m_value = 0;
    bool m_secondsOnly = false;
    int m_counter = 0;
};

}  // namespace cx
