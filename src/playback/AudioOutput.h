// Where the engine's mix goes: a sound device, or nothing at all.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "playback/AudioEngine.h"

namespace cx {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling the engine; false with `error` set when it cannot.
    virtual bool Start(std::string& error) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

// Pulls the engine in real time with no device, as a sound card would: it
// renders `queueBlocks` blocks ahead of the frame that "leaves" now, and
// reports that as its latency. For tests, benchmarks and headless runs.
class NullDevice final : public AudioOutput {
public:
    explicit NullDevice(AudioEngine& engine, std::size_t blockFrames = 512,
                        std::size_t queueBlocks = 4);
    ~NullDevice() override;

    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override { return m_running.load(); }

    // The left sample of the frame leaving the device now (0 before the first).
    float LeavingSample() const;
    std::size_t LatencyFrames() const { return m_blockFrames * m_queueBlocks; }

private:
    void Loop();

    AudioEngine& m_engine;
    const std::size_t m_blockFrames;
    const std::size_t m_queueBlocks;
    const std::size_t m_ringBlocks;
    std::vector<float> m_block;
    std::vector<std::atomic<float>> m_history;  // left samples of recent blocks
    std::atomic<std::uint64_t> m_blocksRendered{0};
    std::atomic<std::int64_t> m_startNs{0};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

// SDL2 output, float stereo at the engine's rate on a named device.
class SdlOutput final : public AudioOutput {
public:
    // `deviceName` empty: the system's default device.
    SdlOutput(AudioEngine& engine, std::string deviceName, std::size_t bufferFrames = 1024);
    ~SdlOutput() override;

    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override { return m_device != 0; }

    // Names of the output (or capture) devices; empty with `error` set when
    // the audio system cannot start.
    static std::vector<std::string> ListDevices(bool capture, std::string& error);

private:
    static void Callback(void* user, unsigned char* stream, int len);

    AudioEngine& m_engine;
    std::string m_deviceName;
    std::size_t m_bufferFrames;
    std::uint32_t m_device = 0;
    bool m_sdlStarted = false;
};

}  // namespace cx
