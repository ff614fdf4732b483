#include "playback/MediaControl.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "archive/ZipSongs.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/Mp3Class.h"
#include "playback/ControlMappings.h"
#include "playback/CutVocal.h"

namespace cx {
namespace {

constexpr float kBassCentreHz = 125.0f;
constexpr float kTrebleCentreHz = 10000.0f;
constexpr float kEqBandwidth = 18.0f;
constexpr int kVoiceEffectPriority = 1;

template <class F, class... Args>
void Call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

bool EndsWithCdg(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == "cdg";
}

// The song's CD+G file: same path with the extension "cdg", present and not empty.
std::string CdgBeside(const std::string& path) {
    std::filesystem::path cdg(path);
    cdg.replace_extension(".cdg");
    std::error_code ec;
    if (std::filesystem::is_regular_file(cdg, ec) && std::filesystem::file_size(cdg, ec) > 0)
        return cdg.string();
    cdg.replace_extension(".CDG");
    if (std::filesystem::is_regular_file(cdg, ec) && std::filesystem::file_size(cdg, ec) > 0)
        return cdg.string();
    return {};
}

bool HasMidiExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".mid" || ext == ".midi" || ext == ".kar" || ext == ".rmi";
}

}  // namespace

SongFileInfo ReadSongFileInfo(const std::string& path, Codepage cp) {
    MP3Class tags(cp);
    tags.SetFilename(path);
    tags.ReadFile();
    const MP3Info& t = tags.Info();
    SongFileInfo info;
    // A song named as MIDI goes to the MIDI reader even when its bytes are
    // not MIDI, so that the user hears what is wrong with it.
    info.isMidi = t.format == "MIDI" || HasMidiExtension(path);
    if (!info.isMidi) {
        // RIFF-wrapped MIDI is MIDI too.
        std::ifstream in(path, std::ios::binary);
        char head[12] = {};
        in.read(head, sizeof head);
        info.isMidi = in.gcount() == 12 && std::string(head, 4) == "RIFF" &&
                      std::string(head + 8, 4) == "RMID";
    }
    info.title = t.Title;
    info.artist = t.Artist;
    info.bitrateKbps = t.Bitrate;
    info.sampleRate = static_cast<int>(t.samplerate);
    info.lengthSeconds = t.Length;
    return info;
}

std::function<bool(const std::string& path)> LyricsLoaderHook(LyricsModel& model, Codepage cp) {
    return [&model, cp](const std::string& path) {
        return LoadLyrics(path, model, ForMedia({}, path), cp).ok;
    };
}

MediaControl::MediaControl(AudioEngine& engine, MediaHooks hooks, MediaSettings settings,
                           bool offlineStreams)
    : m_engine(engine),
      m_hooks(std::move(hooks)),
      m_settings(std::move(settings)),
      m_offlineStreams(offlineStreams),
      m_voiceEffects(VoiceEffectSet::FromDspOut(m_settings.dspOut)) {}

MediaControl::~MediaControl() {
    FreeChannels();
}

bool MediaControl::OpenName(std::string& path, bool playAfterOpen) {
    m_lastError.clear();
    if (EndsWithCdg(path)) {
        m_lastError = "a .cdg file is opened through its audio file";
        return false;
    }
    CloseSong();
    Call(m_hooks.resetKokTiming);
    Call(m_hooks.resetDisplayBlock);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        m_lastError = "file not found: " + path;
        return false;
    }
    // A zipped song plays from its unpacked copy, graphics and lyrics beside it.
    if (IsZipPath(path)) {
        std::string error;
        const std::string song = OpenZipSong(path, error);
        if (song.empty()) {
            m_lastError = error;
            return false;
        }
        return OpenUnpacked(song, playAfterOpen);
    }
    return OpenUnpacked(path, playAfterOpen);
}

bool MediaControl::OpenUnpacked(const std::string& path, bool playAfterOpen) {
    Call(m_hooks.playbackTimers, false);
    m_vocalCutAvailable = false;
    m_songInfo = m_hooks.readSongInfo ? m_hooks.readSongInfo(path)
                                      : ReadSongFileInfo(path, m_settings.codepage);
    if (m_songInfo.isMidi) return OpenMidi(path);  // never started by opening
    if (!OpenAudio(path)) return false;
    // A CD+G song that its window took over is started by its caller.
    if (playAfterOpen && !m_currentPath.empty()) PlaySong(false);
    return true;
}

