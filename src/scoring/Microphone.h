// The microphone feeding the live pitch tracker (or the latency calibration):
// its own capture device, so recording and the level meter keep theirs. The
// device callback only converts to mono and pushes into the sink.
#pragma once

#include <cstdint>
#include <string>

#include "scoring/VoiceSink.h"

namespace cx {

inline constexpr int kMicrophoneRate = 44100;
inline constexpr int kMicrophoneBufferFrames = 256;  // 5.8 ms

class Microphone {
public:
    explicit Microphone(VoiceSink& sink) : m_sink(sink) {}
    ~Microphone() { Close(); }
    Microphone(const Microphone&) = delete;
    Microphone& operator=(const Microphone&) = delete;

    // Opens `device` (empty: the default); false with `error` when it cannot.
    bool Open(const std::string& device, std::string& error);
    void Close();
    bool IsOpen() const { return m_device != 0; }
    // What the device's buffer adds to the delay, in seconds.
    double BufferSeconds() const { return m_bufferSeconds; }

private:
    static void Callback(void* user, unsigned char* stream, int length);

    VoiceSink& m_sink;
    std::uint32_t m_device = 0;
    bool m_sdlStarted = false;
    int m_channels = 1;
    double m_bufferSeconds = 0;
};

}  // namespace cx
