// The one current song: opening it by name, building its audio chain,
// play, pause, stop, close, seek, its position, and the effect controls that
// act on it and on the voice channel. Free of widgets: the windows, the
// lyrics loader, the MIDI player and the CD+G window reach it through
// MediaHooks, and the settings come in as plain values.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"
#include "playback/AudioEngine.h"
#include "playback/VoiceEffects.h"

namespace cx {

// What the tag reader tells about a song file.
struct SongFileInfo {
    bool isMidi = false;  // the file is a Standard MIDI File (or RIFF MIDI)
    std::string title;
    std::string artist;
    int bitrateKbps = 0;
    int sampleRate = 0;
    double lengthSeconds = 0;  // for MIDI songs
};

// The tag reader (MP3Class) as the song-info hook; MIDI files are told by
// their content even when the MIDI reader is not wired in.
SongFileInfo ReadSongFileInfo(const std::string& path, Codepage cp);
// The lyrics loader filling `model` as the lyrics hook.
std::function<bool(const std::string& path)> LyricsLoaderHook(LyricsModel& model, Codepage cp);

// Everything outside the playback core that a song operation touches. Every
// member may stay empty: then that step does nothing (or, for the tag
// reader, ReadSongFileInfo is used).
struct MediaHooks {
    std::function<SongFileInfo(const std::string& path)> readSongInfo;
    std::function<bool(const std::string& path)> loadLyrics;        // fills the lyrics model
    std::function<void(const std::string& path)> readDisplayBlock;  // the song's own display
    std::function<void()> resetDisplayBlock;
    std::function<void()> clearLyrics;   // karaoke window cleared
    std::function<void()> changeLyrics;  // karaoke window restarts with new lyrics
    std::function<void()> resetCurrentPiece;
    std::function<void()> resetKokTiming;
    std::function<void(const std::string& title, const std::string& artist)> putLabels;
    std::function<void(const std::string& bitrate, const std::string& sampleRate)> putFormatLabels;
    std::function<void(bool running)> playbackTimers;  // the 500 ms timer and the 10 ms tick
    std::function<void(int playState)> buttonLights;
    std::function<void()> resetRemover;  // the vocal remover button shows off
    std::function<void()> resetThumbs;   // tempo and key thumbs back to rest
    // The CD+G window.
    std::function<bool(const std::string& cdgPath)> loadCdg;
    std::function<void()> playCdg, pauseCdg, stopCdg;
    std::function<void(double fraction)> moveCdg;
    // After every position change, with the new position in seconds: the
    // karaoke display catches up with the jump.
    std::function<void(double seconds)> seeked;
    // Something the user should know that did not stop the song: a language
    // key and the file it is about.
    std::function<void(const std::string& key, const std::string& path)> notice;
    // The MIDI player.
    std::function<bool(const std::string& path)> openMidi;
    // Why openMidi failed (the MIDI reader's own text); becomes LastError().
    std::function<std::string()> midiOpenError;
    std::function<void(bool resume)> playMidi;
    std::function<void()> pauseMidi, closeMidi;
    std::function<void(double fraction)> setMidiPosition;
    std::function<double()> midiTime;
    std::function<void(int bass, int treble)> midiMixerBassTreble;  // settings 0..100
    // Voice recording.
    std::function<bool()> isRecording;
    std::function<bool()> recordingArmed;
    std::function<void()> startRecording, stopRecording;
    // The playlist: play its selected entry when no song is open.
    std::function<void()> playSelectedEntry;
};

// The settings these operations read and write, as plain values.
struct MediaSettings {
    int customBass = 50;    // 0..100
    int customTreble = 50;  // 0..100
    double volume = 1.0;    // the player's volume slider, 0..1
    int voiceVolume = 100;  // the voice panel's volume, 0..100
    float voiceOffset = 0;  // seconds of the voice against the song
    std::string dspOut = "0,50,0,50,0,50,0,50";
    Codepage codepage =
        Codepage::Cp1252;  // of the song's tags  // the voice effects, see VoiceEffectSet
};

class MediaControl {
public:
    enum PlayState { kStopped = 0, kPlaying = 1, kPaused = 2 };

    // `offlineStreams`: decoders are read synchronously (headless runs that
    // render by hand); with a real output leave it false.
    MediaControl(AudioEngine& engine, MediaHooks hooks, MediaSettings settings = {},
                 bool offlineStreams = false);
    ~MediaControl();
    MediaControl(const MediaControl&) = delete;
    MediaControl& operator=(const MediaControl&) = delete;

    // Song operations. A .zip path opens the song unpacked from the archive;
    // CurrentPath then names the unpacked copy, which our writers refuse.
    bool OpenName(std::string& path, bool playAfterOpen);
    void PlaySong(bool resume);
    void PauseSong();
    void StopSong();
    void CloseSong();
    void Seek(double fraction);
    // The tags of `path` were rewritten: when it is the open song, its title
    // and artist are read again and the labels put anew.
    void SongTagsChanged(const std::string& path);
    // The playback tick: reads the position into PlaybackPosition.
    double Tick();

