// The audio engine: channels built from decoded files or any AudioSource,
// each played through one chain (tempo and key, effects in priority order,
// sample processors, volume and pan) and mixed into one output.
//
// The control operations run on one thread (the UI thread); Render runs on
// the output's thread. They meet only through atomics: Render never locks,
// allocates, does file I/O or logs. Handles are 32-bit; 0 means failure, and
// every operation on a 0 or freed handle does nothing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "playback/AudioSource.h"
#include "playback/Effects.h"
#include "playback/GainStage.h"
#include "playback/TimeStretcher.h"

namespace cx {

using AudioHandle = std::uint32_t;

// A sample processor: gets each block of float stereo before volume and pan,
// changes it in place. `bytes` is the block length in bytes.
using DspProc = void (*)(AudioHandle dsp, AudioHandle channel, float* buffer, std::size_t bytes,
                         void* user);

struct ChannelInfo {
    int frequency = 0;  // the source's sample rate
    int channels = 0;   // channels in the file (1 mono, 2 stereo)
};

// Volume 0..100, pan -100..100; a frequency of -1, volume of -1 or pan of
// -101 leave that value unchanged when setting.
struct ChannelAttributes {
    int frequency = -1;
    int volume = 100;
    int pan = 0;
};

// Bytes of one frame of the float stereo format that positions are counted in.
inline constexpr std::int64_t kBytesPerFrame = 2 * sizeof(float);

class AudioEngine {
public:
    static constexpr std::size_t kMaxChannels = 8;
    static constexpr std::size_t kMaxEffects = 8;
    static constexpr std::size_t kMaxDsps = 4;
    // Frames processed in one pass of a channel's chain.
    static constexpr std::size_t kMaxBlock = 1024;

    // `outputRate`: the rate the mix runs at; channels of another rate are resampled.
    AudioEngine(int outputRate, PitchEngine pitchEngine = PitchEngine::SoundTouch);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    int OutputRate() const { return m_outputRate; }
    PitchEngine Engine() const { return m_pitchEngine; }

    // Streams. A decoding stream only gives information until a tempo channel
    // takes it over; a playable stream goes straight to the mix. The output
    // thread reads decoded data from a ring the stream's own worker fills;
    // `offline` makes the read wait for the worker instead (no device).
    AudioHandle StreamCreateFile(const std::string& path, bool decodeOnly, bool offline = false,
                                 std::string* error = nullptr);
    // Takes over a decoding stream; freeing the channel frees the stream too.
    AudioHandle TempoCreate(AudioHandle decodingStream);
    // Any source, e.g. the MIDI synth; `channels` is what ChannelGetInfo reports.
    AudioHandle CreateSourceChannel(std::unique_ptr<AudioSource> source, int channels = 2);
    ChannelInfo ChannelGetInfo(AudioHandle h) const;
    void Free(AudioHandle h);

    // Tempo change in percent (-30..30 is the useful range), key change in
    // semitones; -100 leaves either unchanged.
    bool TempoSet(AudioHandle channel, float tempoPercent, float pitchSemitones);
    float TempoGet(AudioHandle channel) const;
    float PitchGet(AudioHandle channel) const;

    // Plays on from the current position (or from the start with `restart`).
    bool ChannelPlay(AudioHandle channel, bool restart = false);
    // Halts; the position stays, so ChannelPlay continues there.
    bool ChannelStop(AudioHandle channel);
    bool ChannelIsPlaying(AudioHandle channel) const;
    // The source has been played out to its end.
    bool ChannelEnded(AudioHandle channel) const;

    // Frames of sound the channel gave in the last Render (less than asked at its end).
    std::size_t LastRenderedFrames(AudioHandle channel) const;

    // Positions in frames of the source. The position is the audible one:
    // what leaves the device now, after its latency and the pitch engine's.
    std::int64_t LengthFrames(AudioHandle channel) const;
    std::int64_t PositionFrames(AudioHandle channel) const;
    bool SetPositionFrames(AudioHandle channel, std::int64_t frame);
    double LengthSeconds(AudioHandle channel) const;
    double PositionSeconds(AudioHandle channel) const;
    bool SetPositionSeconds(AudioHandle channel, double seconds);

