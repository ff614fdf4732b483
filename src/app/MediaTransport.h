// The player window's view of the current song, over the media control.
#pragma once

#include <functional>

#include "playback/MediaControl.h"
#include "playback/player/Transport.h"

namespace cx {

class MediaTransport final : public Transport {
public:
    struct MidiView {
        std::function<double()> time;
        std::function<bool()> atEnd;
    };

    MediaTransport(MediaControl& media, AudioEngine& engine, MidiView midi)
        : m_media(media), m_engine(engine), m_midi(std::move(midi)) {}

    bool Open(const std::string& path, bool play) override;
    void Play() override;
    void Pause() override { m_media.PauseSong(); }
    void Stop() override { m_media.StopSong(); }
    void Close() override { m_media.CloseSong(); }
    void Seek(double fraction) override { m_media.Seek(fraction); }
    double Position() const override;
    double Length() const override { return m_media.LengthSeconds(); }
    bool AtEnd() const override;
    PlayState State() const override { return static_cast<PlayState>(m_media.State()); }
    bool IsOpen() const override;
    std::string CurrentPath() const override;
    SongLabels Labels() const override;
    void SetVolume(double volume) override;

private:
    MediaControl& m_media;
    AudioEngine& m_engine;
    MidiView m_midi;
};

}  // namespace cx
