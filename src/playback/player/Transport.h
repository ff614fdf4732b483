// What the player window needs from the media control and from the rest of
// the program. The application passes the real objects; tests pass fakes.
#pragma once

#include <string>

namespace cx {

enum class PlayState { Stopped = 0, Playing = 1, Paused = 2 };

// Texts for the title, artist, bit-rate and sample-rate labels of the open song.
struct SongLabels {
    std::string title;  // the tag title, or the file's base name
    std::string artist;
    int bitrateKbps = 0;  // 0 when unknown
    int sampleRate = 0;   // 0 when unknown
};

// The current song. One song is open at a time; opening closes the previous one.
class Transport {
public:
    virtual ~Transport() = default;

    // Opens a song file (never a lyrics or .cdg file: those are mapped first).
    // With `play` the song starts at once, whatever its kind. False when it
    // cannot be opened; the previous song is closed either way.
    virtual bool Open(const std::string& path, bool play) = 0;
    // Starts or resumes the open song.
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // Stops; the song is closed unless the lyrics editor keeps it open at 0.
    virtual void Stop() = 0;
    virtual void Close() = 0;
    // Moves playback to a fraction 0..1 of the song.
    virtual void Seek(double fraction) = 0;

    // The audible position in seconds, as the karaoke display follows it.
    virtual double Position() const = 0;
    // Length in seconds; 0 when unknown.
    virtual double Length() const = 0;
    // The song kind's own end report (the MIDI player's), beside position >= length.
    virtual bool AtEnd() const { return false; }
    virtual PlayState State() const = 0;
    virtual bool IsOpen() const = 0;
    virtual std::string CurrentPath() const = 0;
    virtual SongLabels Labels() const { return {}; }

    // The vocal remover needs an open stereo song.
    virtual bool CanCutVocal() const { return false; }

    // Volume 0..1 for every song kind.
    virtual void SetVolume(double volume) = 0;
};

}  // namespace cx
