// Where the microphone's samples go: the live pitch tracker, or the
// calibration's recording. Called on the capture thread: never locks,
// allocates or waits.
#pragma once

#include <cstddef>

namespace cx {

class VoiceSink {
public:
    virtual ~VoiceSink() = default;
    virtual int SampleRate() const = 0;
    virtual void PushSamples(const float* mono, std::size_t count) = 0;
};

}  // namespace cx
