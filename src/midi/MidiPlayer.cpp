#include "midi/MidiPlayer.h"

#include <algorithm>
#include <cmath>

#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"

namespace cx {

double MidiTempoFactor(int thumb) {
    const int p = std::clamp(thumb, kTempoSliderMin, kTempoSliderMax);
    return std::floor((p - kTempoSliderMin) * 60.0 / 127.0) * 2.0 / 30.0;
}

int TransposeSemitones(int sliderValue) {
    return static_cast<int>(std::lround(2.0 * sliderValue / kTransposePixelsPerStep));
}

std::string MidiStatusKey(bool converting, bool repaired) {
    if (converting) return "MidiConverting";
    return repaired ? "MidiRepaired" : "";
}

MidiOpenResult MidiPlayer::OpenMusic(const std::filesystem::path& song,
                                     const std::string& soundFont,
                                     const MidiLyricsOptions& lyricOptions, LyricsModel& model,
                                     const SynthOptions& synthOptions, AfterLoadContext context) {
    MidiOpenResult r = Open(song, soundFont, lyricOptions, model, synthOptions, context);
    m_lastError = r.message;
    return r;
}

MidiOpenResult MidiPlayer::Open(const std::filesystem::path& song, const std::string& soundFont,
                                const MidiLyricsOptions& lyricOptions, LyricsModel& model,
                                const SynthOptions& synthOptions, AfterLoadContext& context) {
    MidiOpenResult r;
    CloseDevice();
    ResetLyricsModel(model);
    ReadResult read = ReadWholeFile(song, kMaxSmfBytes);
    if (!read.bytes) {
        r.message = read.error;
        return r;
    }
    // The synth and the readers get the song without its settings block.
    const std::string_view smf = StripSettingsBlock(*read.bytes);
    SmfResult parsed = ParseSmf(smf);
    if (!parsed.file) {
        r.message = parsed.error;
        return r;
    }
    m_song = song;
    m_info = DescribeMidi(*parsed.file, lyricOptions.codepage);
    r.opened = true;
    MidiLyricsOptions options = lyricOptions;
    options.deferConverter = static_cast<bool>(lyricOptions.converterFinished);
    const MidiLyricsResult lyrics = LoadMidiLyrics(smf, song, options, model);
    r.lyricSource = lyrics.source;
    if (context.Header.TagArtist.empty() && context.Header.TagTitle.empty()) {
        context.Header.TagArtist = m_info.Artist;
        context.Header.TagTitle = m_info.Title;
    }
    if (context.Header.MediaPath.empty()) context.Header.MediaPath = song.string();
    RunAfterLoad(model, context);
    if (lyrics.converterWanted) {
        m_codepage = lyricOptions.codepage;
        m_lyricContext = context;
        m_converter = std::make_unique<ConverterJob>(
            lyricOptions.converterCommand, song, lyricOptions.tempFolder,
            lyricOptions.converterTimeoutMs, lyricOptions.converterFinished);
        r.converting = true;
    }
    ReadMidi(*read.bytes, m_settings);
    m_tempoThumb =
        std::clamp(kTempoSliderRest + m_settings.TempoSteps, kTempoSliderMin, kTempoSliderMax);
    std::string error;
    m_synth = MidiSynth::Create(smf, soundFont, synthOptions, error);
    m_state = MidiPlayState::Stopped;
    if (!m_synth) {
        r.message = soundFont.empty() ? kNoSoundFontMessage : error;
        return r;
    }
    r.playable = true;
    SetChannels();
    SetTempoSlider(kTempoSliderRest + m_settings.TempoSteps);
    return r;
}

bool MidiPlayer::TakeConvertedLyrics(LyricsModel& model) {
    if (!m_converter || !m_converter->Finished()) return false;
    const std::optional<std::string> output = m_converter->TakeOutput();
    m_converter.reset();
    std::vector<LyricPiece> pieces;
    if (!output || !ReadConvertedWords(*output, m_codepage, pieces)) return false;
    ResetLyricsModel(model);
    model.Lyrics = std::move(pieces);
    RunAfterLoad(model, m_lyricContext);
    return true;
}

void MidiPlayer::CloseDevice() {
    // A converter still at work for the song is ended with its whole group.
    m_converter.reset();
    m_synth.reset();
    m_state = MidiPlayState::Closed;
    ZeroVariables();
}

void MidiPlayer::ZeroVariables() {
    m_settings = MidiSettings();
    m_tempoThumb = kTempoSliderRest;
}

void MidiPlayer::PlayMidi() {
    if (m_state == MidiPlayState::Closed) return;
    m_state = MidiPlayState::Playing;
}

void MidiPlayer::PauseMidi() {
    if (m_state == MidiPlayState::Playing) m_state = MidiPlayState::Paused;
}

void MidiPlayer::StopMidi() {
    if (m_state == MidiPlayState::Closed) return;
    m_state = MidiPlayState::Stopped;
    SetMidiPosition(0);
}

void MidiPlayer::SetMidiPosition(double seconds) {
    if (!m_synth) return;
    m_synth->RequestSeekFrame(std::llround(std::max(0.0, seconds) * m_synth->SampleRate()));
}

double MidiPlayer::MidiTime() const {
    if (!m_synth) return 0;
    // A seek is heard from its target on; until the synth takes it, that is the time.
    if (const double pending = m_synth->PendingSeekSeconds(); pending >= 0) return pending;
    double t = m_synth->SongSeconds();
    if (m_clock) {
        // What was rendered but is not heard yet, in song seconds.
        const double rendered =
            static_cast<double>(m_synth->OutputFrames()) / m_synth->SampleRate();
        const double queued = std::max(0.0, rendered - m_clock->AudiblePositionSeconds());
        t -= queued * m_synth->TempoFactor();
    }
    return std::max(0.0, t);
}

bool MidiPlayer::CheckEnd() const {
    return m_synth && m_synth->Finished();
}

void MidiPlayer::ChannelEnabled(int channel, bool enabled) {
    if (channel < 0 || channel >= kMidiChannels) return;
    m_settings.Channels[static_cast<std::size_t>(channel)].Enabled = enabled;
    if (m_synth) m_synth->SetChannelEnabled(channel, enabled);
}

void MidiPlayer::ChannelVolume(int channel, int volume) {
    if (channel < 0 || channel >= kMidiChannels) return;
    auto& r = m_settings.Channels[static_cast<std::size_t>(channel)];
    r.Volume = std::clamp(volume, 0, 127);
    r.VolumeSet = true;
    if (m_synth) m_synth->SetChannelVolume(channel, r.Volume);
}

void MidiPlayer::ChannelBalance(int channel, int balance) {
    if (channel < 0 || channel >= kMidiChannels) return;
    auto& r = m_settings.Channels[static_cast<std::size_t>(channel)];
    r.Balance = std::clamp(balance, 0, 127);
    r.BalanceSet = true;
    if (m_synth) m_synth->SetChannelBalance(channel, r.Balance);
}

void MidiPlayer::ChangeInstrument(int channel, int program) {
    if (channel < 0 || channel >= kMidiChannels) return;
    auto& r = m_settings.Channels[static_cast<std::size_t>(channel)];
    r.Instrument = std::clamp(program, 0, 127);
    r.InstrumentSet = true;
    if (m_synth) m_synth->SetChannelProgram(channel, r.Instrument);
}

void MidiPlayer::SetLocked(int channel, bool locked) {
    if (channel < 0 || channel >= kMidiChannels) return;
    m_settings.Channels[static_cast<std::size_t>(channel)].Locked = locked;
}

void MidiPlayer::SetChannels() {
    if (!m_synth) return;
    for (int c = 0; c < kMidiChannels; ++c) {
        const auto& r = m_settings.Channels[static_cast<std::size_t>(c)];
        m_synth->SetChannelEnabled(c, r.Enabled);
        m_synth->SetChannelVolume(c, r.VolumeSet ? r.Volume : -1);
        m_synth->SetChannelBalance(c, r.BalanceSet ? r.Balance : -1);
        m_synth->SetChannelProgram(c, r.InstrumentSet ? r.Instrument : -1);
    }
    ApplyTranspose();
}

std::string MidiPlayer::GetInstrument(int channel) const {
    if (channel < 0 || channel >= kMidiChannels) return "";
    const auto& r = m_settings.Channels[static_cast<std::size_t>(channel)];
    return GeneralMidiName(r.InstrumentSet || !m_synth ? r.Instrument
                                                       : m_synth->ChannelProgram(channel));
}

void MidiPlayer::SetTransposition(int sliderValue) {
    m_settings.Transposition = sliderValue;
    ApplyTranspose();
}

void MidiPlayer::ApplyTranspose() {
    if (!m_synth) return;
    const int semitones = TransposeSemitones(m_settings.Transposition);
    for (int c = 0; c < kMidiChannels; ++c) {
        // A locked channel keeps the pitch it has; the percussion channel moves
        // like every other unlocked channel.
        if (m_settings.Channels[static_cast<std::size_t>(c)].Locked) continue;
        m_synth->SetChannelTranspose(c, semitones);
    }
}

void MidiPlayer::SetTempoSlider(int thumb) {
    m_tempoThumb = std::clamp(thumb, kTempoSliderMin, kTempoSliderMax);
    m_settings.TempoSteps = m_tempoThumb - kTempoSliderRest;
    // A factor of 0 holds the song still (paused) instead of dividing by zero.
    if (m_synth) m_synth->SetTempoFactor(MidiTempoFactor(m_tempoThumb));
}

std::string MidiPlayer::TempoText() const {
    return TempoLabel(m_info.BeatsPerMinute * MidiTempoFactor(m_tempoThumb));
}

std::string MidiPlayer::SaveMidi() {
    if (m_song.empty()) return "no MIDI song is open";
    return ::cx::SaveMidi(m_song, m_settings);
}

std::string MidiPlayer::RestoreMidi() {
    if (m_song.empty()) return "no MIDI song is open";
    ReadResult read = ReadWholeFile(m_song, kMaxSmfBytes);
    if (!read.bytes) return read.error;
    MidiSettings restored;
    for (int c = 0; c < kMidiChannels; ++c) {
        const auto& now = m_settings.Channels[static_cast<std::size_t>(c)];
        if (now.Locked) restored.Channels[static_cast<std::size_t>(c)] = now;
    }
    ReadMidi(*read.bytes, restored);
    m_settings = restored;
    SetChannels();
    SetTempoSlider(kTempoSliderRest + m_settings.TempoSteps);
    return {};
}

}  // namespace cx
