// Single-producer single-consumer ring of bytes, allocated once: the capture
// callback writes into it without locks or allocation, the writer thread
// drains it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>

namespace cx {

class ByteRing {
public:
    // `capacity` is rounded up to a power of two.
    explicit ByteRing(std::size_t capacity) {
        while (m_size < capacity) m_size <<= 1;
        m_bytes = std::make_unique<unsigned char[]>(m_size);
    }

    std::size_t Capacity() const { return m_size; }

    // Producer: copies what fits and returns how much that was.
    std::size_t Write(const unsigned char* data, std::size_t length) {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        const std::size_t free = m_size - (head - m_tail.load(std::memory_order_acquire));
        const std::size_t n = std::min(free, length);
        const std::size_t at = head & (m_size - 1);
        const std::size_t first = std::min(n, m_size - at);
        std::memcpy(m_bytes.get() + at, data, first);
        std::memcpy(m_bytes.get(), data + first, n - first);
        m_head.store(head + n, std::memory_order_release);
        return n;
    }

    // Consumer: copies up to `length` bytes out and returns how many.
    std::size_t Read(unsigned char* out, std::size_t length) {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        const std::size_t used = m_head.load(std::memory_order_acquire) - tail;
        const std::size_t n = std::min(used, length);
        const std::size_t at = tail & (m_size - 1);
        const std::size_t first = std::min(n, m_size - at);
        std::memcpy(out, m_bytes.get() + at, first);
        std::memcpy(out + first, m_bytes.get(), n - first);
        m_tail.store(tail + n, std::memory_order_release);
        return n;
    }

private:
    std::size_t m_size = 1;
    std::unique_ptr<unsigned char[]> m_bytes;
    std::atomic<std::size_t> m_head{0};
    std::atomic<std::size_t> m_tail{0};
};

}  // namespace cx
