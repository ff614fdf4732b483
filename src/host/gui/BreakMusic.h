// Music between singers: the songs of a folder or a playlist, one after the
// other on their own channel of the engine, faded in while nobody sings and
// out when the next song starts. The fade runs on the window's timer, never
// in the audio callback.
#pragma once

#include <string>
#include <vector>

#include "playback/AudioEngine.h"

namespace cx {

// Break songs read from a folder at most.
inline constexpr std::size_t kMaxBreakSongs = 5000;
// The break plays under a song's level.
inline constexpr double kBreakVolume = 0.6;
// From silence to full (or back) in this many steps of the timer.
inline constexpr int kBreakFadeSteps = 40;

// The playable audio files of a folder (sorted) or a playlist; why none, in `reason`.
std::vector<std::string> BreakSongs(const std::string& source, std::string& reason);

class BreakMusic {
public:
    BreakMusic(AudioEngine& engine, bool offline) : m_engine(engine), m_offline(offline) {}
    ~BreakMusic();
    BreakMusic(const BreakMusic&) = delete;
    BreakMusic& operator=(const BreakMusic&) = delete;

    // Fades in (from `source`, read again when it changed) or out; why the
    // music cannot play, empty when it can (or when no source is set).
    std::string Fade(bool in, const std::string& source);
    // One step of the fade; the next song when one ended.
    void Step();
    bool Playing() const { return m_channel != 0 && m_volume > 0; }
    double Volume() const { return m_volume; }
    bool FadingIn() const { return m_in && m_channel != 0; }

private:
    bool StartNextSong();
    void ApplyVolume();

    AudioEngine& m_engine;
    bool m_offline;
    AudioHandle m_channel = 0;
    std::vector<std::string> m_songs;
    std::string m_source;
    std::size_t m_next = 0;
    double m_volume = 0;
    bool m_in = false;
};

}  // namespace cx
