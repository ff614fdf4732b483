// Where the singer's voice lands in the song: what the microphone hears was
// sung to music the speakers played a moment before, and reaches us a
// moment after. A calibration (the player beeps, the singer claps back)
// measures what the device figures miss.
#pragma once

#include <cstddef>
#include <vector>

namespace cx {

// Calibration offsets beyond this are a missed clap, not latency.
inline constexpr double kMaxCalibrationSeconds = 0.5;

struct Latency {
    double CaptureSeconds = 0;      // microphone buffering
    double OutputSeconds = 0;       // speaker buffering
    double CalibrationSeconds = 0;  // measured, saved as a setting

    double Total() const { return CaptureSeconds + OutputSeconds + CalibrationSeconds; }
};

// The delay from each beep to the first clap after it, in the recording
// (mono), as the median over the beeps that were answered; -1 when none was.
double MeasureClapDelay(const float* samples, std::size_t count, int sampleRate,
                        const std::vector<double>& beepSeconds);

}  // namespace cx