    // Position and length of the audio channel (0 when there is none).
    std::int64_t LengthBytes() const;
    double PositionSeconds() const;
    double LengthSeconds() const;
    bool SetPositionBytes(std::int64_t bytes);

    // Effect controls (their labels come back where they have one).
    int OnTempoThumb(int position);      // gives the label
    int OnTransposeThumb(int position);  // gives the label (semitones)
    int OnBassThumb(int y);              // gives the stored setting
    int OnTrebleThumb(int y);
    int OnBalance(double b);                      // gives the pan
    bool ToggleVocalRemover();                    // gives the new state
    int OnEffectAmount(int index, int position);  // gives the amount
    void OnEffectSwitch(int index, bool on);

    // Voice channel.
    bool LoadAudio(const std::string& voicePath);
    void ApplyVoiceEffects();
    void SetEffects(int index);
    void RemRffect(int index);
    void SetVoiceVolume(int volume);
    void SetChannelPan(AudioHandle channel, int pan);
    void StopVoice();
    // Holds the voice where it is while voice playback stays switched on.
    void PauseVoice();
    // Frees the voice channel, so that the next LoadAudio reads the file anew.
    void UnloadVoice();

    // State.
    const std::string& CurrentPath() const { return m_currentPath; }
    // The open song's file, also while the CD+G window plays it (when
    // CurrentPath stays empty): what a voice take or voice file belongs to.
    std::string SongFilePath() const;
    const std::string& LastSongPath() const { return m_lastSongPath; }
    AudioHandle CurrentChannel() const { return m_currentChannel; }
    AudioHandle VoiceChannel() const { return m_voiceChannel; }
    AudioHandle BassEq() const { return m_bassEq; }
    AudioHandle TrebleEq() const { return m_trebleEq; }
    AudioHandle VocalCutProcessor() const { return m_vocalCutProcessor; }
    int SongSampleRate() const { return m_songSampleRate; }
    bool MidiMode() const { return m_midiMode; }
    bool CdgMode() const { return m_cdgMode; }
    bool KaraokeMode() const { return m_karaokeMode; }
    int State() const { return m_playState; }
    double PlaybackPosition() const { return m_playbackPosition; }
    double MidiLength() const { return m_midiLength; }
    bool VocalCutOn() const { return m_vocalCutOn.load(); }
    bool VocalCutAvailable() const { return m_vocalCutAvailable; }
    bool VoiceLoaded() const { return m_voiceLoaded; }
    bool VoicePlaybackOn() const { return m_voicePlaybackOn; }
    const SongFileInfo& SongInfo() const { return m_songInfo; }
    int CurrentListIndex() const { return m_currentListIndex; }
    void SetCurrentListIndex(int index) { m_currentListIndex = index; }
    void SetEditorOpen(bool open) { m_editorOpen = open; }
    MediaSettings& Settings() { return m_settings; }
    VoiceEffectSet& VoiceEffects() { return m_voiceEffects; }
    // The audible clock of the current audio song (null when none is open),
    // for the karaoke, CD+G and editor timing.
    std::unique_ptr<AudioClock> MakeClock() const { return m_engine.MakeClock(m_currentChannel); }
    // Why the last OpenName failed.
    const std::string& LastError() const { return m_lastError; }
    AudioEngine& Engine() { return m_engine; }

private:
    bool OpenUnpacked(const std::string& path, bool playAfterOpen);
    bool OpenAudio(const std::string& path);
    void ShowLyricsOf(const std::string& path);
    void SetPlayState(int state);
    bool OpenMidi(const std::string& path);
    void MoveVoiceTo(double songSeconds);
    void FreeChannels();

    AudioEngine& m_engine;
    MediaHooks m_hooks;
    MediaSettings m_settings;
    bool m_offlineStreams;

    std::string m_currentPath;
    std::string m_cdgAudioPath;  // the audio of the CD+G song the window plays
    std::string m_lastSongPath;
    AudioHandle m_currentChannel = 0;
    AudioHandle m_voiceChannel = 0;
    AudioHandle m_bassEq = 0;
    AudioHandle m_trebleEq = 0;
    AudioHandle m_vocalCutProcessor = 0;
    std::array<AudioHandle, kVoiceEffectCount + 1> m_voiceEffectHandles{};
    int m_songSampleRate = 44100;
    bool m_midiMode = false;
    bool m_cdgMode = false;
    bool m_karaokeMode = false;
    int m_playState = kStopped;
    double m_playbackPosition = 0;
    int m_currentListIndex = -1;
    bool m_editorOpen = false;
    double m_midiLength = 0;
    SongFileInfo m_songInfo;
    // Read by the vocal cut on the output thread.
    std::atomic<bool> m_vocalCutOn{false};
    bool m_vocalCutAvailable = false;
    bool m_voiceLoaded = false;
    bool m_voicePlaybackOn = false;
    int m_tempoThumb = 109;
    int m_transposeThumb = 109;
    VoiceEffectSet m_voiceEffects;
    std::string m_lastError;
};

}  // namespace cx
