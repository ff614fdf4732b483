// Where the singer's voice lands in the song: what the microphone hears was
// sung to music the speakers played a moment before, and reaches us a
// moment after. A calibration (the player beeps, the singer claps back)
// measures what the device figures miss.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cx {

// A clap is looked for from this long before its beep (a singer who claps
// on the beat may be early) to kMaxCalibrationSeconds after it; beeps must
// lie further apart than the two together.
inline constexpr double kEarlyClapSeconds = 0.1;
inline constexpr double kMaxCalibrationSeconds = 0.45;
// Fewer answered beeps than this, or than half of them, measure nothing.
inline constexpr int kMinAnsweredBeeps = 3;
// Claps further apart than this (median distance from the median) are too
// uneven to trust.
inline constexpr double kMaxCalibrationSpread = 0.06;

// The saved calibration is kept within this (milliseconds either way).
inline constexpr int kMaxVoiceLatencyMs = 1000;

struct Latency {
    double CaptureSeconds = 0;      // microphone buffering
    double OutputSeconds = 0;       // speaker buffering
    double CalibrationSeconds = 0;  // measured, saved as a setting

    double Total() const { return CaptureSeconds + OutputSeconds + CalibrationSeconds; }
};

struct CalibrationResult {
    bool Ok = false;
    double DelaySeconds = 0;   // median from beep to clap
    double SpreadSeconds = 0;  // median distance of the claps from it
    int Answered = 0;          // beeps with a clap
    int Beeps = 0;
    std::string Reason;  // translation key when not Ok
};

// Matches claps in a mono recording to the beeps (seconds of the same
// recording) and measures the delay between them. Each beep takes the clap
// nearest the delay most beeps agree on, so a missed or an extra clap does
// not move the result.
CalibrationResult MeasureLatency(const float* samples, std::size_t count, int sampleRate,
                                 const std::vector<double>& beepSeconds);

// The middle of the delays (the upper one of an even count); not empty.
double Median(std::vector<double> v);

}  // namespace cx
