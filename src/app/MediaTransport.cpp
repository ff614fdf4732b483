#include "app/MediaTransport.h"

#include <algorithm>
#include <cmath>

namespace cx {

bool MediaTransport::Open(const std::string& path, bool play) {
    std::string p = path;
    const bool opened = m_media.OpenName(p, play);
    // Opening never starts a MIDI song; a caller that asked to play gets it playing.
    if (opened && play && m_media.State() != MediaControl::kPlaying) m_media.PlaySong(false);
    return opened;
}

void MediaTransport::Play() {
    m_media.PlaySong(m_media.State() == MediaControl::kPaused);
}

double MediaTransport::Position() const {
    if (m_media.MidiMode()) return m_midi.time ? m_midi.time() : 0.0;
    return m_media.PositionSeconds();
}

bool MediaTransport::AtEnd() const {
    if (m_media.MidiMode()) return m_midi.atEnd && m_midi.atEnd();
    const AudioHandle channel = m_media.CurrentChannel();
    return channel != 0 && m_media.State() == MediaControl::kPlaying &&
           m_engine.ChannelEnded(channel);
}

bool MediaTransport::IsOpen() const {
    return !m_media.CurrentPath().empty() || m_media.CdgMode() || m_media.MidiMode();
}

std::string MediaTransport::CurrentPath() const {
    return m_media.CurrentPath().empty() ? m_media.LastSongPath() : m_media.CurrentPath();
}

SongLabels MediaTransport::Labels() const {
    const SongFileInfo& info = m_media.SongInfo();
    return {info.title, info.artist, info.bitrateKbps, info.sampleRate};
}

void MediaTransport::SetVolume(double volume) {
    volume = std::clamp(volume, 0.0, 1.0);
    m_media.Settings().volume = volume;
    const AudioHandle channel = m_media.CurrentChannel();
    if (channel != 0) {
        m_engine.ChannelSetAttributes(channel, -1, static_cast<int>(std::lround(volume * 100)),
                                      -101);
    }
}

}  // namespace cx
