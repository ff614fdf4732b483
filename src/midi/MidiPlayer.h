// The MIDI player without its window: opens a song (lyrics, settings block,
// synth), keeps the channel records and sliders, and drives the transport.
// The audio engine pulls sound from Source() while the state is Playing.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "lyrics/LyricsModel.h"
#include "midi/MidiChannels.h"
#include "midi/MidiConverter.h"
#include "midi/MidiInfo.h"
#include "midi/MidiLyrics.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/MidiSynth.h"

namespace cx {

inline constexpr int kTempoSliderMin = 77;
inline constexpr int kTempoSliderRest = 109;
inline constexpr int kTempoSliderMax = 141;
inline constexpr double kTransposePixelsPerStep = 6.4;

// Tempo factor of the tempo slider's thumb: 0 at the left end, 1 at rest, 2 at the right end.
double MidiTempoFactor(int thumb);
// Semitones of the transposition slider's value (its offset in pixels from rest).
int TransposeSemitones(int sliderValue);

enum class MidiPlayState { Closed, Stopped, Playing, Paused };

struct MidiOpenResult {
    bool opened = false;    // the file was read; lyrics are loaded when it has any
    bool playable = false;  // a synth is ready
    std::string message;    // for the user: why there is no sound, or why opening failed
    MidiLyricSource lyricSource = MidiLyricSource::None;
    bool converting = false;  // the converter works on for better words
};

// What the player's status line says of the open MIDI song, as a language
// key: the converter at work, a repaired file, or nothing.
std::string MidiStatusKey(bool converting, bool repaired);

class MidiPlayer {
public:
    // Opens a song: reads it whole, loads its lyrics into `model` through the
    // three routes (then the heading and widest line: the KAR title and
    // artist stand in for tags, the song path for the base name), applies its
    // settings block and prepares the synth from the bytes without the block.
    // Never starts playing. With lyricOptions.converterFinished set, a wanted
    // converter runs on a thread of its own; the lyrics found without it
    // stand until TakeConvertedLyrics.
    MidiOpenResult OpenMusic(const std::filesystem::path& song, const std::string& soundFont,
                             const MidiLyricsOptions& lyricOptions, LyricsModel& model,
                             const SynthOptions& synthOptions = {}, AfterLoadContext context = {});
    void CloseDevice();
    void ZeroVariables();

    // Why the last OpenMusic did not open the song or has no sound (the
    // same text as its result's message); empty when it opened and plays.
    const std::string& LastError() const { return m_lastError; }

    // The converter started by OpenMusic is at work.
    bool Converting() const { return m_converter && !m_converter->Finished(); }
    // Once the converter has finished: its words, when it gave any, replace
    // the model's. True when the model changed. Ends the job either way.
    bool TakeConvertedLyrics(LyricsModel& model);

    MidiSynth* Source() { return m_synth.get(); }
    MidiPlayState State() const { return m_state; }
    const MidiFileInfo& Info() const { return m_info; }
    const std::filesystem::path& SongPath() const { return m_song; }

    void PlayMidi();
    void PauseMidi();
    void StopMidi();
    void SetMidiPosition(double seconds);
    // The audible position in seconds; corrected for output latency when a clock is set.
    double MidiTime() const;
    bool CheckEnd() const;
    // The clock of the audio engine that plays Source(); it reports seconds of
    // Source()'s own output that the listener hears now.
    void SetClock(const AudioClock* clock) { m_clock = clock; }

    // Mixer strip operations on channel 0..15.
    void ChannelEnabled(int channel, bool enabled);
    void ChannelVolume(int channel, int volume);
    void ChannelBalance(int channel, int balance);
    void ChangeInstrument(int channel, int program);
    void SetLocked(int channel, bool locked);
    // Applies every record to the synth.
    void SetChannels();
    std::string GetInstrument(int channel) const;
    const ChannelRecords& Channels() const { return m_settings.Channels; }

    // Sliders.
    void SetTransposition(int sliderValue);
    int Transposition() const { return m_settings.Transposition; }
    void SetTempoSlider(int thumb);
    int TempoSlider() const { return m_tempoThumb; }
    std::string TempoText() const;

    // Writes the settings block into the song file (atomic rewrite).
    std::string SaveMidi();
    // Back to what the song file holds: its block, or the song's own values
    // when it has none. Locked channels keep theirs. Empty, or the reason.
    std::string RestoreMidi();

private:
    MidiOpenResult Open(const std::filesystem::path& song, const std::string& soundFont,
                        const MidiLyricsOptions& lyricOptions, LyricsModel& model,
                        const SynthOptions& synthOptions, AfterLoadContext& context);
    void ApplyTranspose();

    std::unique_ptr<ConverterJob> m_converter;
    Codepage m_codepage = Codepage::Cp1252;
    AfterLoadContext m_lyricContext;
    std::unique_ptr<MidiSynth> m_synth;
    const AudioClock* m_clock = nullptr;
    std::string m_lastError;
    std::filesystem::path m_song;
    MidiFileInfo m_info;
    MidiSettings m_settings;
    MidiPlayState m_state = MidiPlayState::Closed;
    int m_tempoThumb = kTempoSliderRest;
};

}  // namespace cx
