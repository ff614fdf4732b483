// Tempo, key and rate change of a stereo float stream, behind one interface
// so that the engine can use SoundTouch or Rubber Band.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace cx {

enum class PitchEngine { SoundTouch, RubberBand };

// "soundtouch" or "rubberband" (the "pitch engine" setting); anything else
// falls back to SoundTouch with `known` false.
PitchEngine ParsePitchEngine(const std::string& name, bool* known = nullptr);
const char* PitchEngineName(PitchEngine engine);

class TimeStretcher {
public:
    // Largest block Feed and Retrieve accept.
    static constexpr std::size_t kMaxBlock = 4096;

    virtual ~TimeStretcher() = default;

    // Builds a stretcher for `sampleRate`; allocates, so call it off the audio thread.
    static std::unique_ptr<TimeStretcher> Create(PitchEngine engine, int sampleRate);

    // tempo: 1.0 normal, 1.3 = 30 % faster. semitones: key change.
    // rate: input frames per output frame from resampling (source rate / output rate).
    virtual void SetParameters(double tempo, double semitones, double rate) = 0;
    virtual void Feed(const float* stereo, std::size_t frames) = 0;
    // Writes up to `frames` frames that are ready; returns how many.
    virtual std::size_t Retrieve(float* stereo, std::size_t frames) = 0;
    // No more input: lets the tail out through Retrieve.
    virtual void Flush() = 0;
    // Drops everything inside, e.g. after a seek.
    virtual void Reset() = 0;
    // Output frames that come out after the input that made them (for reports).
    virtual std::size_t LatencyFrames() const = 0;
};

}  // namespace cx
