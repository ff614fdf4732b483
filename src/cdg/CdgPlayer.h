// Plays a CD+G song's graphics in step with the audible audio position: each
// playback tick dispatches, in order, every packet due by that position.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "cdg/CdgScreen.h"
#include "cdg/CdgSong.h"

namespace cx {

class AudioClock;

enum class CdgState { Stop, Play, Pause };

// A backwards jump of the audio larger than this (half a second) means the
// audio was moved behind the graphics' back; the screen is rebuilt.
inline constexpr std::uint32_t kCdgResyncBackPackets = kCdgPacketsPerSecond / 2;
// Forward jumps beyond this are rebuilt from the last memory preset instead
// of being replayed packet by packet.
inline constexpr std::uint32_t kCdgReplayAheadPackets = kCdgPacketsPerSecond * 10;

class CdgPlayer {
public:
    // Reads a .cdg file's bytes. State "stop", packet 0, screen cleared, CD+G
    // mode on. On failure nothing changes and `error` says why.
    bool LoadCDG(std::span<const std::uint8_t> bytes, std::string& error);
    // Reads the file at `path` and loads it.
    bool LoadCDGFile(const std::string& path, std::string& error);

    // State "play": following ticks dispatch from the current packet.
    void PlayCDG();
    // State "pause": the current packet is kept.
    void PauseCDG();
    // State "stop": packet 0, screen cleared (idle picture), packets and
    // schedule released, CD+G mode off.
    void StopCDG();
    // Like StopCDG; for closing the window.
    void CloseCDG();

    // Seeks the graphics to `targetSeconds`: the screen becomes what playing
    // up to then shows. Returns the time the audio must be moved to, which is
    // the target itself (never negative).
    double MoveCDG(double targetSeconds);

    // Dispatches every packet due by `audibleSeconds` (packet n is due at
    // n / 300 s) while playing. Returns how many packets were dispatched.
    std::uint32_t Tick(double audibleSeconds);
    std::uint32_t Tick(const AudioClock& clock);

    const char* getState() const;
    CdgState State() const { return m_state; }
    bool CdgMode() const { return m_cdgMode; }
    bool Ended() const { return m_ended; }
    // The next packet to play.
    std::uint32_t CurrentPacket() const { return m_current; }
    // The idle picture shows while nothing has been drawn.
    bool IdlePictureVisible() const { return !m_screen.Drawn(); }

    bool GetChannel(int channel) const { return m_screen.ShowChannel(channel); }
    void SwitchChannel(int channel, bool on) { m_screen.SetShowChannel(channel, on); }

    const CdgScreen& Screen() const { return m_screen; }
    const CdgSong& Song() const { return m_song; }

private:
    void Resync(std::uint32_t last);

    CdgSong m_song;
    CdgScreen m_screen;
    CdgState m_state = CdgState::Stop;
    std::uint32_t m_current = 0;
    bool m_cdgMode = false;
    bool m_ended = false;
};

// The last packet due at `seconds` (floor(seconds * 300), never negative).
std::uint32_t CdgPacketAt(double seconds);

}  // namespace cx
