// The player's dialogs: song details, preferences, file information and the
// about box, and how their changes reach the running windows.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTabWidget>

#include "app/Application.h"
#include "app/HelpPage.h"
#include "app/LibraryVersions.h"
#include "app/PlaylistLookSettings.h"
#include "app/gui/About.h"
#include "app/gui/FileInfoDialog.h"
#include "app/gui/Preferences.h"
#include "cdg/CdgWindow.h"
#include "karaoke/gui/Details.h"
#include "karaoke/gui/Lyric.h"
#include "karaoke/gui/ThemeSettings.h"
#include "lyrics/MediaBlocks.h"
#include "midi/MidiInfo.h"
#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

// The display block of a media file as the karaoke display takes it.
SongLook ReadSongLook(const std::string& path, Codepage cp) {
    DisplayBlock block;
    const ReadResult r = ReadWholeFile(path);
    if (r.bytes) {
        ReadDisplayBlock(*r.bytes,
                         QFileInfo(QString::fromStdString(path)).absolutePath().toStdString(), cp,
                         block);
    }
    SongLook look = SongLookFrom(block);
    look.MediaPath = path;
    return look;
}

template <class W>
void Raise(W* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

Codepage Application::SongCodepage() const {
    return m_translator.IsPolish() ? Codepage::Cp1250 : Codepage::Cp1252;
}

// --- song details ----------------------------------------------------------------

void Application::OpenDetails() {
    if (!m_transport->IsOpen()) {
        ShowNotice("DetailsNoMedia", std::string());
        return;
    }
    if (m_details) return Raise(m_details.data());
    // A song shown without the karaoke window (CD+G) has not had its look
    // read: read it now, so the block is never written into another file.
    const std::string media = m_transport->CurrentPath();
    if (QFileInfo(QString::fromStdString(m_song.Look.MediaPath)).canonicalFilePath() !=
        QFileInfo(QString::fromStdString(media)).canonicalFilePath()) {
        m_song.Look = ReadSongLook(media, SongCodepage());
    }
    Details::Hooks hooks;
    hooks.Apply = [this](const SongLook& look) { ApplySongLook(look); };
    hooks.Save = [this](const DisplayBlock& block) { return SaveSongLook(block); };
    const KaraokeSettings settings =
        m_lyric ? m_lyric->Display().Settings() : KaraokeSettingsFrom(m_settings);
    QWidget* owner = m_player;
    if (m_lyric && m_lyric->isVisible()) owner = m_lyric;
    m_details = new Details(
        m_song.Look, settings, [this](const std::string& k) { return Tr(k); }, hooks, owner);
    Raise(m_details.data());
}

void Application::ApplySongLook(const SongLook& look) {
    m_song.Look = look;
    m_song.Model.LyricsHeader =
        BuildLyricsHeader({look.Artist, look.Title, look.TagArtist, look.TagTitle, look.MediaPath});
    if (!m_lyric) return;
    m_lyric->Display().ChangeLook(m_song.Look);
    m_lyric->update();
}

bool Application::SaveSongLook(const DisplayBlock& block) {
    if (!m_transport->IsOpen() || m_song.Look.MediaPath.empty()) {
        ShowNotice("ErrorNoMedia", std::string());
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LyricsResult r = WriteDisplayBlock(block, m_song.Look.MediaPath, SongCodepage());
    QApplication::restoreOverrideCursor();
    if (!r) {
        const std::string text = r.messageKey.empty() ? r.reason : Tr(r.messageKey);
        ShowNotice(text.empty() ? "ErrorSaveFile" : text, m_song.Look.MediaPath);
        return false;
    }
    if (!r.warning.empty()) ShowNotice(r.warning, m_song.Look.MediaPath);
    return true;
}

// --- preferences -----------------------------------------------------------------

void Application::OpenPreferences(int tab) {
    if (m_preferences) {
        m_preferences->Tabs()->setCurrentIndex(tab);
        return Raise(m_preferences.data());
    }
    // What the windows changed since the start is what the dialog starts from.
    CopyBackSettings();
    PreferenceChoices choices;
    std::string error;
    choices.AudioDevices = SdlOutput::ListDevices(false, error);
    choices.RecordDevices = SdlOutput::ListDevices(true, error);
    choices.Monitors = ScreenNames();
    const PreferenceExtras extras = ReadPreferenceExtras(m_store);
    for (const SoundFontPort& port : ListSoundFonts(extras.SoundFont, SoundFontFolders()))
        choices.SoundFonts.push_back(port.Name);
    Preferences::Hooks hooks;
    hooks.Apply = [this](const ThemeClass& s, const PreferenceExtras& e) {
        ApplyPreferences(s, e);
    };
    m_preferences = new Preferences(
        m_settings, extras, choices, [this](const std::string& k) { return Tr(k); }, hooks,
        m_player);
    m_preferences->Tabs()->setCurrentIndex(tab);
    Raise(m_preferences.data());
}

void Application::ApplyPreferences(const ThemeClass& settings, const PreferenceExtras& extras) {
    m_settings = settings;
    // Read by their own parts when needed (the next MIDI song, the next start).
    WritePreferenceExtras(m_store, extras);
    if (m_lyric) {
        KaraokeDisplay& display = m_lyric->Display();
        display.SetSettings(KaraokeSettingsFrom(m_settings));
        display.FitLyrics();
        display.SetBackground();
        m_lyric->SetCaptions();
        m_lyric->update();
    }
    if (m_userList) {
        m_userList->SetLook(PlaylistLookFrom(m_settings));
        m_userList->SetMusicPath(QString::fromStdString(m_settings.MusicPath));
    }
    if (m_player) {
        m_player->SetOnTop(m_settings.OnTop);
        m_player->SetScrollTitle(m_settings.Scroll);
    }
    if (m_cdg) m_cdg->SetFullscreenMonitor(m_settings.Monitor);
    if (m_voice) {
        // The next take uses them; the voice panel's thumb stays where it is.
        RecordingSettings recording = RecordingSettingsFrom(m_settings);
        recording.voiceThumb = m_voice->Settings().voiceThumb;
        m_voice->Settings() = recording;
    }
    if (m_media) {
        // Heard from the next song on; kept for the exit either way.
        m_media->Settings().customBass = m_settings.CustomBass;
        m_media->Settings().customTreble = m_settings.CustomTreble;
    }
}

// --- file information ------------------------------------------------------------

void Application::OpenFileInfo(const std::string& path) {
    if (path.empty()) {
        ShowNotice("ErrorNoMedia", std::string());
        return;
    }
    if (m_fileInfo) m_fileInfo->close();
    FileInfoDialog::Hooks hooks;
    hooks.Midi = MidiInspectorFor(SongCodepage());
    hooks.Saved = [this](const std::string& saved) {
        // The playlist shows the song with its new tags.
        if (!m_userList) return;
        for (const PlaylistItem& item : m_list.Items()) {
            if (item.ListPath == saved) m_userList->Tags().Request(item.id, saved);
        }
    };
    m_fileInfo = new FileInfoDialog(
        path, SongCodepage(), [this](const std::string& k) { return Tr(k); }, hooks, m_player);
    Raise(m_fileInfo.data());
}

std::string Application::FileInfoPath() const {
    // Alt+3 in the playlist means its focus entry; elsewhere the open song.
    const int index = m_list.ListIndex();
    const bool inList = m_userList && m_userList->isActiveWindow();
    if (m_transport->IsOpen() && !inList) return m_transport->CurrentPath();
    return m_list.Valid(index) ? m_list.ListPath(index) : std::string();
}

// --- about -----------------------------------------------------------------------

void Application::OpenAbout() {
    if (m_about) return Raise(m_about.data());
    AboutFacts facts;
    facts.Version = CX_VERSION;
    facts.Licence = "GPL-3.0-or-later";
    facts.Homepage = HelpPage(QApplication::applicationDirPath());
    const auto ports =
        ListSoundFonts(ReadRegistryText(m_store, kSettingsKey, "soundfont"), SoundFontFolders());
    const SoundFontPort* port = SelectMidiDevice(ports, m_settings.MidiDevice);
    facts.Libraries = LibraryVersions(port ? port->Path.filename().string() : std::string());
    m_about = new About(
        facts, [this](const std::string& k) { return Tr(k); }, {}, m_player);
    Raise(m_about.data());
}

}  // namespace cx
