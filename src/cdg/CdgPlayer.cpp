#include "cdg/CdgPlayer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "cdg/CdgRebuild.h"
#include "playback/AudioSource.h"

namespace cx {

namespace {
// Slack for positions that land a hair below a packet's exact time.
constexpr double kTimeEpsilon = 1e-7;
// A .cdg file bigger than this cannot be within kCdgMaxPackets anyway.
constexpr std::uintmax_t kMaxFileBytes = kCdgMaxPackets * kCdgPacketSize + kCdgPacketSize;
}  // namespace

std::uint32_t CdgPacketAt(double seconds) {
    if (!(seconds > 0.0)) return 0;
    const double packets = std::floor(seconds * kCdgPacketsPerSecond + kTimeEpsilon);
    return packets >= 4.0e9 ? 4000000000u : static_cast<std::uint32_t>(packets);
}

bool CdgPlayer::LoadCDG(std::span<const std::uint8_t> bytes, std::string& error) {
    CdgLoadResult loaded = LoadCdgSong(bytes);
    if (!loaded.ok) {
        error = loaded.error;
        return false;
    }
    m_song = std::move(loaded.song);
    m_state = CdgState::Stop;
    m_current = 0;
    m_ended = false;
    m_cdgMode = true;
    m_screen.ClearScreen();
    return true;
}

bool CdgPlayer::LoadCDGFile(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "not a file: " + path;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uintmax_t>(std::max<std::streamoff>(in.tellg(), 0));
    if (size > kMaxFileBytes) {
        error = "too long for a CD+G file: " + path;
        return false;
    }
    in.seekg(0);
    std::vector<std::uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot read " + path;
        return false;
    }
    return LoadCDG(bytes, error);
}

void CdgPlayer::PlayCDG() {
    if (m_song.Empty()) return;
    m_state = CdgState::Play;
}

void CdgPlayer::PauseCDG() {
    if (m_state == CdgState::Play) m_state = CdgState::Pause;
}

void CdgPlayer::StopCDG() {
    m_state = CdgState::Stop;
    m_current = 0;
    m_ended = false;
    m_cdgMode = false;
    m_song = CdgSong{};
    m_screen.ClearScreen();
}

void CdgPlayer::CloseCDG() {
    StopCDG();
}

double CdgPlayer::MoveCDG(double targetSeconds) {
    if (m_song.Empty()) return 0.0;
    // The audio goes exactly where asked; the screen is rebuilt to what
    // playing through would show at that moment. The next graphics packet
    // may lie many seconds later, so it must not decide where the song goes.
    const double target = std::max(targetSeconds, 0.0);
    const std::uint32_t packet = std::min(CdgPacketAt(target), m_song.PacketCount() - 1);
    RebuildScreenAt(m_song, packet, m_screen);
    m_current = packet + 1;
    m_ended = m_current >= m_song.PacketCount();
    return target;
}

void CdgPlayer::Resync(std::uint32_t last) {
    RebuildScreenAt(m_song, last, m_screen);
    m_current = last + 1;
}

std::uint32_t CdgPlayer::Tick(double audibleSeconds) {
    if (m_state != CdgState::Play || m_song.Empty()) return 0;
    const std::uint32_t count = m_song.PacketCount();
    const std::uint32_t last = std::min(CdgPacketAt(audibleSeconds), count - 1);
    std::uint32_t dispatched = 0;
    if (last + 1 + kCdgResyncBackPackets < m_current || last > m_current + kCdgReplayAheadPackets) {
        Resync(last);
        dispatched = 1;
    } else {
        for (; m_current <= last; ++m_current, ++dispatched) {
            m_screen.Dispatch(m_song.packets[m_current]);
        }
    }
    m_ended = m_current >= count;
    return dispatched;
}

std::uint32_t CdgPlayer::Tick(const AudioClock& clock) {
    return Tick(clock.AudiblePositionSeconds());
}

const char* CdgPlayer::getState() const {
    switch (m_state) {
        case CdgState::Play:
            return "play";
        case CdgState::Pause:
            return "pause";
        case CdgState::Stop:
            break;
    }
    return "stop";
}

}  // namespace cx
