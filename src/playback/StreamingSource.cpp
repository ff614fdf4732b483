#include "playback/StreamingSource.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace cx {
namespace {
// How long the worker sleeps when the ring is full and nothing was asked.
constexpr auto kWorkerIdle = std::chrono::milliseconds(2);
}  // namespace

StreamingSource::StreamingSource(std::unique_ptr<FileDecoder> decoder, bool waitForData)
    : m_decoder(std::move(decoder)),
      m_waitForData(waitForData),
      m_rate(m_decoder->SampleRate()),
      m_channels(m_decoder->Channels()),
      m_length(m_decoder->LengthFrames()),
      m_blocks(kBlocks) {
    m_worker = std::thread([this] { WorkerLoop(); });
}

StreamingSource::~StreamingSource() {
    m_quit.store(true);
    m_writeIndex.notify_all();
    m_worker.join();
}

void StreamingSource::WorkerLoop() {
    std::uint32_t generation = 0;
    bool finished = false;
    while (!m_quit.load()) {
        const std::uint32_t requested = m_requestGeneration.load(std::memory_order_acquire);
        if (requested != generation) {
            generation = requested;
            m_decoder->Seek(m_seekFrame.load(std::memory_order_acquire));
            finished = false;
        }
        const std::uint64_t write = m_writeIndex.load(std::memory_order_relaxed);
        const std::uint64_t read = m_readIndex.load(std::memory_order_acquire);
        if (finished || write - read >= kBlocks) {
            std::this_thread::sleep_for(kWorkerIdle);
            continue;
        }
        Block& block = m_blocks[write % kBlocks];
        const std::size_t got = m_decoder->Read(block.samples.data(), kBlockFrames);
        block.generation = generation;
        block.frames = static_cast<std::uint32_t>(got);
        block.last = got < kBlockFrames;
        finished = block.last;
        m_writeIndex.store(write + 1, std::memory_order_release);
        m_writeIndex.notify_all();
    }
}

// Makes the block at the read index one of the current generation; false
// when none is ready.
bool StreamingSource::NextBlock() {
    for (;;) {
        const std::uint64_t read = m_readIndex.load(std::memory_order_relaxed);
        const std::uint64_t write = m_writeIndex.load(std::memory_order_acquire);
        if (read == write) {
            if (!m_waitForData || m_quit.load()) return false;
            m_writeIndex.wait(write);
            continue;
        }
        const Block& block = m_blocks[read % kBlocks];
        if (block.generation == m_generation) return true;
        m_readIndex.store(read + 1, std::memory_order_release);  // stale, decoded before a seek
        m_blockOffset = 0;
    }
}

bool StreamingSource::Ready() {
    return m_atEnd || NextBlock();
}

std::size_t StreamingSource::Render(float* out, std::size_t frames) {
    std::size_t done = 0;
    while (done < frames && !m_atEnd) {
        if (!NextBlock()) {
            // The worker fell behind: play silence rather than wait.
            std::memset(out + 2 * done, 0, (frames - done) * 2 * sizeof(float));
            m_underrunFrames.fetch_add(frames - done, std::memory_order_relaxed);
            return frames;
        }
        const std::uint64_t read = m_readIndex.load(std::memory_order_relaxed);
        const Block& block = m_blocks[read % kBlocks];
        const std::size_t n = std::min<std::size_t>(block.frames - m_blockOffset, frames - done);
        std::memcpy(out + 2 * done, block.samples.data() + 2 * m_blockOffset,
                    n * 2 * sizeof(float));
        done += n;
        m_blockOffset += n;
        if (m_blockOffset == block.frames) {
            if (block.last) m_atEnd = true;
            m_blockOffset = 0;
            m_readIndex.store(read + 1, std::memory_order_release);
        }
    }
    return done;
}

bool StreamingSource::SeekFrame(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, std::max<std::int64_t>(m_length, 0));
    ++m_generation;
    m_blockOffset = 0;
    m_atEnd = false;
    m_seekFrame.store(frame, std::memory_order_release);
    m_requestGeneration.store(m_generation, std::memory_order_release);
    return true;
}

}  // namespace cx
