// A decoded file as an AudioSource: a worker thread decodes ahead into a
// preallocated ring of blocks, so Render never decodes, locks or allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "playback/AudioSource.h"
#include "playback/FileDecoder.h"

namespace cx {

class StreamingSource final : public AudioSource {
public:
    // Frames per ring block and blocks in the ring (about 1.5 s at 44.1 kHz).
    static constexpr std::size_t kBlockFrames = 2048;
    static constexpr std::size_t kBlocks = 32;

    // `waitForData`: Render waits for the worker instead of playing silence;
    // for offline rendering only, never on a device callback.
    StreamingSource(std::unique_ptr<FileDecoder> decoder, bool waitForData);
    ~StreamingSource() override;
    StreamingSource(const StreamingSource&) = delete;
    StreamingSource& operator=(const StreamingSource&) = delete;

    int SampleRate() const override { return m_rate; }
    std::int64_t LengthFrames() const override { return m_length; }
    std::size_t Render(float* interleavedStereo, std::size_t frames) override;
    // Real-time safe: asks the worker to move and drops what was decoded ahead.
    bool SeekFrame(std::int64_t frame) override;

    // Consumer side: decoded data for the current position is there (or the
    // end is reached). Before that, e.g. just after a seek, the engine plays
    // silence without moving the position.
    bool Ready();

    int Channels() const { return m_channels; }
    // Frames of silence played because the worker fell behind.
    std::uint64_t UnderrunFrames() const { return m_underrunFrames.load(); }

private:
    struct Block {
        std::uint32_t generation = 0;
        std::uint32_t frames = 0;
        bool last = false;  // the decoder reached the end after these frames
        std::array<float, kBlockFrames * 2> samples{};
    };

    void WorkerLoop();
    bool NextBlock();

    std::unique_ptr<FileDecoder> m_decoder;
    const bool m_waitForData;
    const int m_rate;
    const int m_channels;
    const std::int64_t m_length;

    std::vector<Block> m_blocks;
    std::atomic<std::uint64_t> m_writeIndex{0};  // written by the worker
    std::atomic<std::uint64_t> m_readIndex{0};   // written by the consumer

    // Seek requests from the consumer: the frame, then its generation.
    std::atomic<std::int64_t> m_seekFrame{0};
    std::atomic<std::uint32_t> m_requestGeneration{0};
    std::atomic<bool> m_quit{false};

    // Consumer-side state.
    std::uint32_t m_generation = 0;
    std::size_t m_blockOffset = 0;
    bool m_atEnd = false;
    std::atomic<std::uint64_t> m_underrunFrames{0};

    std::thread m_worker;
};

}  // namespace cx
