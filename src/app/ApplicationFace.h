// The running player's face to the session bus: reads its windows and media
// for the bus adaptor, and turns the bus's valued requests into the same
// operations the windows use.
#pragma once

#include "app/PlayerState.h"

namespace cx {

class Application;

class ApplicationFace final : public PlayerState, public PlayerRequests {
public:
    explicit ApplicationFace(Application& app) : m_app(app) {}

    bool HasSong() const override;
    PlayState State() const override;
    std::string SongPath() const override;
    SongLabels Labels() const override;
    double LengthSeconds() const override;
    double PositionSeconds() const override;
    int VolumePercent() const override;
    int ListCount() const override;
    bool Recording() const override;
    TempoAndKey Tempo() const override;

    void SeekTo(double seconds) override;
    std::string Open(const std::string& path) override;
    void SetVolumePercent(int percent) override;
    void SetRate(double rate) override;
    void SetTranspose(int semitones) override;
    void Raise() override;

private:
    Application& m_app;
};

}  // namespace cx
