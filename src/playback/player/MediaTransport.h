// The player's Transport over the program's media control, so the player
// window drives the real audio chain, the MIDI player and the CD+G window.
#pragma once

#include <functional>

#include "playback/MediaControl.h"
#include "playback/player/Transport.h"

namespace cx {

class MediaTransport : public Transport {
public:
    explicit MediaTransport(MediaControl& media) : m_media(media) {}

    // The MIDI player's own end report (CheckEnd); none by default.
    std::function<bool()> midiAtEnd;
    // The volume for MIDI songs, when the MIDI player takes it separately.
    std::function<void(double volume)> setMidiVolume;

    bool Open(const std::string& path, bool play) override;
    void Play() override;
    void Pause() override { m_media.PauseSong(); }
    void Stop() override { m_media.StopSong(); }
    void Close() override { m_media.CloseSong(); }
    void Seek(double fraction) override { m_media.Seek(fraction); }
    double Position() const override;
    double Length() const override;
    bool AtEnd() const override;
    PlayState State() const override;
    bool IsOpen() const override;
    std::string CurrentPath() const override;
    SongLabels Labels() const override;
    bool CanCutVocal() const override { return IsOpen() && m_media.VocalCutAvailable(); }
    void SetVolume(double volume) override;

private:
    MediaControl& m_media;
    std::string m_openedPath;  // a CD+G song leaves the media control's path empty
};

}  // namespace cx
