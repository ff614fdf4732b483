// Single-producer single-consumer ring buffer that never locks or allocates
// after construction: commands from the UI thread to the audio callback.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace cx {

template <typename T, std::size_t N>
class SpscQueue {
    static_assert((N & (N - 1)) == 0, "capacity must be a power of two");

public:
    // Producer side. False when full (the command is dropped).
    bool Push(const T& item) {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head - m_tail.load(std::memory_order_acquire) >= N) return false;
        m_items[head & (N - 1)] = item;
        m_head.store(head + 1, std::memory_order_release);
        return true;
    }
    // Consumer side.
    bool Pop(T& item) {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail == m_head.load(std::memory_order_acquire)) return false;
        item = m_items[tail & (N - 1)];
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    std::array<T, N> m_items{};
    std::atomic<std::size_t> m_head{0};
    std::atomic<std::size_t> m_tail{0};
};

}  // namespace cx
