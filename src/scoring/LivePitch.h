// The singer's pitch while a song plays. The capture callback only copies
// samples into a lock-free ring (PushSamples); a worker thread runs the
// tracker and hands frames to the window's thread through a second ring.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "midi/SpscQueue.h"
#include "scoring/PitchTracker.h"
#include "scoring/VoiceSink.h"

namespace cx {

// Seconds of voice the ring holds before the worker must have caught up.
inline constexpr double kLivePitchRingSeconds = 2.0;
// Frames waiting for the window: over five seconds of 10 ms hops.
inline constexpr std::size_t kLiveFrameQueue = 512;

class LivePitch final : public VoiceSink {
public:
    explicit LivePitch(int sampleRate);
    ~LivePitch() override;
    LivePitch(const LivePitch&) = delete;
    LivePitch& operator=(const LivePitch&) = delete;

    // Starts the worker; false with Error() when aubio is missing.
    bool Start();
    void Stop();
    bool Running() const { return m_worker.joinable(); }
    const std::string& Error() const { return m_error; }
    int SampleRate() const override { return m_rate; }

    // Capture callback: copies what fits, never locks, allocates or waits.
    void PushSamples(const float* mono, std::size_t count) override;
    // Window thread: the next tracked frame, its time in seconds of capture.
    bool PopFrame(PitchFrame& frame) { return m_frames.Pop(frame); }
    // Seconds of voice pushed so far: with the song position at the same
    // moment it places frames in the song.
    double CapturedSeconds() const {
        return static_cast<double>(m_pushed.load(std::memory_order_acquire)) / m_rate;
    }
    std::uint64_t DroppedSamples() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    void Work();

    int m_rate;
    std::size_t m_mask;
    std::unique_ptr<float[]> m_ring;
    std::atomic<std::size_t> m_head{0};
    std::atomic<std::size_t> m_tail{0};
    std::atomic<std::uint64_t> m_pushed{0};
    std::atomic<std::uint64_t> m_dropped{0};
    SpscQueue<PitchFrame, kLiveFrameQueue> m_frames;
    std::unique_ptr<PitchTracker> m_tracker;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::string m_error;
};

}  // namespace cx
