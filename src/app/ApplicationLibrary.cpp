// The song library window plugged into the player: made on first use, so
// nothing of the library opens at start-up; its songs play through the
// player's own open-song operation.
#include <QByteArray>

#include "app/Application.h"
#include "library/gui/LibraryWindow.h"
#include "playback/player/gui/Player.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

constexpr const char* kLibraryPlaceValue = "library window position";

}  // namespace

LibraryWindow* Application::SongLibraryWindow() const {
    return m_library;
}

void Application::OpenLibrary() {
    if (m_library) return m_library->OpenWindow();
    LibraryWindow::Hooks hooks;
    hooks.translate = [this](const std::string& key) { return Tr(key); };
    hooks.play = [this](const QString& path) { ChangeSong(path); };
    hooks.addToPlaylist = [this](const QStringList& paths) {
        if (m_userList) m_userList->AddFiles(paths);
    };
    m_library = new LibraryWindow(SongLibrary::DefaultPath(), std::move(hooks), m_player);
    const std::string place = ReadRegistryText(m_store, kSettingsKey, kLibraryPlaceValue);
    if (!place.empty())
        m_library->restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(place)));
    m_library->OpenWindow();
}

void Application::SaveLibraryPlace() {
    if (!m_library) return;
    WriteRegistryText(m_store, kSettingsKey, kLibraryPlaceValue,
                      m_library->saveGeometry().toBase64().toStdString());
}

}  // namespace cx
