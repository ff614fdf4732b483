// The vocal cut: a sample processor that cancels what is centred in a stereo
// mix (usually the lead voice) while its flag is on.
#pragma once

#include <atomic>
#include <cstddef>

#include "playback/AudioEngine.h"

namespace cx {

// Sample processor for AudioEngine::ChannelSetDSP. `user` is the
// std::atomic<bool> that switches it; it reads nothing else. For every frame,
// m = (right - left) / 2 goes to both sides.
void CutVocal(AudioHandle dsp, AudioHandle channel, float* buffer, std::size_t bytes, void* user);

}  // namespace cx