bool MediaControl::OpenAudio(const std::string& path) {
    m_midiMode = false;
    // No temporary copy: the decoder keeps the file it opened, and our
    // writers replace song files by rename, so the playing data stays intact.
    std::string error;
    const AudioHandle stream = m_engine.StreamCreateFile(path, true, m_offlineStreams, &error);
    if (stream == 0) {
        // Unlike a missing handle that silently plays nothing, the caller
        // learns that the song cannot be played.
        m_lastError = "cannot play " + path + ": " + error;
        return false;
    }
    const ChannelInfo info = m_engine.ChannelGetInfo(stream);
    m_songSampleRate = info.frequency;
    m_currentChannel = m_engine.TempoCreate(stream);
    m_engine.ChannelSetAttributes(m_currentChannel, -1,
                                  static_cast<int>(std::clamp(m_settings.volume, 0.0, 1.0) * 100),
                                  -101);
    m_bassEq = m_engine.ChannelSetFX(m_currentChannel, FxType::ParamEq, 0);
    m_trebleEq = m_engine.ChannelSetFX(m_currentChannel, FxType::ParamEq, 0);
    m_engine.FXSetParameters(m_bassEq, EqParameters{kBassCentreHz, kEqBandwidth,
                                                    float(BassTrebleGain(m_settings.customBass))});
    m_engine.FXSetParameters(m_trebleEq,
                             EqParameters{kTrebleCentreHz, kEqBandwidth,
                                          float(BassTrebleGain(m_settings.customTreble))});
    m_vocalCutOn.store(false);
    Call(m_hooks.resetRemover);
    std::string cdg = CdgBeside(path);
    const std::string title =
        m_songInfo.title.empty() ? std::filesystem::path(path).stem().string() : m_songInfo.title;
    Call(m_hooks.putLabels, title, m_songInfo.artist);
    Call(m_hooks.putFormatLabels,
         m_songInfo.bitrateKbps ? std::to_string(m_songInfo.bitrateKbps) + " Kb/s" : std::string(),
         m_songInfo.sampleRate ? std::to_string(m_songInfo.sampleRate) + " Hz" : std::string());
    if (!cdg.empty()) {
        m_karaokeMode = false;
        m_cdgMode = true;
        m_cdgAudioPath = path;
        // The CD+G window takes over; its caller starts the song.
        if (m_hooks.loadCdg && m_hooks.loadCdg(cdg)) {
            m_vocalCutAvailable = info.channels == 2;
            return true;
        }
        // Graphics that cannot be read must not cost the user the song: it
        // plays as an audio song, with its lyrics when it has any.
        m_cdgMode = false;
        Call(m_hooks.notice, std::string("GraphicsMissing"), cdg);
        cdg.clear();
    }
    if (info.channels == 2) {
        m_vocalCutAvailable = true;
        m_vocalCutProcessor = m_engine.ChannelSetDSP(m_currentChannel, &CutVocal, &m_vocalCutOn, 0);
    }
    ShowLyricsOf(path);
    m_currentPath = path;
    return true;
}

std::string MediaControl::SongFilePath() const {
    if (!m_currentPath.empty()) return m_currentPath;
    return m_cdgMode && m_currentChannel != 0 ? m_cdgAudioPath : std::string();
}

void MediaControl::ShowLyricsOf(const std::string& path) {
    m_karaokeMode = true;
    m_cdgMode = false;
    Call(m_hooks.stopCdg);
    Call(m_hooks.clearLyrics);
    Call(m_hooks.readDisplayBlock, path);
    Call(m_hooks.loadLyrics, path);
    Call(m_hooks.changeLyrics);
}

void MediaControl::SongTagsChanged(const std::string& path) {
    const std::string song = SongFilePath();
    std::error_code ec;
    if (song.empty() || !(song == path || std::filesystem::equivalent(song, path, ec))) return;
    const SongFileInfo fresh = m_hooks.readSongInfo ? m_hooks.readSongInfo(song)
                                                    : ReadSongFileInfo(song, m_settings.codepage);
    m_songInfo.title = fresh.title;
    m_songInfo.artist = fresh.artist;
    const std::string title =
        m_songInfo.title.empty() ? std::filesystem::path(song).stem().string() : m_songInfo.title;
    Call(m_hooks.putLabels, title, m_songInfo.artist);
}

void MediaControl::SetPlayState(int state) {
    m_playState = state;
    Call(m_hooks.buttonLights, state);
}

