#include <algorithm>

#include "playback/AudioOutput.h"

namespace cx {
namespace {
std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

NullDevice::NullDevice(AudioEngine& engine, std::size_t blockFrames, std::size_t queueBlocks)
    : m_engine(engine),
      m_blockFrames(std::max<std::size_t>(blockFrames, 1)),
      m_queueBlocks(std::max<std::size_t>(queueBlocks, 1)),
      m_ringBlocks(m_queueBlocks + 4),
      m_block(m_blockFrames * 2),
      m_history(m_blockFrames * m_ringBlocks) {}

NullDevice::~NullDevice() {
    Stop();
}

bool NullDevice::Start(std::string&) {
    if (m_running.load()) return true;
    m_engine.SetOutputLatency(LatencyFrames(), true);
    m_blocksRendered.store(0);
    m_startNs.store(NowNs());
    m_running.store(true);
    m_thread = std::thread([this] { Loop(); });
    return true;
}

void NullDevice::Stop() {
    if (!m_running.exchange(false)) return;
    m_thread.join();
}

// Block k leaves from start + k blocks and is rendered queueBlocks earlier.
void NullDevice::Loop() {
    const double blockNs = 1e9 * static_cast<double>(m_blockFrames) / m_engine.OutputRate();
    const std::int64_t start = m_startNs.load();
    std::uint64_t k = 0;
    while (m_running.load()) {
        const auto due =
            start + static_cast<std::int64_t>(
                        (static_cast<double>(k) - static_cast<double>(m_queueBlocks)) * blockNs);
        const std::int64_t now = NowNs();
        if (due > now) std::this_thread::sleep_for(std::chrono::nanoseconds(due - now));
        m_engine.Render(m_block.data(), m_blockFrames);
        const std::size_t base = (k % m_ringBlocks) * m_blockFrames;
        for (std::size_t i = 0; i < m_blockFrames; ++i) {
            m_history[base + i].store(m_block[2 * i], std::memory_order_relaxed);
        }
        ++k;
        m_blocksRendered.store(k, std::memory_order_release);
    }
}

float NullDevice::LeavingSample() const {
    const double elapsed = static_cast<double>(NowNs() - m_startNs.load()) * 1e-9;
    const auto frame = static_cast<std::uint64_t>(std::max(0.0, elapsed * m_engine.OutputRate()));
    const std::uint64_t k = frame / m_blockFrames;
    if (k >= m_blocksRendered.load(std::memory_order_acquire)) return 0.0f;
    const std::size_t index = (k % m_ringBlocks) * m_blockFrames + frame % m_blockFrames;
    return m_history[index].load(std::memory_order_relaxed);
}

}  // namespace cx
