#include "app/Application.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <cstdio>

#include "app/AudioCheck.h"
#include "app/ErrorReport.h"
#include "app/SingleInstance.h"
#include "cdg/CdgTransport.h"
#include "cdg/CdgWindow.h"
#include "karaoke/gui/Lyric.h"
#include "karaoke/gui/ThemeSettings.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/Mp3Class.h"
#include "midi/MidiInfo.h"
#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"
#include "playlist/gui/ItemTags.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

constexpr int kTickMs = 10;
constexpr int kOutputRate = 44100;

// Plays the MIDI synth through the engine without owning it: the MIDI player
// keeps the synth, the engine's channel only pulls from it.
class BorrowedSource final : public AudioSource {
public:
    explicit BorrowedSource(AudioSource& inner) : m_inner(inner) {}
    int SampleRate() const override { return m_inner.SampleRate(); }
    std::int64_t LengthFrames() const override { return m_inner.LengthFrames(); }
    std::size_t Render(float* out, std::size_t frames) override {
        return m_inner.Render(out, frames);
    }
    bool SeekFrame(std::int64_t frame) override { return m_inner.SeekFrame(frame); }

private:
    AudioSource& m_inner;
};

Codepage LyricsCodepage(const Translator& tr) {
    return tr.IsPolish() ? Codepage::Cp1250 : Codepage::Cp1252;
}

SongFileInfo ReadSongInfo(const std::string& path, Codepage cp) {
    SongFileInfo info;
    MP3Class mp3(cp);
    mp3.SetMidiInspector(MidiInspectorFor(cp));
    mp3.SetFilename(path);
    if (!mp3.ReadFile()) return info;
    mp3.ReadTag();
    const MP3Info& i = mp3.Info();
    info.isMidi = i.format == "MIDI";
    info.title = i.Title;
    info.artist = i.Artist;
    info.bitrateKbps = i.Bitrate;
    info.sampleRate = static_cast<int>(i.samplerate);
    info.lengthSeconds = i.Length;
    return info;
}

}  // namespace

Application::Application(SingleInstance& instance) : m_instance(instance) {
    m_tick.setInterval(kTickMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &Application::OnPlaybackTick);
}

Application::~Application() {
    if (!m_closingDown) CloseApp();
}

std::string Application::Tr(const std::string& key) const {
    return m_translator.Translate(key);
}

bool Application::Start(const QString& commandLine) {
    LoadSettings();
    if (!StartAudio()) return false;
    CreateMedia();
    CreateWindows();
    connect(&m_instance, &SingleInstance::FileReceived, this, [this](const QString& file) {
        std::printf("cantabilex: received %s\n", file.toLocal8Bit().constData());
        std::fflush(stdout);
        ChangeSong(file);
    });
    FormShow(commandLine);
    return true;
}

void Application::LoadSettings() {
    m_settings = ThemeClass::Load(m_store, QtThemeEnvironment());
    m_translator.SelectLanguage(m_store);
}

bool Application::StartAudio() {
    if (!AudioOutputOpens()) {
        QMessageBox::critical(nullptr, kProgramTitle, kAudioInitFailedMessage);
        return false;
    }
    const std::string engineName = ReadRegistryText(m_store, kSettingsKey, "pitch engine");
    m_engine = std::make_unique<AudioEngine>(kOutputRate, engineName == "rubberband"
                                                              ? PitchEngine::RubberBand
                                                              : PitchEngine::SoundTouch);
    std::string error;
    std::vector<std::string> devices = SdlOutput::ListDevices(false, error);
    const int wanted = m_settings.AudioDevice;
    // Device 0 is the system's default; 1.. name the listed devices.
    std::string name;
    if (wanted > 0 && static_cast<std::size_t>(wanted) <= devices.size()) {
        name = devices[static_cast<std::size_t>(wanted - 1)];
    }
    m_output = std::make_unique<SdlOutput>(*m_engine, name);
    if (!m_output->Start(error)) {
        QMessageBox::critical(nullptr, kProgramTitle, kAudioInitFailedMessage);
        return false;
    }
    return true;
}