    // The same in bytes of float stereo at the source's own rate.
    std::int64_t ChannelGetLength(AudioHandle channel) const;
    std::int64_t ChannelGetPosition(AudioHandle channel) const;
    bool ChannelSetPosition(AudioHandle channel, std::int64_t bytes);
    double ChannelBytes2Seconds(AudioHandle channel, std::int64_t bytes) const;
    std::int64_t ChannelSeconds2Bytes(AudioHandle channel, double seconds) const;

    bool ChannelSetAttributes(AudioHandle channel, int frequency, int volume, int pan);
    ChannelAttributes ChannelGetAttributes(AudioHandle channel) const;

    // Effects run by priority, higher first; equal priorities in the order added.
    AudioHandle ChannelSetFX(AudioHandle channel, FxType type, int priority);
    bool ChannelRemoveFX(AudioHandle channel, AudioHandle fx);
    bool FXSetParameters(AudioHandle fx, const FxParameters& p);
    bool FXGetParameters(AudioHandle fx, FxParameters& p) const;

    // Sample processors run after the effects, by priority as effects do.
    AudioHandle ChannelSetDSP(AudioHandle channel, DspProc proc, void* user, int priority);
    bool ChannelRemoveDSP(AudioHandle channel, AudioHandle dsp);

    // The output side. Render mixes every playing channel into `out`
    // (interleaved float stereo at OutputRate).
    void Render(float* out, std::size_t frames);
    // A real-time output tells how many output frames it holds, when Render
    // returns, before the first frame just rendered is heard; positions then
    // follow the wall clock between renders. Without one (offline), what was
    // rendered counts as heard.
    void SetOutputLatency(std::size_t latencyFrames, bool realTime);

    // Silences the whole mix (the player's Mute); a short ramp avoids a click.
    void SetMasterMute(bool muted) { m_masterMuted.store(muted, std::memory_order_relaxed); }
    bool MasterMuted() const { return m_masterMuted.load(std::memory_order_relaxed); }

    // The song's loudness gain, applied to the whole mix before the mute.
    GainStage& SongGain() { return m_songGain; }

    // Frames of silence played because a decoder fell behind, over all channels.
    std::uint64_t UnderrunFrames() const;

    // What the output told about itself; shared with clocks.
    struct OutputTiming {
        std::atomic<std::size_t> latencyFrames{0};
        std::atomic<bool> realTime{false};
    };

    // The clock of one channel for lyrics, graphics and the MIDI player.
    class ChannelClock;
    std::unique_ptr<AudioClock> MakeClock(AudioHandle channel) const;

private:
    struct Channel;
    struct Entry;

    Channel* FindChannel(AudioHandle h) const;
    const Entry* FindEntry(AudioHandle h) const;
    AudioHandle NewHandle();
    AudioHandle AddChannel(std::unique_ptr<Channel> channel);
    void WaitForRender() const;
    void ApplyMasterGain(float* out, std::size_t frames);
    void RenderChannel(Channel& c, float* out, std::size_t frames);
    std::size_t Produce(Channel& c, float* out, std::size_t frames);

    const int m_outputRate;
    const PitchEngine m_pitchEngine;
    GainStage m_songGain;
    std::array<std::atomic<Channel*>, kMaxChannels> m_live{};
    std::unordered_map<AudioHandle, Entry> m_entries;  // control thread only
    std::unordered_map<AudioHandle, std::unique_ptr<Channel>> m_owned;
    AudioHandle m_nextHandle = 1;

    std::shared_ptr<OutputTiming> m_output = std::make_shared<OutputTiming>();
    std::atomic<bool> m_inRender{false};
    std::atomic<bool> m_masterMuted{false};
    float m_masterGain = 1.0f;  // render thread only
    std::atomic<std::uint64_t> m_renderCount{0};
    std::array<float, kMaxBlock * 2> m_mixScratch{};
};

}  // namespace cx
