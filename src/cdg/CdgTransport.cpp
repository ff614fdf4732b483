#include "cdg/CdgTransport.h"

#include <algorithm>
#include <filesystem>

namespace cx {

std::string CdgPathBeside(const std::string& audioPath) {
    namespace fs = std::filesystem;
    for (const char* ext : {".cdg", ".CDG", ".Cdg"}) {
        fs::path candidate(audioPath);
        candidate.replace_extension(ext);
        std::error_code ec;
        if (candidate != fs::path(audioPath) && fs::is_regular_file(candidate, ec) &&
            fs::file_size(candidate, ec) > 0 && !ec) {
            return candidate.string();
        }
    }
    return {};
}

CdgTransport::CdgTransport(CdgPlayer& player, CdgAudio audio)
    : m_player(player), m_audio(std::move(audio)) {}

bool CdgTransport::OpenBeside(const std::string& audioPath, std::string& error) {
    const std::string cdg = CdgPathBeside(audioPath);
    if (cdg.empty()) {
        error = "no CD+G file beside " + audioPath;
        return false;
    }
    return m_player.LoadCDGFile(cdg, error);
}

void CdgTransport::PlaySong() {
    if (!m_player.CdgMode()) return;
    if (m_audio.play) m_audio.play();
    m_player.PlayCDG();
}

void CdgTransport::PauseSong() {
    if (m_player.State() != CdgState::Play) return;
    if (m_audio.pause) m_audio.pause();
    m_player.PauseCDG();
}

void CdgTransport::StopSong() {
    if (m_audio.stop) m_audio.stop();
    m_player.StopCDG();
}

void CdgTransport::Seek(double fraction) {
    if (!m_player.CdgMode()) return;
    const double length = m_audio.lengthSeconds ? m_audio.lengthSeconds() : 0.0;
    const double target = std::clamp(fraction, 0.0, 1.0) * length;
    const double audio = m_player.MoveCDG(target);
    if (m_audio.seek) m_audio.seek(audio);
}

}  // namespace cx