void Application::CreateMedia() {
    MediaSettings media;
    media.customBass = m_settings.CustomBass;
    media.customTreble = m_settings.CustomTreble;
    media.dspOut = m_settings.DspOut();
    m_media = std::make_unique<MediaControl>(*m_engine, Hooks(), media);
    m_transport = std::make_unique<MediaTransport>(*m_media);
    m_transport->midiAtEnd = [this] { return m_midi.CheckEnd(); };
    m_transport->setMidiVolume = [this](double volume) {
        if (m_midiChannel) {
            m_engine->ChannelSetAttributes(m_midiChannel, -1, static_cast<int>(volume * 100), -101);
        }
    };
}

MediaHooks Application::Hooks() {
    MediaHooks h;
    const Codepage cp = LyricsCodepage(m_translator);
    h.readSongInfo = [cp](const std::string& path) { return ReadSongInfo(path, cp); };
    h.loadLyrics = [this](const std::string& path) { return LoadSongLyrics(path); };
    h.clearLyrics = [this] {
        ResetLyricsModel(m_song.Model);
        if (m_lyric) m_lyric->Display().ChangeLyrics(&m_song.Model, m_song.Look);
    };
    h.changeLyrics = [this] {
        if (m_lyric) m_lyric->Display().ChangeLyrics(&m_song.Model, m_song.Look);
    };
    h.resetCurrentPiece = [this] { m_song.Model.CurrentPiece = 0; };
    h.resetKokTiming = [this] { m_song.Model.KokTiming = false; };
    h.putLabels = [this](const std::string& title, const std::string& artist) {
        if (m_player)
            m_player->PutLabels(QString::fromStdString(title), QString::fromStdString(artist));
    };
    h.playbackTimers = [this](bool running) {
        if (running) {
            m_songClock = m_media->MidiMode() ? nullptr : m_media->MakeClock();
            m_tick.start();
        } else {
            m_tick.stop();
        }
    };
    h.loadCdg = [this](const std::string& cdgPath) {
        std::string error;
        if (!m_cdg || !m_cdg->LoadCDG(cdgPath, error)) return false;
        m_songClock = m_media->MakeClock();
        m_cdg->SetClock(m_songClock.get());
        m_cdg->show();
        return true;
    };
    h.playCdg = [this] {
        if (m_cdgTransport) m_cdgTransport->PlaySong();
        m_tick.start();
    };
    h.pauseCdg = [this] {
        if (m_cdgTransport) m_cdgTransport->PauseSong();
    };
    h.stopCdg = [this] {
        if (m_cdgTransport && m_cdgPlayer.CdgMode()) m_cdgTransport->StopSong();
    };
    h.moveCdg = [this](double fraction) {
        if (m_cdgTransport) m_cdgTransport->Seek(fraction);
    };
    h.openMidi = [this](const std::string& path) { return OpenMidiSong(path); };
    h.playMidi = [this](bool) { PlayMidiSong(); };
    h.pauseMidi = [this] { PauseMidiSong(); };
    h.closeMidi = [this] { CloseMidiSong(); };
    h.setMidiPosition = [this](double fraction) {
        m_midi.SetMidiPosition(fraction * m_media->LengthSeconds());
    };
    h.midiTime = [this] { return m_midi.MidiTime(); };
    h.playSelectedEntry = [this] {
        if (m_player) m_player->Control().Play();
    };
    return h;
}

bool Application::LoadSongLyrics(const std::string& path) {
    std::string error;
    KaraokeSong song;
    const bool ok = LoadKaraokeSong(path, KaraokeSettingsFrom(m_settings),
                                    LyricsCodepage(m_translator), {}, song, error);
    m_song.Model = std::move(song.Model);
    m_song.Look = std::move(song.Look);
    m_song.Source = std::move(song.Source);
    return ok;
}

