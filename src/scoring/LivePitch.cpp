#include "scoring/LivePitch.h"

#include <algorithm>
#include <chrono>

namespace cx {
namespace {

constexpr auto kWorkerPause = std::chrono::milliseconds(2);
constexpr std::size_t kWorkerChunk = 1024;

std::size_t RingSize(int rate) {
    std::size_t size = 1;
    while (size < static_cast<std::size_t>(rate * kLivePitchRingSeconds)) size <<= 1;
    return size;
}

}  // namespace

LivePitch::LivePitch(int sampleRate)
    : m_rate(std::max(8000, sampleRate)),
      m_mask(RingSize(m_rate) - 1),
      m_ring(std::make_unique<float[]>(m_mask + 1)) {}

LivePitch::~LivePitch() {
    Stop();
}

bool LivePitch::Start() {
    if (Running()) return true;
    if (!m_tracker) m_tracker = std::make_unique<PitchTracker>(m_rate);
    if (!m_tracker->Ready()) {
        m_error = m_tracker->Error();
        return false;
    }
    m_stop = false;
    m_worker = std::thread([this] { Work(); });
    return true;
}

void LivePitch::Stop() {
    if (!m_worker.joinable()) return;
    m_stop = true;
    m_worker.join();
}

void LivePitch::PushSamples(const float* mono, std::size_t count) {
    const std::size_t head = m_head.load(std::memory_order_relaxed);
    const std::size_t free = m_mask + 1 - (head - m_tail.load(std::memory_order_acquire));
    const std::size_t n = std::min(free, count);
    for (std::size_t i = 0; i < n; ++i) m_ring[(head + i) & m_mask] = mono[i];
    m_head.store(head + n, std::memory_order_release);
    // Lost samples still pass in time, so frames keep their place in the song.
    m_pushed.fetch_add(count, std::memory_order_release);
    if (n < count) m_dropped.fetch_add(count - n, std::memory_order_relaxed);
}

void LivePitch::Work() {
    float chunk[kWorkerChunk];
    while (!m_stop.load(std::memory_order_acquire)) {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        const std::size_t used = m_head.load(std::memory_order_acquire) - tail;
        if (used == 0) {
            std::this_thread::sleep_for(kWorkerPause);
            continue;
        }
        const std::size_t n = std::min(used, kWorkerChunk);
        for (std::size_t i = 0; i < n; ++i) chunk[i] = m_ring[(tail + i) & m_mask];
        m_tail.store(tail + n, std::memory_order_release);
        m_tracker->Push(chunk, n, [this](const PitchFrame& f) { m_frames.Push(f); });
    }
}

}  // namespace cx