bool MediaControl::OpenMidi(const std::string& path) {
    m_midiMode = true;
    m_karaokeMode = true;
    Call(m_hooks.clearLyrics);
    m_cdgMode = false;
    Call(m_hooks.readDisplayBlock, path);
    m_midiLength = m_songInfo.lengthSeconds;
    // MIDI output does not pass the equalisers; the sound card's mixer takes bass and treble.
    Call(m_hooks.midiMixerBassTreble, m_settings.customBass, m_settings.customTreble);
    if (m_hooks.openMidi && !m_hooks.openMidi(path)) {
        // Nothing half-open is left behind: the user learns why instead.
        const std::string reason = m_hooks.midiOpenError ? m_hooks.midiOpenError() : "";
        m_lastError = "cannot open " + path + (reason.empty() ? "" : ": " + reason);
        Call(m_hooks.closeMidi);
        m_midiMode = false;
        m_karaokeMode = false;
        m_midiLength = 0;
        return false;
    }
    const std::string title =
        m_songInfo.title.empty() ? std::filesystem::path(path).stem().string() : m_songInfo.title;
    Call(m_hooks.putLabels, title, m_songInfo.artist);
    m_currentPath = path;
    Call(m_hooks.changeLyrics);
    Call(m_hooks.stopCdg);
    return true;  // a MIDI song is never started by opening it
}

void MediaControl::PlaySong(bool resume) {
    if (m_cdgMode) {
        Call(m_hooks.playCdg);
        // The voice goes on with the graphics as it does with any song.
        if (m_voiceChannel != 0 && m_voicePlaybackOn) m_engine.ChannelPlay(m_voiceChannel, false);
        Call(m_hooks.playbackTimers, true);
        // The lamps, the end-of-song watch and the playlist read the state.
        if (m_playState != kPlaying) {
            SetPlayState(kPlaying);
            if (m_hooks.recordingArmed && m_hooks.recordingArmed()) Call(m_hooks.startRecording);
        }
        return;
    }
    if (m_currentChannel != 0 || m_midiMode) {
        if (m_midiMode)
            Call(m_hooks.playMidi, resume);
        else
            m_engine.ChannelPlay(m_currentChannel, false);
        // A voice switched off stays off when the song goes on.
        if (m_voiceChannel != 0 && m_voicePlaybackOn) m_engine.ChannelPlay(m_voiceChannel, false);
        Call(m_hooks.playbackTimers, true);
        const bool starting = m_playState != kPlaying;
        SetPlayState(kPlaying);
        if (starting && m_hooks.recordingArmed && m_hooks.recordingArmed())
            Call(m_hooks.startRecording);
        return;
    }
    Call(m_hooks.playSelectedEntry);
}

void MediaControl::PauseSong() {
    if (m_cdgMode) {
        if (m_hooks.isRecording && m_hooks.isRecording()) return;
        Call(m_hooks.pauseCdg);
        if (m_voiceChannel != 0) m_engine.ChannelStop(m_voiceChannel);
        SetPlayState(kPaused);
        return;
    }
    if (m_currentChannel == 0 && !m_midiMode) return;
    if (m_hooks.isRecording && m_hooks.isRecording()) return;
    if (m_midiMode)
        Call(m_hooks.pauseMidi);
    else
        m_engine.ChannelStop(m_currentChannel);
    if (m_voiceChannel != 0) m_engine.ChannelStop(m_voiceChannel);
    SetPlayState(kPaused);
}

void MediaControl::StopSong() {
    if (m_cdgMode) Call(m_hooks.stopCdg);
    Call(m_hooks.resetCurrentPiece);
    if (!m_editorOpen) {
        if (m_hooks.isRecording && m_hooks.isRecording()) Call(m_hooks.stopRecording);
        StopVoice();
        m_lastSongPath = m_currentPath;
        Call(m_hooks.playbackTimers, false);
        Call(m_hooks.resetDisplayBlock);
        Call(m_hooks.clearLyrics);
        m_currentPath.clear();
        m_currentListIndex = -1;
        Call(m_hooks.closeMidi);
        // Closed as by CloseSong: the key and tempo thumbs rest until the next song.
        Call(m_hooks.resetThumbs);
        m_tempoThumb = m_transposeThumb = kThumbRest;
        m_midiLength = 0;
        m_midiMode = false;
        // The song is closed: a later Play opens it again through the
        // playlist instead of starting graphics without their audio.
        m_cdgMode = false;
        m_karaokeMode = false;
        m_playbackPosition = 0;
        FreeChannels();
        SetPlayState(kStopped);
        return;
    }
    // The lyrics editor keeps the song open, rewound.
    if (m_midiMode) {
        Call(m_hooks.setMidiPosition, 0.0);
        Call(m_hooks.pauseMidi);
    } else if (m_currentChannel != 0) {
        m_engine.SetPositionFrames(m_currentChannel, 0);
        m_engine.ChannelStop(m_currentChannel);
    }
    SetPlayState(kStopped);
}

