// A small record shared between one writer thread and any readers without
// locks: readers never wait and never see half a record.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace cx {

template <class T>
class SeqValue {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) % 4 == 0);
    static constexpr std::size_t kWords = sizeof(T) / 4;

public:
    SeqValue() { Store(T{}); }

    // One writer at a time.
    void Store(const T& value) {
        std::array<std::uint32_t, kWords> words;
        std::memcpy(words.data(), &value, sizeof(T));
        m_sequence.fetch_add(1, std::memory_order_acq_rel);  // odd: writing
        // Release stores and acquire loads of the words (rather than relaxed
        // ones and a fence): a reader that sees any new word then sees the odd
        // sequence too. Same code on x86, and ThreadSanitizer can follow it,
        // which it cannot do for fences.
        for (std::size_t i = 0; i < kWords; ++i)
            m_words[i].store(words[i], std::memory_order_release);
        m_sequence.fetch_add(1, std::memory_order_release);  // even: complete
    }

    // Copies a newer complete record into `local`; false when there is none
    // or a write is in progress (then `local` keeps its old value).
    bool Refresh(T& local, unsigned& seen) const {
        const unsigned before = m_sequence.load(std::memory_order_acquire);
        if (before == seen || (before & 1u)) return false;
        std::array<std::uint32_t, kWords> words;
        for (std::size_t i = 0; i < kWords; ++i)
            words[i] = m_words[i].load(std::memory_order_acquire);
        if (m_sequence.load(std::memory_order_relaxed) != before) return false;
        std::memcpy(static_cast<void*>(&local), words.data(), sizeof(T));
        seen = before;
        return true;
    }

    // Spins until a complete record is read; for readers that may wait briefly.
    T Load() const {
        T value{};
        unsigned seen = 0;
        while (!Refresh(value, seen)) {
        }
        return value;
    }

private:
    std::array<std::atomic<std::uint32_t>, kWords> m_words{};
    std::atomic<unsigned> m_sequence{0};
};

}  // namespace cx
