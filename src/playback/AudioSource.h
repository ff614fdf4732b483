// What the audio engine pulls sound from: decoded files and the MIDI synth.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cx {

class AudioSource {
public:
    virtual ~AudioSource() = default;

    virtual int SampleRate() const = 0;
    // Total length in frames, or -1 when unknown.
    virtual std::int64_t LengthFrames() const = 0;
    // Fills up to `frames` interleaved float stereo frames and returns how many
    // were written; fewer means the end was reached. Called from one thread
    // at a time; real-time implementations must not lock, allocate or do I/O.
    virtual std::size_t Render(float* interleavedStereo, std::size_t frames) = 0;
    // Moves the read point; never called concurrently with Render.
    virtual bool SeekFrame(std::int64_t frame) = 0;
};

// Lends a source to the engine without giving it away: the owner (the MIDI
// player, say) keeps it, the engine's channel only pulls from it.
class BorrowedSource final : public AudioSource {
public:
    explicit BorrowedSource(AudioSource& inner) : m_inner(inner) {}
    int SampleRate() const override { return m_inner.SampleRate(); }
    std::int64_t LengthFrames() const override { return m_inner.LengthFrames(); }
    std::size_t Render(float* out, std::size_t frames) override {
        return m_inner.Render(out, frames);
    }
    bool SeekFrame(std::int64_t frame) override { return m_inner.SeekFrame(frame); }

private:
    AudioSource& m_inner;
};

// Anything that can tell the audible playback position (what the listener hears now).
class AudioClock {
public:
    virtual ~AudioClock() = default;
    virtual double AudiblePositionSeconds() const = 0;
};

}  // namespace cx
