// The CD+G path of the media control: an audio song with a .cdg beside it.
// Opening loads the graphics; play, pause, stop and seek move audio and
// graphics together, the graphics then following the audible audio clock.
#pragma once

#include <functional>
#include <string>

#include "cdg/CdgPlayer.h"

namespace cx {

// The .cdg file that belongs to an audio file: the same path with the
// extension "cdg" (or "CDG"), when it exists and is not empty; else "".
std::string CdgPathBeside(const std::string& audioPath);

// What the CD+G path asks of the song's audio channel.
struct CdgAudio {
    std::function<void()> play;             // start, or continue where it paused
    std::function<void()> pause;            // keep the position
    std::function<void()> stop;             // stop and release
    std::function<void(double)> seek;       // move to seconds
    std::function<double()> lengthSeconds;  // the song's length
};

class CdgTransport {
public:
    CdgTransport(CdgPlayer& player, CdgAudio audio);

    // Loads the graphics of the audio file `audioPath` when a .cdg stands
    // beside it. True means CD+G mode: the caller leaves its current path
    // empty and starts the song itself.
    bool OpenBeside(const std::string& audioPath, std::string& error);

    void PlaySong();
    void PauseSong();
    void StopSong();
    // Seeks to `fraction` (0..1) of the song: the audio goes to that time and
    // the screen shows what playing up to it would show.
    void Seek(double fraction);

    bool CdgMode() const { return m_player.CdgMode(); }

private:
    CdgPlayer& m_player;
    CdgAudio m_audio;
};

}  // namespace cx
