#include "playback/player/MediaTransport.h"

#include <algorithm>
#include <cmath>

#include "playlist/LastList.h"

namespace cx {

bool MediaTransport::Open(const std::string& path, bool play) {
    std::string p = path;
    const bool opened = m_media.OpenName(p, play);
    m_openedPath = opened ? path : std::string();
    // Opening starts neither MIDI nor CD+G songs; the player wants every kind started.
    if (opened && play && m_media.State() != MediaControl::kPlaying) m_media.PlaySong(false);
    return opened;
}

void MediaTransport::Play() {
    m_media.PlaySong(m_media.State() == MediaControl::kPaused);
}

double MediaTransport::Position() const {
    return m_media.MidiMode() ? m_media.PlaybackPosition() : m_media.PositionSeconds();
}

double MediaTransport::Length() const {
    return m_media.MidiMode() ? m_media.MidiLength() : m_media.LengthSeconds();
}

bool MediaTransport::AtEnd() const {
    return m_media.MidiMode() && midiAtEnd && midiAtEnd();
}

PlayState MediaTransport::State() const {
    switch (m_media.State()) {
        case MediaControl::kPlaying:
            return PlayState::Playing;
        case MediaControl::kPaused:
            return PlayState::Paused;
        default:
            return PlayState::Stopped;
    }
}

bool MediaTransport::IsOpen() const {
    return m_media.CurrentChannel() != 0 || m_media.MidiMode() || !m_media.CurrentPath().empty();
}

std::string MediaTransport::CurrentPath() const {
    if (!m_media.CurrentPath().empty()) return m_media.CurrentPath();
    return IsOpen() ? m_openedPath : std::string();
}

SongLabels MediaTransport::Labels() const {
    const SongFileInfo& info = m_media.SongInfo();
    SongLabels labels;
    labels.title = info.title.empty() ? BaseNameOf(CurrentPath()) : info.title;
    labels.artist = info.artist;
    labels.bitrateKbps = info.bitrateKbps;
    labels.sampleRate = m_media.MidiMode() ? 0 : info.sampleRate;
    return labels;
}

void MediaTransport::SetVolume(double volume) {
    volume = std::clamp(volume, 0.0, 1.0);
    m_media.Settings().volume = volume;
    if (m_media.CurrentChannel() != 0) {
        m_media.Engine().ChannelSetAttributes(m_media.CurrentChannel(), -1,
                                              static_cast<int>(volume * 100), -101);
    }
    if (setMidiVolume) setMidiVolume(volume);
}

}  // namespace cx
