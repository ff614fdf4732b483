// The song's loudness gain on the mixed output. The control thread sets a
// target; the output thread glides towards it sample by sample, so a new gain
// never clicks. They meet only through atomics: Process never locks or
// allocates.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace cx {

class GainStage {
public:
    // Time constant of the glide: a change is 95 % done after three of these.
    static constexpr double kGlideSeconds = 0.5;

    explicit GainStage(int sampleRate);

    // Control thread. `immediate` jumps to the gain at the next block instead
    // of gliding (a new song, or a measure that came before it was heard).
    void SetTarget(float linearGain, bool immediate);
    float Target() const { return m_target.load(std::memory_order_relaxed); }
    // The gain at the end of the last processed block.
    float Current() const { return m_applied.load(std::memory_order_relaxed); }

    // Output thread: multiplies interleaved stereo frames in place.
    void Process(float* stereo, std::size_t frames);

private:
    std::atomic<float> m_target{1.0f};
    std::atomic<std::uint32_t> m_jumps{0};
    std::atomic<float> m_applied{1.0f};
    std::uint32_t m_jumpsSeen = 0;  // output thread only
    float m_gain = 1.0f;            // output thread only
    float m_step;                   // share of the distance covered per frame
};

}  // namespace cx
