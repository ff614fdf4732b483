// Guests' song requests wired to the player: the library they search, the
// page's texts, and the start from the command line for scripts and tests.
#include <cstdio>

#include "app/Application.h"
#include "app/LibraryCatalog.h"
#include "host/gui/HostWindow.h"
#include "library/SongLibrary.h"
#include "requests/GuestTexts.h"

namespace cx {
namespace {

// What a second start hands over to make the host accept every waiting
// request, as the Host window's "Accept all" does.

}  // namespace

RequestsHooks Application::MakeRequestsHooks() {
    RequestsHooks h;
    h.catalog = [this]() -> GuestCatalog* {
        if (!m_catalog) m_catalog = std::make_unique<LibraryCatalog>(SongLibrary::DefaultPath());
        return m_catalog.get();
    };
    h.pageTexts = [] { return BuiltInGuestTexts(); };
    h.playerLanguage = GuestLanguageTag(m_translator.CurrentLanguage());
    h.libraryPath = [this](std::int64_t id) { return m_finder ? m_finder->PathOf(id) : ""; };
    h.makeServer = m_options.makeRequestServer;
    return h;
}

void Application::StartRequestsFromOptions() {
    HostWindow& host = MakeHost();
    if (const std::string reason = host.OpenSession(); !reason.empty()) {
        std::fprintf(stderr, "cantabilex: the host's rotation cannot be opened: %s\n",
                     Tr(reason).empty() ? reason.c_str() : Tr(reason).c_str());
        return;
    }
    RequestsPanel& requests = host.Requests();
    const std::string reason = requests.Start(m_options.requestsAddress, m_options.requestsPort);
    if (!reason.empty()) {
        std::fprintf(stderr, "cantabilex: the request page cannot be served: %s\n", reason.c_str());
        return;
    }
    std::printf("Requests: %s code %s\n", requests.PageAddress().c_str(),
                requests.JoinCode().c_str());
    std::fflush(stdout);
}

void Application::StopRequests() {
    if (!m_host || !m_host->Requests().Serving()) return;
    m_host->Requests().Stop();
    // For scripts that load the page: did the sound keep up meanwhile?
    if (m_options.requestsPort >= 0) {
        std::printf("Requests: stopped; the decoder fell behind by %llu frames\n",
                    static_cast<unsigned long long>(m_engine->UnderrunFrames()));
        std::fflush(stdout);
    }
}

void Application::HandOver(const QString& commandLine) {
    if (commandLine.trimmed() != kAcceptRequestsHandOver) return ChangeSong(commandLine);
    if (m_host) m_host->Requests().AcceptAll();
}

}  // namespace cx