bool Application::OpenMidiSong(const std::string& path) {
    CloseMidiSong();
    const auto ports =
        ListSoundFonts(ReadRegistryText(m_store, kSettingsKey, "soundfont"), SoundFontFolders());
    const SoundFontPort* port = SelectMidiDevice(ports, m_settings.MidiDevice);
    MidiLyricsOptions options;
    options.codepage = LyricsCodepage(m_translator);
    options.converterCommand = ReadRegistryText(m_store, kSettingsKey, "midi converter");
    options.tempFolder = m_temp.Folder();
    SynthOptions synth;
    synth.sampleRate = kOutputRate;
    const MidiOpenResult result = m_midi.OpenMusic(path, port ? port->Path.string() : std::string(),
                                                   options, m_song.Model, synth);
    m_song.Look = SongLook{};
    if (!result.opened) return false;
    if (!result.playable && m_player) {
        QMessageBox::information(m_player, kProgramTitle, QString::fromStdString(result.message));
    }
    if (MidiSynth* source = m_midi.Source()) {
        m_midiChannel = m_engine->CreateSourceChannel(std::make_unique<BorrowedSource>(*source));
        m_midiClock = m_engine->MakeClock(m_midiChannel);
        m_midi.SetClock(m_midiClock.get());
    }
    return true;
}

void Application::PlayMidiSong() {
    m_midi.PlayMidi();
    if (m_midiChannel) m_engine->ChannelPlay(m_midiChannel, false);
}

void Application::PauseMidiSong() {
    if (m_midiChannel) m_engine->ChannelStop(m_midiChannel);
    m_midi.PauseMidi();
}

void Application::CloseMidiSong() {
    m_midi.SetClock(nullptr);
    if (m_midiChannel) m_engine->Free(m_midiChannel);
    m_midiChannel = 0;
    m_midiClock.reset();
    m_midi.CloseDevice();
}

void Application::CreateWindows() {
    auto translate = [this](std::string_view key) { return Tr(std::string(key)); };
    m_userList = new UserList(m_list, translate);
    PlayerServices services;
    services.translate = translate;
    services.isRecording = [] { return false; };
    services.isEditorOpen = [] { return false; };
    services.autoPlay = [this] { return m_settings.AutoPlay; };
    services.verifyFile = [](const std::string& path) { return VerifyFile(path).string(); };
    services.helpUrl = QUrl::fromLocalFile(CX_README_PATH);  // the help page for now
    m_player = new Player(*m_transport, m_list, services);
    m_player->SetPlaylistWindow(m_userList);
    m_player->onExit = [this] { CloseApp(); };

    Lyric::Hooks hooks;
    hooks.Play = [this] { m_transport->Play(); };
    hooks.Pause = [this] { m_transport->Pause(); };
    hooks.Stop = [this] { m_transport->Stop(); };
    hooks.Next = [this] { m_player->Control().Next(); };
    hooks.Previous = [this] { m_player->Control().Previous(); };
    hooks.MediaOpen = [this] { return m_transport->IsOpen(); };
    hooks.SettingsChanged = [this](const KaraokeSettings& s) {
        StoreKaraokeSettings(s, m_settings);
    };
    hooks.Message = [this](const std::string& text) {
        QMessageBox::information(m_lyric, kProgramTitle, QString::fromStdString(text));
    };
    m_lyric = new Lyric(
        KaraokeSettingsFrom(m_settings), [this](const std::string& key) { return Tr(key); }, hooks,
        &m_store);
    m_player->AddCompanion(m_lyric);

    m_cdg = new CdgWindow(&m_cdgPlayer, [this](const std::string& key) { return Tr(key); });
    // The song's audio channel moves with the graphics.
    CdgAudio audio;
    audio.play = [this] { m_engine->ChannelPlay(m_media->CurrentChannel(), false); };
    audio.pause = [this] { m_engine->ChannelStop(m_media->CurrentChannel()); };
    audio.stop = [this] {
        m_engine->ChannelStop(m_media->CurrentChannel());
        m_engine->SetPositionSeconds(m_media->CurrentChannel(), 0);
    };
    audio.seek = [this](double s) { m_engine->SetPositionSeconds(m_media->CurrentChannel(), s); };
    audio.lengthSeconds = [this] { return m_media->LengthSeconds(); };
    m_cdgTransport = std::make_unique<CdgTransport>(m_cdgPlayer, audio);
    m_cdg->SetActions({[this] { m_transport->Play(); }, [this] { m_transport->Pause(); },
                       [this] { m_transport->Stop(); }});
    m_cdg->SetFullscreenMonitor(m_settings.Monitor);
    PlaceWindowsByDefault();
    m_player->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, "player position")));
    m_userList->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, "userlist position")));
    const std::string karaokePlace =
        ReadRegistryText(m_store, kSettingsKey, "karaoke window position");
    if (!karaokePlace.empty()) m_cdg->PlaceFromText(karaokePlace);
}