void MediaControl::CloseSong() {
    Call(m_hooks.resetCurrentPiece);
    if (m_hooks.isRecording && m_hooks.isRecording()) Call(m_hooks.stopRecording);
    StopVoice();
    if (m_midiMode || m_currentChannel != 0) m_lastSongPath = m_currentPath;
    Call(m_hooks.playbackTimers, false);
    Call(m_hooks.clearLyrics);
    m_songInfo = {};
    Call(m_hooks.putLabels, std::string(), std::string());
    Call(m_hooks.putFormatLabels, std::string(), std::string());
    m_currentPath.clear();
    m_currentListIndex = -1;
    Call(m_hooks.closeMidi);
    Call(m_hooks.resetThumbs);
    m_tempoThumb = m_transposeThumb = kThumbRest;
    m_midiLength = 0;
    m_midiMode = false;
    m_cdgMode = false;
    m_playbackPosition = 0;
    FreeChannels();
    SetPlayState(kStopped);
}

void MediaControl::FreeChannels() {
    if (m_currentChannel != 0) m_engine.Free(m_currentChannel);
    if (m_voiceChannel != 0) m_engine.Free(m_voiceChannel);
    m_currentChannel = m_voiceChannel = 0;
    m_bassEq = m_trebleEq = m_vocalCutProcessor = 0;
    m_voiceEffectHandles = {};
    m_voiceLoaded = false;
    m_vocalCutAvailable = false;
    m_vocalCutOn.store(false);
}

void MediaControl::Seek(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    // The target, not a reading: the MIDI synth and the CD+G graphics take a
    // seek on their next render, so their clocks still tell the old place.
    double target = 0;
    if (m_cdgMode) {
        target = fraction * LengthSeconds();
        Call(m_hooks.moveCdg, fraction);
    } else if (m_midiMode) {
        target = fraction * m_midiLength;
        Call(m_hooks.setMidiPosition, fraction);
    } else {
        if (m_currentChannel == 0) return;
        const auto bytes = static_cast<std::int64_t>(fraction * static_cast<double>(LengthBytes()));
        SetPositionBytes(bytes);
        target = PositionSeconds();
    }
    // The voice keeps step with every kind of song.
    if (m_voicePlaybackOn) MoveVoiceTo(target);
    m_playbackPosition = target;
    Call(m_hooks.seeked, m_playbackPosition);
}

void MediaControl::MoveVoiceTo(double songSeconds) {
    if (m_voiceChannel == 0) return;
    const double at = std::max(0.0, songSeconds + m_settings.voiceOffset);
    m_engine.ChannelSetPosition(m_voiceChannel, m_engine.ChannelSeconds2Bytes(m_voiceChannel, at));
}

double MediaControl::Tick() {
    if (m_midiMode)
        m_playbackPosition = m_hooks.midiTime ? m_hooks.midiTime() : 0.0;
    else
        m_playbackPosition = PositionSeconds();
    return m_playbackPosition;
}

std::int64_t MediaControl::LengthBytes() const {
    return m_engine.ChannelGetLength(m_currentChannel);
}

double MediaControl::PositionSeconds() const {
    return m_currentChannel ? m_engine.PositionSeconds(m_currentChannel) : 0.0;
}

double MediaControl::LengthSeconds() const {
    if (m_midiMode) return m_midiLength;
    return m_currentChannel ? m_engine.LengthSeconds(m_currentChannel) : 0.0;
}

bool MediaControl::SetPositionBytes(std::int64_t bytes) {
    return m_engine.ChannelSetPosition(m_currentChannel, bytes);
}

int MediaControl::OnTempoThumb(int position) {
    position = ClampThumb(position);
    if (position == m_tempoThumb) return TempoLabel(position);
    m_tempoThumb = position;
    if (!m_midiMode && m_currentChannel != 0) {
        m_engine.TempoSet(m_currentChannel, float(TempoFromThumb(position)), -100.0f);
    }
    return TempoLabel(position);
}

int MediaControl::OnTransposeThumb(int position) {
    position = ClampThumb(position);
    if (position != m_transposeThumb) {
        m_transposeThumb = position;
        if (!m_midiMode && m_currentChannel != 0) {
            m_engine.TempoSet(m_currentChannel, -100.0f, float(PitchFromThumb(position)));
        }
    }
    return PitchFromThumb(position);
}

int MediaControl::OnBassThumb(int y) {
    const int v = EqSettingFromThumb(y);
    if (!m_midiMode && m_currentChannel != 0) {
        m_engine.FXSetParameters(
            m_bassEq, EqParameters{kBassCentreHz, kEqBandwidth, float(BassTrebleGain(v))});
    }
    m_settings.customBass = v;
    return v;
}

