#include "host/gui/BreakMusic.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "playlist/PlaylistFile.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// What the engine's decoders play without a synth.
bool IsAudioFile(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mp3" || ext == ".ogg" || ext == ".wav" || ext == ".flac" || ext == ".opus";
}

}  // namespace

std::vector<std::string> BreakSongs(const std::string& source, std::string& reason) {
    std::vector<std::string> songs;
    std::error_code ec;
    if (fs::is_directory(source, ec)) {
        for (auto it = fs::recursive_directory_iterator(
                 source, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator() && songs.size() < kMaxBreakSongs;
             it.increment(ec)) {
            if (it->is_regular_file(ec) && IsAudioFile(it->path()))
                songs.push_back(it->path().string());
        }
        std::sort(songs.begin(), songs.end());
    } else if (IsPlaylistFileName(source) && fs::is_regular_file(source, ec)) {
        const PlaylistParseResult list = LoadPlaylistFile(source);
        for (const PlaylistEntry& e : list.entries)
            if (IsAudioFile(e.path) && songs.size() < kMaxBreakSongs) songs.push_back(e.path);
    } else {
        reason = "HostBreakMusicMissing";
        return songs;
    }
    if (songs.empty()) reason = "HostBreakMusicEmpty";
    return songs;
}

BreakMusic::~BreakMusic() {
    if (m_channel) m_engine.Free(m_channel);
}

std::string BreakMusic::Fade(bool in, const std::string& source) {
    m_in = in;
    if (!in || source.empty()) {
        m_in = false;
        return {};
    }
    std::string reason;
    if (source != m_source) {
        m_songs = BreakSongs(source, reason);
        m_source = source;
        m_next = 0;
        if (m_channel) m_engine.Free(m_channel);
        m_channel = 0;
    }
    if (!m_channel && !m_songs.empty() && !StartNextSong()) reason = "HostBreakMusicUnplayable";
    if (m_channel) m_engine.ChannelPlay(m_channel, false);
    return reason;
}

bool BreakMusic::StartNextSong() {
    if (m_channel) m_engine.Free(m_channel);
    m_channel = 0;
    // Songs that cannot be opened are passed over, each tried once a round.
    for (std::size_t tries = 0; tries < m_songs.size() && !m_channel; ++tries) {
        const std::string& path = m_songs[m_next++ % m_songs.size()];
        m_channel = m_engine.StreamCreateFile(path, false, m_offline);
    }
    ApplyVolume();
    return m_channel != 0;
}

void BreakMusic::ApplyVolume() {
    if (m_channel)
        m_engine.ChannelSetAttributes(m_channel, -1,
                                      static_cast<int>(m_volume * kBreakVolume * 100), -101);
}

void BreakMusic::Step() {
    if (!m_channel) return;
    const double step = 1.0 / kBreakFadeSteps;
    m_volume = std::clamp(m_volume + (m_in ? step : -step), 0.0, 1.0);
    ApplyVolume();
    if (m_volume <= 0 && !m_in) {
        m_engine.ChannelStop(m_channel);  // keeps its place for the next break
        return;
    }
    if (m_in && m_engine.ChannelEnded(m_channel) && StartNextSong())
        m_engine.ChannelPlay(m_channel, false);
}

}  // namespace cx
