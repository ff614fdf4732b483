// The host's show wired to the player: its window loads, keys and starts the
// singers' songs through the same transport and controls the windows use.
#include "app/Application.h"
#include "app/LibraryFinder.h"
#include "host/gui/BreakMusic.h"
#include "host/gui/HostWindow.h"
#include "karaoke/gui/Lyric.h"
#include "library/SongLibrary.h"
#include "playback/player/MediaTransport.h"
#include "playlist/gui/ItemTags.h"
#include "scoring/PitchLaneDesk.h"

namespace cx {

HostWindow* Application::HostDesk() const {
    return m_host;
}

HostWindow& Application::MakeHost() {
    if (!m_host) {
        m_host = new HostWindow(MakeHostHooks());
        if (!m_finder) m_finder = std::make_unique<LibraryFinder>(SongLibrary::DefaultPath());
        m_host->SetFinder(m_finder.get());
    }
    return *m_host;
}

void Application::OpenHost() {
    MakeHost().Open();
}

std::string Application::OpenForShow(const std::string& path) {
    const bool opened = m_transport->Open(path, false);
    RefreshPlayer();
    return opened ? std::string() : m_media->LastError();
}

HostHooks Application::MakeHostHooks() {
    HostHooks h;
    h.openPaused = [this](const std::string& path) { return OpenForShow(path); };
    h.setKeyAndTempo = [this](int semitones, int tempoPercent) {
        m_face.SetTranspose(semitones);
        m_face.SetRate(1.0 + tempoPercent / 100.0);
    };
    h.play = [this] { Run(Command::Play); };
    h.stop = [this] { Run(Command::Stop); };
    h.isPlaying = [this] { return m_transport->State() == PlayState::Playing; };
    h.showOverlay = [this](const QImage& overlay) {
        if (m_lyric) m_lyric->SetOverlay(overlay);
    };
    h.overlaySize = [this] { return m_lyric ? m_lyric->Display().AreaSize() : QSize(); };
    h.remainingMs = [this] {
        const bool playing = m_transport->State() == PlayState::Playing;
        return playing ? static_cast<std::int64_t>(
                             (m_transport->Length() - m_transport->Position()) * 1000)
                       : std::int64_t(0);
    };
    h.chooseFiles = m_options.chooseFiles;
    h.readTags = ItemTagReader(m_translator.TextCodepage());
    h.translate = [this](const std::string& key) { return Tr(key); };
    h.makeBreakMusic = [this] {
        return std::make_unique<BreakMusic>(*m_engine, m_options.offlineStreams);
    };
    h.turnScore = [this] { return m_pitchLane ? m_pitchLane->TurnScore() : std::nullopt; };
    h.requests = MakeRequestsHooks();
    return h;
}

}  // namespace cx
