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
#include "karaoke/KaraokeSong.h"
#include "karaoke/gui/Details.h"
#include "karaoke/gui/Lyric.h"
#include "karaoke/gui/ThemeSettings.h"
#include "loudness/LoudnessLeveller.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/SongCodepage.h"
#include "midi/MidiInfo.h"
#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"
#include "playlist/gui/UserList.h"
#include "scoring/PitchLaneDesk.h"
#include "scoring/VoiceCalibration.h"
#include "video/gui/ExportVideoDialog.h"

namespace cx {
namespace {

// The display block stored in a media file.
DisplayBlock StoredBlock(const std::string& path, CodepageChoice cp) {
    DisplayBlock block;
    const ReadResult r = ReadWholeFile(path);
    if (r.bytes) {
        ReadDisplayBlock(*r.bytes,
                         QFileInfo(QString::fromStdString(path)).absolutePath().toStdString(), cp,
                         block);
    }
    return block;
}

// The display block of a media file as the karaoke display takes it.
SongLook ReadSongLook(const std::string& path, CodepageChoice cp) {
    SongLook look = SongLookFrom(StoredBlock(path, cp));
    look.MediaPath = path;
    if (const int beside = ReadCodepageFile(path)) look.Codepage = beside;
    return look;
}

template <class W>
void Raise(W* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

CodepageChoice Application::SongCodepage() const {
    return SongCodepageChoice(m_song.Look.Codepage, m_translator.TextCodepage());
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
    const bool recode = look.Codepage != m_song.Look.Codepage;
    m_song.Look = look;
    if (recode) return ReadSongTextsAgain();
    m_song.Model.LyricsHeader = BuildLyricsHeader(
        {look.Artist, look.Title, look.TagArtist, look.TagTitle, look.MediaPath, {}, {}});
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
    const LyricsResult r =
        SaveSongDisplayBlock(block, StoredBlock(m_song.Look.MediaPath, SongCodepage()),
                             m_song.Look.MediaPath, m_translator.TextCodepage());
    QApplication::restoreOverrideCursor();
    if (!r) {
        const std::string text = r.messageKey.empty() ? r.reason : Tr(r.messageKey);
        ShowNotice(text.empty() ? "ErrorSaveFile" : text, m_song.Look.MediaPath);
        return false;
    }
    if (!r.warning.empty()) ShowNotice(r.warning, m_song.Look.MediaPath);
    return true;
}

// The song's texts read again in the code page the user chose for it in the
// details dialog; what the dialog edits stays as it is.
void Application::ReadSongTextsAgain() {
    if (m_media->MidiMode() || m_song.Look.MediaPath.empty()) return;
    KaraokeSong again;
    std::string error;
    LoadKaraokeSong(m_song.Look.MediaPath, KaraokeSettingsFrom(m_settings), SongCodepage(), {},
                    again, error);
    m_song.Model = std::move(again.Model);
    m_song.Look.TagArtist = again.Look.TagArtist;
    m_song.Look.TagTitle = again.Look.TagTitle;
    m_song.Problems = std::move(again.Problems);
    m_song.Untimed = std::move(again.Untimed);
    SetTitlePageText(m_song, Tr("NoLyricsInSong"));
    m_song.Model.LyricsHeader = BuildLyricsHeader({m_song.Look.Artist,
                                                   m_song.Look.Title,
                                                   m_song.Look.TagArtist,
                                                   m_song.Look.TagTitle,
                                                   m_song.Look.MediaPath,
                                                   {},
                                                   {}});
    ShowLyricsStatus();
    if (!m_lyric) return;
    m_lyric->ChangeLyrics(&m_song.Model, m_song.Look);
    if (m_media->State() != MediaControl::kStopped && m_song.Model.HasLyrics())
        m_lyric->Seeked(m_media->PlaybackPosition());
}

// The player's status line: lyrics that could not be used and why, or an
// offer to time the song's untimed words.
void Application::ShowLyricsStatus() {
    if (!m_player) return;
    std::string text = LyricsProblemLine(m_song);
    if (!text.empty()) text = Tr("LyricsNotUsed") + " " + text;
    if (m_song.Untimed.empty()) {
        // Nothing about the lyrics: a missing sound device is still said.
        m_player->ShowStatus(QString::fromStdString(text.empty() ? m_soundNote : text));
        return;
    }
    if (!text.empty()) text += " ";
    m_player->ShowStatus(QString::fromStdString(text + Tr("LyricsUntimed")), {},
                         QString::fromStdString(Tr("LyricsTimeThem")), [this] { OpenEditor(); });
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
    hooks.MakeCalibration = [this](std::string& error) { return MakeCalibration(error); };
    hooks.SaveLatency = [this](int ms) {
        m_settings.VoiceLatencyMs = ms;
        ApplySingingSettings();
    };
    m_preferences = new Preferences(
        m_settings, extras, choices, [this](const std::string& k) { return Tr(k); }, hooks,
        m_player);
    m_preferences->Tabs()->setCurrentIndex(tab);
    Raise(m_preferences.data());
}

void Application::ApplyPreferences(const ThemeClass& settings, const PreferenceExtras& extras) {
    // Another device, or any choice while none plays, is tried at once.
    const bool newDevice = settings.AudioDevice != m_settings.AudioDevice || m_silent;
    m_settings = settings;
    if (newDevice) OpenOutput(m_settings.AudioDevice);
    if (m_leveller)
        m_leveller->ApplySettings(m_settings.LoudnessNormalise, m_settings.LoudnessTargetLufs);
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
    ApplySingingSettings();
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

// The pitch lane takes the difficulty and the delay at once, and goes on or
// off as the setting says.
void Application::ApplySingingSettings() {
    if (m_pitchLane) {
        m_pitchLane->SetDifficulty(DifficultyFromSetting(m_settings.ScoreDifficulty));
        m_pitchLane->SetCalibration(m_settings.VoiceLatencyMs / 1000.0);
    }
    if (m_settings.PitchLane != (m_pitchLane && m_pitchLane->On()))
        SetPitchLane(m_settings.PitchLane);
}

std::unique_ptr<VoiceCalibration> Application::MakeCalibration(std::string& error) {
    // Without a sound device the beeps would never be heard.
    if (m_silent) {
        error = Tr("CalibrateNoOutput");
        return nullptr;
    }
    return std::make_unique<VoiceCalibration>(*m_engine, m_options.manualPitchCapture,
                                              VoiceDevice());
}

// --- file information ------------------------------------------------------------

void Application::OpenFileInfo(const std::string& path) {
    if (path.empty()) {
        ShowNotice("ErrorNoMedia", std::string());
        return;
    }
    if (m_fileInfo) m_fileInfo->close();
    FileInfoDialog::Hooks hooks;
    hooks.Midi = MidiInspectorFor(m_translator.TextCodepage());
    hooks.Saved = [this](const std::string& saved) {
        m_media->SongTagsChanged(saved);  // the player's title and MPRIS follow
        // The playlist shows the song with its new tags.
        if (!m_userList) return;
        for (const PlaylistItem& item : m_list.Items()) {
            if (item.ListPath == saved) m_userList->Tags().Request(item.id, saved);
        }
    };
    m_fileInfo = new FileInfoDialog(
        path, m_translator.TextCodepage(), [this](const std::string& k) { return Tr(k); }, hooks,
        m_player);
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

// --- video export -----------------------------------------------------------

void Application::OpenExportVideo() {
    if (!m_transport->IsOpen()) return ShowNotice("VideoNeedsSong", std::string());
    VideoExportOptions base;
    base.karaoke = m_lyric ? m_lyric->Display().Settings() : KaraokeSettingsFrom(m_settings);
    base.codepage = SongCodepage();
    const std::string song = m_transport->CurrentPath();
    ShowExportVideo(m_player, song, base, m_voice->VoiceFileOfSong().string(),
                    [this](const std::string& key) { return Tr(key); });
}

}  // namespace cx
