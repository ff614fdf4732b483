// Recording the singer over the current song and playing the voice back
// beside it: the player's Record, YourVoice and microphone commands and the
// media control's recording hooks. Free of widgets: messages and the lights
// go out through hooks.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "recording/RecordingSettings.h"
#include "recording/VoiceCapture.h"

namespace cx {

class MediaControl;

struct VoiceDeskHooks {
    // A message for the user: a language key (may be empty) and a detail
    // text; `critical` for failures, otherwise informational.
    std::function<void(const std::string& key, const std::string& detail, bool critical)> message;
    // The recording or voice-playback state changed: lights need a look.
    std::function<void()> lightsChanged;
    // Recording from something else than a capture device (tests).
    std::function<std::unique_ptr<VoiceCapture>()> makeCapture;
};

class VoiceDesk {
public:
    VoiceDesk(MediaControl& media, RecordingSettings settings, std::filesystem::path tempFolder,
              VoiceDeskHooks hooks);
    ~VoiceDesk();

    // The player's commands.
    void Record();  // starts (or arms, while the song stands) or stops a take
    void YourVoice();
    void SwitchMicrophone() { SetMicrophone(!m_microphone); }

    void SetMicrophone(bool on);
    bool MicrophoneOn() const { return m_microphone; }
    // The level meter's capture would not open: the microphone switch goes
    // back off and the user is told why.
    void MonitorFailed(const std::string& error);

    // The media control's hooks.
    bool IsRecording() const { return m_capture && m_capture->Running(); }
    bool Armed() const { return m_armed; }
    void StartRecording();
    void StopRecording();
    // Drops the running take: the voice file stays as it was.
    void CancelRecording();

    bool VoiceOn() const;
    const RecordingSettings& Settings() const { return m_settings; }
    RecordingSettings& Settings() { return m_settings; }
    // The voice file the next take of the open song goes to.
    std::filesystem::path VoiceFileOfSong() const;
    // What the last take left: its report and the voice file it went into.
    const TakeReport& LastTake() const { return m_lastTake; }
    const std::string& LastMessageKey() const { return m_lastKey; }
    const std::filesystem::path& TempFolder() const { return m_temp; }
    // The capture that runs the take, for the level meter.
    VoiceCapture* Capture() { return m_capture.get(); }

private:
    void Tell(const std::string& key, const std::string& detail, bool critical);
    void Lights();
    bool SongOpen() const;
    std::string SongPath() const;

    MediaControl& m_media;
    RecordingSettings m_settings;
    std::filesystem::path m_temp;
    VoiceDeskHooks m_hooks;
    std::unique_ptr<VoiceCapture> m_capture;
    bool m_microphone = false;
    bool m_armed = false;
    std::string m_takeSong;  // the song the running take belongs to
    double m_takeStart = 0;
    double m_takeSongLength = 0;
    RecordFormat m_takeFormat;
    TakeReport m_lastTake;
    std::string m_lastKey;
};

}  // namespace cx
