#include "playback/CutVocal.h"

namespace cx {

void CutVocal(AudioHandle, AudioHandle, float* buffer, std::size_t bytes, void* user) {
    const auto* on = static_cast<const std::atomic<bool>*>(user);
    if (!on || !on->load(std::memory_order_relaxed)) return;
    const std::size_t samples = bytes / sizeof(float);
    for (std::size_t i = 0; i + 1 < samples; i += 2) {
        const float m = (buffer[i + 1] - buffer[i]) / 2.0f;
        buffer[i] = m;
        buffer[i + 1] = m;
    }
}

}  // namespace cx