void Application::PlaceWindowsByDefault() {
    // Used until the user's own places are stored: player at the top left,
    // the playlist under it, the karaoke window beside them.
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const QPoint origin = screen.topLeft() + QPoint(40, 40);
    m_player->move(origin);
    m_player->adjustSize();
    const int below = origin.y() + m_player->frameGeometry().height() + 8;
    m_userList->setGeometry(origin.x(), below, m_player->width(), 320);
    if (ReadRegistryText(m_store, kSettingsKey, "karaoke window position").empty()) {
        m_lyric->move(origin.x() + m_player->frameGeometry().width() + 16, origin.y());
    }
    m_cdg->move(m_lyric->pos());
}

void Application::FormShow(const QString& commandLine) {
    m_player->show();
    if (m_settings.KaraokeWindow) m_lyric->show();
    if (!SingleInstance::NamesFile(commandLine)) {
        if (m_player->PlaylistWindowShown()) m_userList->show();
        m_userList->LoadLastList(QString::fromStdString(AppDataFolder()));
        return;
    }
    const QString suffix = QFileInfo(commandLine).suffix().toLower();
    if (suffix == "m3u" || suffix == "pls") {  // a playlist: load it and play its first song
        m_userList->LoadList(commandLine);
        m_userList->show();
        if (!m_list.Items().empty()) m_player->Control().Play();
        return;
    }
    ChangeSong(commandLine);
}

void Application::ChangeSong(const QString& path) {
    if (m_closingDown) return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "m3u" || suffix == "pls") {
        m_userList->LoadList(path);
        return;
    }
    m_player->ChangeSong(QFileInfo(path).absoluteFilePath());
}

void Application::OnPlaybackTick() {
    const double position = m_media->Tick();
    if (m_media->CdgMode()) {
        if (m_cdg) m_cdg->Tick();
        return;
    }
    if (m_lyric && m_song.Model.HasLyrics()) m_lyric->PlaybackTick(position);
}

void Application::CloseApp() {
    if (m_closingDown) return;
    m_closingDown = true;
    m_tick.stop();
    if (m_media) m_media->StopSong();
    if (m_player) {
        WriteRegistryText(m_store, kSettingsKey, "player position",
                          m_player->PositionText().toStdString());
    }
    if (m_userList) {
        WriteRegistryText(m_store, kSettingsKey, "userlist position",
                          m_userList->PositionText().toStdString());
        m_userList->SaveLastList(QString::fromStdString(AppDataFolder()));
    }
    m_settings.KaraokeWindow = m_lyric && m_lyric->isVisible();
    if (m_media) m_media->CloseSong();
    CloseMidiSong();
    ResetLyricsModel(m_song.Model);
    delete m_cdg;
    delete m_lyric;
    delete m_userList;
    m_settings.Save(m_store);
    m_store.Sync();
    if (m_output) m_output->Stop();
    delete m_player;
    QApplication::quit();
}

}  // namespace cx
