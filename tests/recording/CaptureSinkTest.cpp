// What the capture callback does, run with an allocation counter: it copies
// and counts, never allocates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "recording/VoiceCapture.h"

namespace {
std::atomic<long> g_allocations{0};
}

// The replacements below pair malloc with free; GCC cannot see that they
// replace the global pair and warns where it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace cx {
namespace {

TEST(CaptureSink, TheCallbackCopiesWithoutAllocatingAndCountsWhatDidNotFit) {
    CaptureSink sink;
    const RecordFormat format{2, 11025};
    sink.Prepare(format);
    std::vector<unsigned char> buffer(4096);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<unsigned char>(i);

    const long before = g_allocations.load();
    // Far more than the ring holds: the excess is counted, not written.
    const std::size_t ringBytes = 1u << 18;  // 4 s of 11025 Hz stereo rounds up to this
    const std::size_t rounds = ringBytes / buffer.size() + 10;
    for (std::size_t i = 0; i < rounds; ++i) sink.Take(buffer.data(), buffer.size());
    EXPECT_EQ(g_allocations.load(), before);

    EXPECT_EQ(sink.TakeOverruns(), rounds * buffer.size() - ringBytes);
    std::vector<unsigned char> out(buffer.size());
    ASSERT_EQ(sink.Read(out.data(), out.size()), out.size());
    EXPECT_EQ(out, buffer);

    std::uint32_t head = 0;
    ASSERT_TRUE(sink.PopHead(head));
    EXPECT_EQ(head, 0x03020100u);
}

}  // namespace
}  // namespace cx