int MediaControl::OnTrebleThumb(int y) {
    const int v = EqSettingFromThumb(y);
    if (!m_midiMode && m_currentChannel != 0) {
        m_engine.FXSetParameters(
            m_trebleEq, EqParameters{kTrebleCentreHz, kEqBandwidth, float(BassTrebleGain(v))});
    }
    m_settings.customTreble = v;
    return v;
}

int MediaControl::OnBalance(double b) {
    const int pan = PanFromBalance(b);
    if (m_currentChannel != 0) SetChannelPan(m_currentChannel, pan);
    return pan;
}

bool MediaControl::ToggleVocalRemover() {
    if (m_currentChannel == 0 || !m_vocalCutAvailable) return m_vocalCutOn.load();
    m_vocalCutOn.store(!m_vocalCutOn.load());
    return m_vocalCutOn.load();
}

int MediaControl::OnEffectAmount(int index, int position) {
    const int amount = EffectAmountFromThumb(position);
    m_voiceEffects.SetAmount(index, amount);
    // A switched-off effect stays silent until it is switched on.
    if (m_voicePlaybackOn && m_voiceEffects[index].On) SetEffects(index);
    return amount;
}

void MediaControl::OnEffectSwitch(int index, bool on) {
    m_voiceEffects[index].On = on;
    if (!m_voicePlaybackOn) return;
    if (on)
        SetEffects(index);
    else
        RemRffect(index);
}

bool MediaControl::LoadAudio(const std::string& voicePath) {
    if (m_voiceLoaded) return true;
    if (m_voiceChannel != 0) m_engine.Free(m_voiceChannel);
    m_voiceChannel = m_engine.StreamCreateFile(voicePath, false, m_offlineStreams, &m_lastError);
    m_voiceEffectHandles = {};
    if (m_voiceChannel == 0) return false;
    m_voiceLoaded = true;
    m_voicePlaybackOn = true;
    if (m_currentChannel != 0)
        MoveVoiceTo(PositionSeconds());
    else if (m_midiMode && m_hooks.midiTime)
        MoveVoiceTo(m_hooks.midiTime());
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        m_voiceEffectHandles[k] =
            m_engine.ChannelSetFX(m_voiceChannel, VoiceEffectType(k), kVoiceEffectPriority);
    }
    ApplyVoiceEffects();
    m_engine.ChannelPlay(m_voiceChannel, false);
    SetVoiceVolume(m_settings.voiceVolume);
    return true;
}

void MediaControl::StopVoice() {
    if (m_voiceChannel != 0) m_engine.ChannelStop(m_voiceChannel);
    m_voicePlaybackOn = false;
}

void MediaControl::PauseVoice() {
    if (m_voiceChannel != 0) m_engine.ChannelStop(m_voiceChannel);
}

void MediaControl::UnloadVoice() {
    StopVoice();
    if (m_voiceChannel != 0) m_engine.Free(m_voiceChannel);
    m_voiceChannel = 0;
    m_voiceEffectHandles = {};
    m_voiceLoaded = false;
}

void MediaControl::ApplyVoiceEffects() {
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        if (m_voiceEffects[k].On)
            SetEffects(k);
        else
            RemRffect(k);
    }
}

void MediaControl::SetEffects(int index) {
    if (index < 1 || index > kVoiceEffectCount) return;
    const AudioHandle fx = m_voiceEffectHandles[index];
    FxParameters current;
    if (!m_engine.FXGetParameters(fx, current)) return;
    m_engine.FXSetParameters(fx, VoiceEffectOn(index, m_voiceEffects[index].Value, current));
}

void MediaControl::RemRffect(int index) {
    if (index < 1 || index > kVoiceEffectCount) return;
    const AudioHandle fx = m_voiceEffectHandles[index];
    FxParameters current;
    if (!m_engine.FXGetParameters(fx, current)) return;
    m_engine.FXSetParameters(fx, VoiceEffectOff(index, current));
}

void MediaControl::SetVoiceVolume(int volume) {
    m_settings.voiceVolume = std::clamp(volume, 0, 100);
    if (m_voiceChannel != 0)
        m_engine.ChannelSetAttributes(m_voiceChannel, -1, m_settings.voiceVolume, -101);
}

void MediaControl::SetChannelPan(AudioHandle channel, int pan) {
    m_engine.ChannelSetAttributes(channel, -1, -1, std::clamp(pan, -100, 100));
}

}  // namespace cx
