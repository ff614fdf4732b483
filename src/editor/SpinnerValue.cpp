#include "editor/SpinnerValue.h"

#include <algorithm>
#include <cmath>

#include "lyrics/TimeText.h"

namespace cx {

bool SpinnerValue::SetValue(double value) {
    if (!std::isfinite(value)) return false;
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return false;
    m_value = value;
    return true;
}

std::string SpinnerValue::Text() const {
    if (m_format == TimeFormat::SubRip) return FormatTime(m_value, m_secondsOnly);
    return FormatShortestDecimal(m_value, 3);
}

bool SpinnerValue::SetText(const std::string& text) {
    if (text.find_first_of("0123456789") == std::string::npos) return false;
    const bool looksLikeTime = text.find(':') != std::string::npos;
    const double v = m_format == TimeFormat::SubRip && looksLikeTime ? ParseEditorTime(text)
                                                                     : ParseLeadingNumber(text);
    SetValue(v);
    return true;
}

double SpinnerValue::PressStep() const {
    return m_format == TimeFormat::SubRip ? 0.01 : 1.0;
}

double SpinnerValue::RepeatStep() const {
    if (m_format == TimeFormat::Normal) {
        if (m_counter < 4) return 0;
        return m_counter < 20 ? 1.0 : 10.0;
    }
    if (m_counter <= 4) return 0;
    return m_counter < 24 ? 0.01 : 0.1;
}

bool SpinnerValue::Move(int direction, double step) {
    double v = m_value + (direction > 0 ? step : -step);
    v = std::round(v * 1000.0) / 1000.0;
    return SetValue(v);
}

bool SpinnerValue::Press(int direction) {
    m_counter = 0;
    return Move(direction, PressStep());
}

bool SpinnerValue::Repeat(int direction) {
    if (m_counter < kSpinnerCounterCap) ++m_counter;
    const double step = RepeatStep();
    return step > 0 && Move(direction, step);
}

}  // namespace cx
