#include "scoring/VoiceCalibration.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace cx {
namespace {

constexpr float kBeepLevel = 0.5f;
constexpr double kBeepFadeSeconds = 0.005;  // no click at either end
// The run goes on this long past the last clap's window: the device's buffers.
constexpr double kRunTailSeconds = 0.2;
// Ticks of the mapping kept: a minute of 10 ms ticks.
constexpr std::size_t kMaxOffsets = 6000;

}  // namespace

std::vector<double> CalibrationBeepTimes() {
    std::vector<double> times;
    for (int i = 0; i < kCalibrationBeeps; ++i)
        times.push_back(kFirstBeepSeconds + i * kBeepIntervalSeconds);
    return times;
}

double CalibrationRunSeconds() {
    return kFirstBeepSeconds + (kCalibrationBeeps - 1) * kBeepIntervalSeconds +
           kMaxCalibrationSeconds + kRunTailSeconds;
}

std::int64_t BeepSource::LengthFrames() const {
    return static_cast<std::int64_t>(CalibrationRunSeconds() * m_rate);
}

std::size_t BeepSource::Render(float* out, std::size_t frames) {
    const std::int64_t length = LengthFrames();
    const auto n = static_cast<std::size_t>(
        std::clamp<std::int64_t>(length - m_at, 0, static_cast<std::int64_t>(frames)));
    const double period = kBeepIntervalSeconds * m_rate;
    const double first = kFirstBeepSeconds * m_rate;
    const double beep = kBeepSeconds * m_rate;
    const double fade = kBeepFadeSeconds * m_rate;
    for (std::size_t i = 0; i < n; ++i) {
        const double at = static_cast<double>(m_at + static_cast<std::int64_t>(i)) - first;
        float v = 0;
        if (at >= 0 && at < period * kCalibrationBeeps) {
            const double in = std::fmod(at, period);
            if (in < beep) {
                const double ramp = std::min({1.0, in / fade, (beep - in) / fade});
                v = static_cast<float>(kBeepLevel * ramp *
                                       std::sin(2 * std::numbers::pi * kBeepHz * in / m_rate));
            }
        }
        out[2 * i] = out[2 * i + 1] = v;
    }
    m_at += static_cast<std::int64_t>(n);
    return n;
}

bool BeepSource::SeekFrame(std::int64_t frame) {
    m_at = std::clamp<std::int64_t>(frame, 0, LengthFrames());
    return true;
}

CaptureBuffer::CaptureBuffer(int rate, double seconds)
    : m_rate(rate),
      m_capacity(static_cast<std::size_t>(rate * seconds)),
      m_samples(std::make_unique<float[]>(m_capacity)) {}

void CaptureBuffer::PushSamples(const float* mono, std::size_t count) {
    const std::size_t at = m_count.load(std::memory_order_relaxed);
    const std::size_t n = std::min(count, m_capacity - at);
    std::memcpy(m_samples.get() + at, mono, n * sizeof(float));
    m_count.store(at + n, std::memory_order_release);
}

VoiceCalibration::VoiceCalibration(AudioEngine& engine, bool manualCapture, std::string device)
    : m_engine(engine),
      m_device(std::move(device)),
      m_manual(manualCapture),
      m_capture(kMicrophoneRate, kCalibrationRecordSeconds) {}

VoiceCalibration::~VoiceCalibration() {
    Stop();
}

bool VoiceCalibration::Start(std::string& error) {
    if (!m_manual && !m_microphone.Open(m_device, error)) return false;
    m_channel = m_engine.CreateSourceChannel(std::make_unique<BeepSource>(m_engine.OutputRate()));
    if (m_channel == 0 || !m_engine.ChannelPlay(m_channel, true)) {
        error = "the beeps cannot be played";
        Stop();
        return false;
    }
    return true;
}

bool VoiceCalibration::Tick() {
    if (m_channel == 0) return false;
    m_position = m_engine.PositionSeconds(m_channel);
    // Both clocks run on: their difference places the beeps in the recording.
    if (m_position > 0 && m_offsets.size() < kMaxOffsets)
        m_offsets.push_back(m_capture.Seconds() - m_position);
    return m_position < CalibrationRunSeconds() && !m_engine.ChannelEnded(m_channel);
}

double VoiceCalibration::Progress() const {
    return std::clamp(m_position / CalibrationRunSeconds(), 0.0, 1.0);
}

CalibrationResult VoiceCalibration::Finish() {
    const double buffer = m_manual ? 0.0 : m_microphone.BufferSeconds();
    Stop();
    if (m_offsets.empty()) {
        CalibrationResult none;
        none.Beeps = kCalibrationBeeps;
        none.Reason = "CalibrateNoClaps";
        return none;
    }
    const double offset = Median(m_offsets);
    std::vector<double> beeps = CalibrationBeepTimes();
    for (double& b : beeps) b += offset;
    CalibrationResult r =
        MeasureLatency(m_capture.Data(), m_capture.Count(), m_capture.SampleRate(), beeps);
    r.DelaySeconds -= buffer;
    return r;
}

void VoiceCalibration::Stop() {
    m_microphone.Close();  // no sample arrives after this
    if (m_channel != 0) m_engine.Free(m_channel);
    m_channel = 0;
}

}  // namespace cx
