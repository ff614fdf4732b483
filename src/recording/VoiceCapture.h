// Capture from a recording device into a WAV file. The device callback only
// copies into a preallocated ring; a writer thread moves the ring to the
// file. Bytes that did not fit are counted and reported with the take.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "midi/SpscQueue.h"
#include "recording/ByteRing.h"
#include "recording/RecordFormat.h"

namespace cx {

// Seconds of audio the ring holds before the writer must have caught up.
inline constexpr double kCaptureRingSeconds = 4.0;
// Frames per device buffer.
inline constexpr int kCaptureBufferFrames = 1024;

// What the device callback touches: copies only, never locks or allocates.
class CaptureSink {
public:
    // Sized for `bytesPerSecond` x kCaptureRingSeconds.
    void Prepare(const RecordFormat& format);
    // One buffer from the device.
    void Take(const unsigned char* data, std::size_t length);
    // The writer side.
    std::size_t Read(unsigned char* out, std::size_t length) { return m_ring->Read(out, length); }
    std::uint64_t TakeOverruns() { return m_overrunBytes.exchange(0); }
    bool PopHead(std::uint32_t& frame) { return m_heads.Pop(frame); }

private:
    std::unique_ptr<ByteRing> m_ring;
    int m_channels = 2;
    std::atomic<std::uint64_t> m_overrunBytes{0};
    SpscQueue<std::uint32_t, 64> m_heads;
};

enum class CaptureError { None, CreateFile, Device };

struct TakeReport {
    std::uint64_t dataBytes = 0;     // samples written to the file
    std::uint64_t overrunBytes = 0;  // captured but lost: the writer fell behind
    std::string error;               // a write failure, when there was one
};

class VoiceCapture {
public:
    VoiceCapture() = default;
    ~VoiceCapture();
    VoiceCapture(const VoiceCapture&) = delete;
    VoiceCapture& operator=(const VoiceCapture&) = delete;

    // Starts capturing from `device` (empty: the default) into `takeFile`,
    // or only for the level meter when `takeFile` is empty. On failure
    // `error` says why and `kind` which message the user gets.
    bool Start(const std::string& device, const RecordFormat& format,
               const std::filesystem::path& takeFile, std::string& error, CaptureError& kind);
    // Stops, writes what is left, completes the WAV header.
    TakeReport Stop();
    bool Running() const { return m_device != 0; }
    const RecordFormat& Format() const { return m_format; }
    const std::filesystem::path& TakeFile() const { return m_takePath; }

    // The first frame of each device buffer since the last call, for the
    // level meter: left in the low 16 bits, right in the high 16 (mono: both
    // the same).
    template <class F>
    void ForEachBufferHead(F&& f) {
        std::uint32_t frame = 0;
        while (m_sink.PopHead(frame)) f(frame);
    }

    static std::vector<std::string> ListDevices(std::string& error);

private:
    static void Callback(void* user, unsigned char* stream, int length);
    void WriterLoop();
    void Drain();
    void CloseFile(TakeReport& report);

    std::uint32_t m_device = 0;
    bool m_sdlStarted = false;
    RecordFormat m_format;
    std::filesystem::path m_takePath;
    std::FILE* m_file = nullptr;
    CaptureSink m_sink;
    std::vector<unsigned char> m_chunk;  // the writer's copy-out buffer
    std::thread m_writer;
    std::atomic<bool> m_stopWriter{false};
    std::uint64_t m_written = 0;
    std::string m_writeError;
};

}  // namespace cx
