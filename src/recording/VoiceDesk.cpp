#include "recording/VoiceDesk.h"

#include <cstdio>
#include <ctime>
#include <system_error>

#include "playback/MediaControl.h"
#include "recording/VoiceFile.h"

namespace cx {

VoiceDesk::VoiceDesk(MediaControl& media, RecordingSettings settings,
                     std::filesystem::path tempFolder, VoiceDeskHooks hooks)
    : m_media(media),
      m_settings(std::move(settings)),
      m_temp(std::move(tempFolder)),
      m_hooks(std::move(hooks)) {
    m_media.SetVoiceVolume(VoiceVolumeFromThumb(m_settings.voiceThumb));
}

VoiceDesk::~VoiceDesk() {
    // Closing the program keeps what was sung.
    if (IsRecording()) StopRecording();
}

void VoiceDesk::Tell(const std::string& key, const std::string& detail, bool critical) {
    m_lastKey = key;
    if (m_hooks.message) m_hooks.message(key, detail, critical);
}

void VoiceDesk::Lights() {
    if (m_hooks.lightsChanged) m_hooks.lightsChanged();
}

bool VoiceDesk::SongOpen() const {
    return (m_media.CurrentChannel() != 0 || m_media.MidiMode()) && !SongPath().empty();
}

std::string VoiceDesk::SongPath() const {
    return m_media.SongFilePath();
}

std::filesystem::path VoiceDesk::VoiceFileOfSong() const {
    const std::string song = SongPath();
    if (song.empty()) return {};
    return VoiceFileFor(song, m_settings.folders);
}

bool VoiceDesk::VoiceOn() const {
    return m_media.VoicePlaybackOn();
}

void VoiceDesk::SetMicrophone(bool on) {
    m_microphone = on;
    Lights();
}

void VoiceDesk::MonitorFailed(const std::string& error) {
    m_microphone = false;
    Lights();
    Tell("MonitorFailed", error, true);
}

void VoiceDesk::Record() {
    if (IsRecording()) return StopRecording();
    if (m_armed) {
        m_armed = false;
        return Lights();
    }
    if (!SongOpen()) return;
    if (!m_microphone) return Tell("SwitchMicrophone", {}, false);
    if (m_media.VoicePlaybackOn()) m_media.StopVoice();
    if (m_media.State() == MediaControl::kPlaying) {
        StartRecording();
    } else {
        // Capture starts with the song, so the take lines up with it.
        m_armed = true;
        Lights();
    }
}

void VoiceDesk::StartRecording() {
    m_armed = false;
    if (IsRecording() || !SongOpen()) return Lights();
    if (m_media.VoicePlaybackOn()) m_media.StopVoice();
    // A take joins an existing voice file in that file's format, whatever
    // the settings say now.
    RecordFormat format = m_settings.format;
    const std::filesystem::path existing = VoiceFileOfSong();
    std::error_code ec;
    if (std::filesystem::is_regular_file(existing, ec)) {
        std::string head(kVoiceHeaderBytes * 64, '\0');
        if (std::FILE* f = std::fopen(existing.c_str(), "rb")) {
            head.resize(std::fread(head.data(), 1, head.size(), f));
            std::fclose(f);
            const PcmWavInfo info = ReadPcmWav(head);
            if (info.ok) format = info.format;
        }
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::filesystem::path take = m_temp / TakeFileName(local);

    m_capture = m_hooks.makeCapture ? m_hooks.makeCapture() : std::make_unique<VoiceCapture>();
    std::string error;
    CaptureError kind = CaptureError::None;
    if (!m_capture->Start(m_settings.device, format, take, error, kind)) {
        m_capture.reset();
        Lights();
        if (kind == CaptureError::CreateFile) return Tell("ErrorCreateWav", error, true);
        return Tell({}, error, true);
    }
    m_takeSong = SongPath();
    m_takeFormat = format;
    m_takeStart = m_media.MidiMode() ? m_media.PlaybackPosition() : m_media.PositionSeconds();
    m_takeSongLength = m_media.LengthSeconds();
    Lights();
}

void VoiceDesk::StopRecording() {
    m_armed = false;
    if (!m_capture) return Lights();
    const std::filesystem::path take = m_capture->TakeFile();
    m_lastTake = m_capture->Stop();
    m_capture.reset();
    Lights();
    const auto voice = VoiceFileFor(m_takeSong, m_settings.folders);
    const std::string error = m_lastTake.error.empty()
                                  ? PlaceTake(take, voice, m_takeSongLength, m_takeStart)
                                  : m_lastTake.error;
    if (!error.empty()) {
        // The take stays where it is, so nothing sung is lost.
        return Tell("ErrorCreateWav", error + " (" + take.string() + ")", true);
    }
    if (m_lastTake.overrunBytes > 0) {
        const auto ms = m_lastTake.overrunBytes * 1000 /
                        static_cast<std::uint64_t>(m_takeFormat.BytesPerSecond());
        Tell("RecordOverrun", std::to_string(ms), false);
    }
}

void VoiceDesk::CancelRecording() {
    m_armed = false;
    if (!m_capture) return Lights();
    const std::filesystem::path take = m_capture->TakeFile();
    m_lastTake = m_capture->Stop();
    m_capture.reset();
    std::error_code ec;
    std::filesystem::remove(take, ec);
    Lights();
}

void VoiceDesk::YourVoice() {
    if (IsRecording()) return Tell("StopRcording", {}, false);
    if (m_media.VoicePlaybackOn()) {
        m_media.StopVoice();
        return Lights();
    }
    const std::string song = SongPath();
    const std::filesystem::path voice =
        song.empty() ? std::filesystem::path() : FindVoiceFile(song, m_settings.folders);
    if (voice.empty()) return Lights();
    // A new take may have replaced the file since it was last loaded.
    m_media.UnloadVoice();
    if (!m_media.LoadAudio(voice.string())) return Lights();
    // In step with the song: a standing song keeps its voice standing too.
    if (m_media.State() != MediaControl::kPlaying) m_media.PauseVoice();
    Lights();
}

}  // namespace cx
