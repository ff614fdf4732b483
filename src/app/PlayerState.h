// The player as the desktop sees it over the session bus: what it shows,
// read-only, and the few requests that carry a value and so are no plain
// command. Commands themselves go through the command router.
#pragma once

#include <string>

#include "playback/player/Transport.h"

namespace cx {

struct TempoAndKey {
    double rate = 1.0;  // tempo as a playback rate, 1 = as written
    double minimumRate = 1.0;
    double maximumRate = 1.0;
    int transpose = 0;  // semitones
    int minimumTranspose = 0;
    int maximumTranspose = 0;
};

class PlayerState {
public:
    virtual ~PlayerState() = default;
    // A song is open (and the player is not shutting down).
    virtual bool HasSong() const = 0;
    virtual PlayState State() const = 0;
    virtual std::string SongPath() const = 0;
    virtual SongLabels Labels() const = 0;
    virtual double LengthSeconds() const = 0;
    virtual double PositionSeconds() const = 0;
    virtual int VolumePercent() const = 0;
    virtual int ListCount() const = 0;
    virtual bool Recording() const = 0;
    virtual TempoAndKey Tempo() const = 0;
};

class PlayerRequests {
public:
    virtual ~PlayerRequests() = default;
    virtual void SeekTo(double seconds) = 0;
    // Opens a song or playlist; empty, or the reason it cannot be opened.
    virtual std::string Open(const std::string& path) = 0;
    virtual void SetVolumePercent(int percent) = 0;
    virtual void SetRate(double rate) = 0;
    virtual void SetTranspose(int semitones) = 0;
    virtual void Raise() = 0;
};

}  // namespace cx
