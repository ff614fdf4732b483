// A MIDI song rendered by FluidSynth as an AudioSource, with no FluidSynth
// audio driver: the audio engine pulls frames, so MIDI and audio songs share
// one output and one audible clock. The channel mixer (mute, volume, pan,
// program, transposition) and the tempo factor are driven from the UI thread
// through a lock-free queue; positions leave through atomics.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiChannels.h"
#include "midi/SmfReader.h"
#include "midi/SoftLimiter.h"
#include "midi/SpscQueue.h"
#include "midi/TempoMap.h"
#include "playback/AudioSource.h"

namespace cx {

inline constexpr int kDefaultSynthSampleRate = 44100;
inline constexpr std::size_t kSynthCommandCapacity = 256;
// FluidSynth's master gain. Its own default (0.2) lets busy General MIDI
// songs pass full scale; this leaves headroom, and the limiter catches the rest.
inline constexpr double kSynthGain = 0.16;

// A channel message at its time in the song.
struct TimedMidiEvent {
    double seconds = 0;
    std::uint64_t tick = 0;
    std::uint8_t status = 0, data1 = 0, data2 = 0;
};

// All channel messages of a file in playing order, timed with its tempo map.
std::vector<TimedMidiEvent> SequenceEvents(const SmfFile& file, const TempoMap& map);

struct SynthOptions {
    int sampleRate = kDefaultSynthSampleRate;
    bool effects = true;  // reverb and chorus
};

class MidiSynth : public AudioSource {
public:
    ~MidiSynth() override;
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // Parses the song (without a settings block) and loads the SoundFont.
    static std::unique_ptr<MidiSynth> Create(std::string_view songBytes,
                                             const std::string& soundFont,
                                             const SynthOptions& options, std::string& error);

    int SampleRate() const override { return m_sampleRate; }
    // Frames of the song at its written tempo.
    std::int64_t LengthFrames() const override { return m_lengthFrames; }
    std::size_t Render(float* interleavedStereo, std::size_t frames) override;
    // Positions at a song frame (written tempo): sounding notes stop, and the
    // controllers and programs of everything before that point are replayed.
    bool SeekFrame(std::int64_t frame) override;

    // UI thread: queued, applied at the start of the next Render.
    void SetChannelEnabled(int channel, bool enabled);
    void SetChannelVolume(int channel, int volume);    // 0..127, -1 = the song's own
    void SetChannelBalance(int channel, int balance);  // 0..127, -1 = the song's own
    void SetChannelProgram(int channel, int program);  // 0..127, -1 = the song's own
    // Semitones for one channel; held notes stop and sound again at the new pitch.
    void SetChannelTranspose(int channel, int semitones);
    // 1 = written tempo; 0 holds the song still.
    void SetTempoFactor(double factor);
    void RequestSeekFrame(std::int64_t frame);

    // Song position (seconds at the written tempo) after the last rendered block.
    double SongSeconds() const { return m_songSeconds.load(std::memory_order_acquire); }
    // The place of a seek the render thread has not taken yet; negative when none.
    double PendingSeekSeconds() const { return m_pendingSeek.load(std::memory_order_acquire); }
    // Frames handed out since creation (output time, not song time).
    std::int64_t OutputFrames() const { return m_outputFrames.load(std::memory_order_acquire); }
    double TempoFactor() const { return m_factorOut.load(std::memory_order_acquire); }
    bool Finished() const { return m_finished.load(std::memory_order_acquire); }
    double LengthSeconds() const { return m_lengthSeconds; }
    // The program the channel plays now.
    int ChannelProgram(int channel) const;
    const TempoMap& Tempo() const { return m_tempo; }

private:
    enum class Cmd { Enabled, Volume, Balance, Program, Transpose, Tempo, Seek };
    struct Command {
        Cmd kind = Cmd::Enabled;
        int channel = 0;
        int value = 0;
        double real = 0;
    };
    struct Channel {
        bool enabled = true;
        int volumeOverride = -1, balanceOverride = -1, programOverride = -1;
        int songVolume = kDefaultChannelVolume, songBalance = kCenterBalance, songProgram = 0;
        int transpose = 0;
        std::array<std::uint8_t, 128> held{};      // velocity of keys the song holds down
        std::array<std::int16_t, 128> sounding{};  // key sounding for each held key, -1 none
    };

    MidiSynth() = default;
    void Push(const Command& c);
    void ApplyCommands();
    void Apply(const Command& c);
    void Dispatch(const TimedMidiEvent& e, bool notes);
    void NoteOn(int ch, int key, int velocity);
    void NoteOff(int ch, int key);
    void SilenceChannel(int ch);
    void Retrigger(int ch);
    void SeekNow(std::int64_t frame);
    void PublishState();

    struct Fluid;
    std::unique_ptr<Fluid> m_fluid;
    int m_sampleRate = kDefaultSynthSampleRate;
    TempoMap m_tempo;
    std::vector<TimedMidiEvent> m_events;
    std::vector<std::int64_t> m_eventFrames;
    std::size_t m_next = 0;
    double m_songFrame = 0;  // song position in frames at the written tempo
    double m_factor = 1.0;
    double m_lengthSeconds = 0;
    std::int64_t m_lengthFrames = 0;
    std::array<Channel, kMidiChannels> m_channels{};
    SoftLimiter m_limiter;

    SpscQueue<Command, kSynthCommandCapacity> m_commands;
    std::atomic<double> m_songSeconds{0};
    std::atomic<double> m_pendingSeek{-1};
    std::atomic<double> m_factorOut{1.0};
    std::atomic<std::int64_t> m_outputFrames{0};
    std::atomic<bool> m_finished{false};
    std::array<std::atomic<int>, kMidiChannels> m_programs{};
};

}  // namespace cx
