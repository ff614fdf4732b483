// Measuring the voice's delay: the player beeps through its normal output,
// the singer claps (or sings) back into the microphone, and the claps are
// matched to the beeps. What is found beyond the microphone's own buffer is
// the calibration the pitch lane adds.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/AudioEngine.h"
#include "scoring/Latency.h"
#include "scoring/Microphone.h"
#include "scoring/VoiceSink.h"

namespace cx {

inline constexpr int kCalibrationBeeps = 8;
inline constexpr double kFirstBeepSeconds = 1.0;  // time to get ready
inline constexpr double kBeepIntervalSeconds = 0.6;
inline constexpr double kBeepSeconds = 0.05;
inline constexpr double kBeepHz = 1000.0;
// The recording holds the whole run with room to spare.
inline constexpr double kCalibrationRecordSeconds = 10.0;

// Where the beeps fall in the beep track, in seconds.
std::vector<double> CalibrationBeepTimes();
// The length of the beep track: the last beep and time for its clap.
double CalibrationRunSeconds();

// The beep track, stereo float at `rate`.
class BeepSource final : public AudioSource {
public:
    explicit BeepSource(int rate) : m_rate(rate) {}
    int SampleRate() const override { return m_rate; }
    std::int64_t LengthFrames() const override;
    std::size_t Render(float* interleavedStereo, std::size_t frames) override;
    bool SeekFrame(std::int64_t frame) override;

private:
    int m_rate;
    std::int64_t m_at = 0;
};

// A fixed recording the capture thread fills; the rest is dropped.
class CaptureBuffer final : public VoiceSink {
public:
    CaptureBuffer(int rate, double seconds);
    int SampleRate() const override { return m_rate; }
    void PushSamples(const float* mono, std::size_t count) override;
    // Samples recorded so far; those before it are final.
    std::size_t Count() const { return m_count.load(std::memory_order_acquire); }
    const float* Data() const { return m_samples.get(); }
    double Seconds() const { return static_cast<double>(Count()) / m_rate; }

private:
    int m_rate;
    std::size_t m_capacity;
    std::unique_ptr<float[]> m_samples;
    std::atomic<std::size_t> m_count{0};
};

class VoiceCalibration {
public:
    // `manualCapture`: no device; the caller pushes the claps into Capture().
    // `device`: the capture device (empty: the default).
    VoiceCalibration(AudioEngine& engine, bool manualCapture, std::string device = {});
    ~VoiceCalibration();
    VoiceCalibration(const VoiceCalibration&) = delete;
    VoiceCalibration& operator=(const VoiceCalibration&) = delete;

    // Opens the microphone and starts the beeps; false with `error` (nothing
    // started) when there is no microphone.
    bool Start(std::string& error);
    // On the window's timer: notes where the beeps are in the recording.
    // False once the beeps and the time for the last clap are over.
    bool Tick();
    // 0..1 of the run.
    double Progress() const;
    // Stops and measures. DelaySeconds is the calibration to save: the
    // delay found less the microphone's buffer, which the lane adds itself.
    CalibrationResult Finish();

    CaptureBuffer& Capture() { return m_capture; }

private:
    void Stop();

    AudioEngine& m_engine;
    std::string m_device;
    bool m_manual;
    CaptureBuffer m_capture;
    Microphone m_microphone{m_capture};
    AudioHandle m_channel = 0;
    // Seconds of recording less the beep track's audible position, per tick.
    std::vector<double> m_offsets;
    double m_position = 0;
};

}  // namespace cx
