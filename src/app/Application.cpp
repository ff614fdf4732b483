#include "app/Application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "app/ErrorReport.h"
#include "app/FirstFrame.h"
#include "app/HelpPage.h"
#include "app/Mpris.h"
#include "app/PlaylistLookSettings.h"
#include "app/SingleInstance.h"
#include "app/SoundOutput.h"
#include "cdg/CdgTransport.h"
#include "cdg/CdgWindow.h"
#include "editor/gui/Editor.h"
#include "host/gui/HostWindow.h"
#include "karaoke/gui/Lyric.h"
#include "karaoke/gui/ThemeSettings.h"
#include "loudness/LoudnessLeveller.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/Mp3Class.h"
#include "midi/MidiInfo.h"
#include "midi/SoundFonts.h"
#include "midi/gui/MidiEq.h"
#include "platform/QtThemeEnvironment.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"
#include "playlist/PlaylistFile.h"
#include "playlist/gui/ItemTags.h"
#include "playlist/gui/UserList.h"
#include "recording/RecordingSettings.h"
#include "recording/gui/Equalizer.h"
#include "recording/gui/VoiceMessages.h"
#include "scoring/PitchLaneDesk.h"

namespace cx {
namespace {

constexpr int kTickMs = 10;
constexpr int kOutputRate = 44100;
constexpr int kOptionsTab = 3;  // Options opens the preferences at the playback tab
// A player window that is never painted (minimised at start) still gets its song.
constexpr int kFirstFrameWaitMs = 1000;

Codepage LyricsCodepage(const Translator& tr) {
    return tr.TextCodepage();
}

SongFileInfo ReadSongInfo(const std::string& path, Codepage cp) {
    SongFileInfo info;
    MP3Class mp3(cp);
    mp3.SetMidiInspector(MidiInspectorFor(cp));
    mp3.SetFilename(path);
    if (mp3.ReadFile()) mp3.ReadTag();
    const MP3Info& i = mp3.Info();
    // A file named as MIDI goes to the MIDI reader even when its bytes are
    // not, so the user hears that reader's reason.
    const std::string ext =
        QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
    info.isMidi =
        i.format == "MIDI" || ext == "mid" || ext == "midi" || ext == "kar" || ext == "rmi";
    info.title = i.Title;
    info.artist = i.Artist;
    info.bitrateKbps = i.Bitrate;
    info.sampleRate = static_cast<int>(i.samplerate);
    info.lengthSeconds = i.Length;
    return info;
}

// The reason alone: the message already names the file.
std::string OpenFailureReason(const std::string& error) {
    const auto colon = error.rfind(": ");
    return colon == std::string::npos ? error : error.substr(colon + 2);
}

// A MIDI song's own title, colours and pictures, with its words-track title
// and artist for the title page when the block names none.
SongLook ReadMidiSongLook(const std::string& path, const SongFileInfo& info, Codepage cp) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) {
        in.seekg(0, std::ios::end);
        const auto size = static_cast<std::uintmax_t>(std::max<std::streamoff>(0, in.tellg()));
        if (size <= kMaxSongFileBytes) {
            bytes.resize(static_cast<std::size_t>(size));
            in.seekg(0);
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    DisplayBlock block;
    ReadDisplayBlock(bytes, QFileInfo(QString::fromStdString(path)).absolutePath().toStdString(),
                     cp, block);
    SongLook look = SongLookFrom(block);
    look.MediaPath = path;
    look.TagTitle = info.title;
    look.TagArtist = info.artist;
    return look;
}

}  // namespace

Application::Application(SingleInstance* instance, ApplicationOptions options)
    : m_instance(instance), m_options(std::move(options)) {
    m_tick.setInterval(kTickMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &Application::PlaybackTick);
}

Application::~Application() {
    if (m_started && !m_closingDown) CloseApp();
    ReleaseWindows();
}

Player* Application::PlayerWindow() const {
    return m_player;
}
UserList* Application::PlaylistWindow() const {
    return m_userList;
}
Lyric* Application::LyricWindow() const {
    return m_lyric;
}
MidiEq* Application::MidiWindow() const {
    return m_midiEq;
}
CdgWindow* Application::GraphicsWindow() const {
    return m_cdg;
}

std::string Application::Tr(const std::string& key) const {
    return m_translator.Translate(key);
}

void Application::Mark(const char* phase) const {
    if (m_options.startupMark) m_options.startupMark(phase);
}

bool Application::Start(const QString& commandLine) {
    const auto mark = [this](const char* phase) { Mark(phase); };
    LoadSettings();
    mark("settings");
    if (!StartAudio()) return false;
    mark("sound output");
    CreateMedia();
    CreateWindows();
    mark("windows");
    PlugCommands();
    if (m_instance) {
        connect(m_instance, &SingleInstance::FileReceived, this, [this](const QString& file) {
            std::printf("cantabilex: received %s\n", file.toLocal8Bit().constData());
            std::fflush(stdout);
            HandOver(file);
        });
    }
    if (m_options.publishMpris) m_mpris = Mpris::Publish(m_router, m_face, m_face);
    mark("session bus");
    m_started = true;
    FormShow(commandLine);
    mark("windows shown");
    if (m_options.requestsPort >= 0) StartRequestsFromOptions();
    return true;
}

void Application::LoadSettings() {
    m_settings = ThemeClass::Load(m_store, QtThemeEnvironment());
    m_translator.SelectLanguage(m_store);
}

bool Application::StartAudio() {
    const std::string engineName = ReadRegistryText(m_store, kSettingsKey, "pitch engine");
    m_engine = std::make_unique<AudioEngine>(kOutputRate, engineName == "rubberband"
                                                              ? PitchEngine::RubberBand
                                                              : PitchEngine::SoundTouch);
    OpenOutput(m_settings.AudioDevice);
    return true;
}

void Application::OpenOutput(int chosen) {
    if (m_output) m_output->Stop();
    m_output.reset();
    // Device 0 is the system's default; 1.. name the listed devices. The
    // list is asked for only then: it costs the start a sound-system start.
    std::string error;
    const std::vector<std::string> devices =
        chosen > 0 ? SdlOutput::ListDevices(false, error) : std::vector<std::string>();
    SoundOutputChoice choice = OpenSoundOutput(
        *m_engine, chosen, devices, m_options.makeOutput ? m_options.makeOutput : SdlOutputMaker());
    m_output = std::move(choice.output);
    m_silent = choice.silent;
    m_soundNote = choice.noteKey.empty() ? std::string() : Tr(choice.noteKey);
    if (!m_soundNote.empty() && !choice.detail.empty()) m_soundNote += " (" + choice.detail + ")";
    if (m_player) {
        m_player->ApplyAvailability();
        ShowSoundNote();
    }
}

void Application::ShowSoundNote() {
    // Not modal: the singer can still reach Preferences to choose a device.
    if (!m_soundNote.empty()) ShowNotice(m_soundNote, std::string());
    if (m_soundNote.empty() && m_player->StatusText() != m_shownSoundNote) return;
    m_player->ShowStatus(QString::fromStdString(m_soundNote), {});
    m_shownSoundNote = QString::fromStdString(m_soundNote);
}

void Application::CreateMedia() {
    MediaSettings media;
    media.customBass = m_settings.CustomBass;
    media.customTreble = m_settings.CustomTreble;
    media.dspOut = m_settings.DspOut();
    media.codepage = LyricsCodepage(m_translator);
    m_media = std::make_unique<MediaControl>(*m_engine, Hooks(), media, m_options.offlineStreams);
    m_transport = std::make_unique<MediaTransport>(*m_media);
    m_leveller = std::make_unique<LoudnessLeveller>(m_engine->SongGain());
    m_leveller->ApplySettings(m_settings.LoudnessNormalise, m_settings.LoudnessTargetLufs);
    m_voice = std::make_unique<VoiceDesk>(
        *m_media, RecordingSettingsFrom(m_settings), m_temp.Folder(),
        VoiceMessageHooks([this] { return static_cast<QWidget*>(m_player.data()); },
                          [this](const std::string& key) { return Tr(key); },
                          [this] {
                              if (m_lyric)
                                  m_lyric->SetRecording(m_voice->IsRecording() || m_voice->Armed());
                              if (m_lyric) m_lyric->SetVoice(m_voice->VoiceOn());
                              RefreshPlayer();
                          }));
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
    h.clearLyrics = [this] { ClearLyrics(); };
    h.changeLyrics = [this] {
        ShowChangedLyrics();
        if (m_midiEq) m_midiEq->SongChanged();
    };
    h.resetCurrentPiece = [this] { m_song.Model.CurrentPiece = 0; };
    h.resetKokTiming = [this] { m_song.Model.KokTiming = false; };
    h.putLabels = [this](const std::string& title, const std::string& artist) {
        if (m_player)
            m_player->PutLabels(QString::fromStdString(title), QString::fromStdString(artist));
    };
    h.playbackTimers = [this](bool running) {
        if (!running) return m_tick.stop();
        m_leveller->SongStarted(m_media->SongFilePath());
        m_songClock = m_media->MidiMode() ? nullptr : m_media->MakeClock();
        if (m_media->CdgMode() && m_cdg) m_cdg->SetClock(m_songClock.get());
        m_tick.start();
    };
    h.buttonLights = [this](int) { RefreshPlayer(); };
    h.loadCdg = [this](const std::string& cdgPath) { return LoadCdgSong(cdgPath); };
    h.playCdg = [this] { m_cdgTransport->PlaySong(); };
    h.pauseCdg = [this] { m_cdgTransport->PauseSong(); };
    h.stopCdg = [this] {
        if (m_cdgPlayer.CdgMode()) m_cdgTransport->StopSong();
        if (m_cdg) m_cdg->SetClock(nullptr);
    };
    h.moveCdg = [this](double fraction) { m_cdgTransport->Seek(fraction); };
    h.seeked = [this](double seconds) { Seeked(seconds); };
    h.notice = [this](const std::string& key, const std::string& path) { ShowNotice(key, path); };
    h.openMidi = [this](const std::string& path) { return OpenMidiSong(path); };
    h.midiOpenError = [this] { return m_midi.LastError(); };
    h.playMidi = [this](bool) { PlayMidiSong(); };
    h.pauseMidi = [this] { PauseMidiSong(); };
    h.closeMidi = [this] { CloseMidiSong(); };
    h.setMidiPosition = [this](double fraction) {
        m_midi.SetMidiPosition(fraction * m_media->LengthSeconds());
    };
    h.midiTime = [this] { return m_midi.MidiTime(); };
    h.isRecording = [this] { return m_voice && m_voice->IsRecording(); };
    h.recordingArmed = [this] { return m_voice && m_voice->Armed(); };
    h.startRecording = [this] { m_voice->StartRecording(); };
    h.stopRecording = [this] { m_voice->StopRecording(); };
    h.resetThumbs = [this] {
        if (m_midiEq) m_midiEq->ResetThumbs();
    };
    h.resetRemover = [this] {
        if (m_midiEq) m_midiEq->ResetRemover();
    };
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
    SetTitlePageText(song, Tr("NoLyricsInSong"));
    m_song.Model = std::move(song.Model);
    m_song.Look = std::move(song.Look);
    m_song.Source = std::move(song.Source);
    m_song.Problems = std::move(song.Problems);
    m_song.Untimed = std::move(song.Untimed);
    m_song.Notes = std::move(song.Notes);
    ShowLyricsStatus();
    return ok;
}

bool Application::OpenMidiSong(const std::string& path) {
    CloseMidiSong();
    const auto ports =
        ListSoundFonts(ReadRegistryText(m_store, kSettingsKey, "soundfont"), SoundFontFolders());
    const SoundFontPort* port = SelectMidiDevice(ports, m_settings.MidiDevice);
    m_leveller->SetSoundFont(port ? port->Path.string() : std::string());
    MidiLyricsOptions options;
    options.codepage = LyricsCodepage(m_translator);
    options.converterCommand = ReadRegistryText(m_store, kSettingsKey, "midi converter");
    options.tempFolder = m_temp.Folder();
    options.converterFinished = [this] {
        QMetaObject::invokeMethod(
            this, [this] { MidiLyricsConverted(); }, Qt::QueuedConnection);
    };
    SynthOptions synth;
    synth.sampleRate = kOutputRate;
    const MidiOpenResult result = m_midi.OpenMusic(path, port ? port->Path.string() : std::string(),
                                                   options, m_song.Model, synth);
    m_song.Look = ReadMidiSongLook(path, m_media->SongInfo(), options.codepage);
    m_song.Problems.clear();
    m_song.Untimed.clear();
    SetTitlePageText(m_song, Tr("NoLyricsInSong"));
    ShowLyricsStatus();
    if (!result.opened) return false;
    if (!result.playable && m_player) {
        ShowNotice(result.message, std::string());
    }
    ShowMidiStatus(path);
    if (MidiSynth* source = m_midi.Source()) {
        m_midiChannel = m_engine->CreateSourceChannel(std::make_unique<BorrowedSource>(*source));
        m_midiClock = m_engine->MakeClock(m_midiChannel);
        m_midi.SetClock(m_midiClock.get());
        m_engine->ChannelSetAttributes(m_midiChannel, -1,
                                       static_cast<int>(m_media->Settings().volume * 100), -101);
    }
    return true;
}

void Application::MidiLyricsConverted() {
    if (m_midi.TakeConvertedLyrics(m_song.Model)) ShowChangedLyrics();
    ShowMidiStatus(m_midi.SongPath().string());
}

void Application::ShowMidiStatus(const std::string& path) {
    if (!m_player) return;
    const std::string key = MidiStatusKey(m_midi.Converting(), !m_midi.Info().Warnings.empty());
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    m_player->ShowStatus(key.empty() ? QString() : QString::fromStdString(Tr(key)).arg(name), path);
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

bool Application::LoadCdgSong(const std::string& cdgPath) {
    std::string error;
    if (!m_cdg || !m_cdg->LoadCDG(cdgPath, error)) return false;
    m_songClock = m_media->MakeClock();
    m_cdg->SetClock(m_songClock.get());
    // No tune to sing against: the last song's score is not this turn's.
    if (m_pitchLane) m_pitchLane->OpenSong({}, {});
    if (m_lyric) m_lyric->Display().ShowScore(std::nullopt);
    // The graphics take the karaoke window's place.
    if (m_lyric) m_lyric->hide();
    m_cdg->show();
    return true;
}

void Application::ClearLyrics() {
    ResetLyricsModel(m_song.Model);
    m_song.Problems.clear();
    m_song.Untimed.clear();
    m_song.Notes = {};
    ShowLyricsStatus();
    if (m_lyric) m_lyric->ClearLyrics();
    // The song sung along is over: its score shows until the next one's words.
    auto score = m_pitchLane ? m_pitchLane->FinishSong() : std::nullopt;
    if (score && m_lyric) m_lyric->Display().ShowScore(std::move(score));
}

void Application::ShowChangedLyrics() {
    if (!m_lyric) return;
    // A song with words brings the karaoke window back after a CD+G song.
    if (m_cdg && !m_media->CdgMode()) m_cdg->hide();
    if (m_settings.KaraokeWindow && !m_lyric->isVisible() && m_player && m_player->isVisible())
        m_lyric->show();
    m_lyric->ChangeLyrics(&m_song.Model, m_song.Look);
    // A lane left on at the last exit comes back with the first song.
    if (m_settings.PitchLane && !m_pitchLane)
        SetPitchLane(true);  // opens the song too
    else if (m_pitchLane)
        m_pitchLane->OpenSong(m_media->CurrentPath(), m_song.Notes);
}

void Application::Seeked(double seconds) {
    if (m_media->CdgMode()) {
        if (m_cdg) m_cdg->Tick();
        if (m_mpris) m_mpris->AnnounceSeek();
        return;
    }
    if (m_lyric && m_song.Model.HasLyrics()) m_lyric->Seeked(seconds);
    if (m_player) m_player->OnTick();
    if (m_mpris) m_mpris->AnnounceSeek();
}

void Application::SeekTo(double seconds) {
    const double length = m_transport->Length();
    if (length <= 0) return;
    m_transport->Seek(std::clamp(seconds / length, 0.0, 1.0));
}

void Application::CreateWindows() {
    CreatePlayer();
    Mark("player window");
    CreateLyricWindow();
    Mark("karaoke window");
    CreateCdgWindow();
    Mark("CD+G window");
    PlaceWindowsByDefault();
    ApplyStoredPlaces();
    m_midiEq =
        new MidiEq(*m_media, m_midi,
                   {[this](const std::string& key) { return Tr(key); },
                    [this] { return m_song.Model.HasLyrics(); }, LyricsCodepage(m_translator),
                    [this](QWidget* parent) { return MakeVoicePanel(parent); }});
    m_midiEq->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, "eq position")));
    m_player->AddCompanion(m_midiEq);
}

bool Application::SongHeard() const {
    if (!m_media || !m_engine) return false;
    const AudioHandle channel = m_media->MidiMode() ? m_midiChannel : m_media->CurrentChannel();
    return channel != 0 && m_engine->PositionSeconds(channel) > 0;
}

Equalizer* Application::VoicePanel() const {
    return m_voicePanel.data();
}

QWidget* Application::MakeVoicePanel(QWidget* parent) {
    m_mixer = std::make_unique<ClsVolume>(m_options.mixerBackend ? m_options.mixerBackend()
                                                                 : AlsaMixerBackend());
    m_mixer->EnumMixer();
    m_mixer->SetMixerSelect(m_settings.MixerDevice);
    m_voicePanel = new Equalizer(
        *m_voice, *m_media, *m_mixer, [this](const std::string& key) { return Tr(key); }, parent);
    return m_voicePanel;
}

void Application::CreatePlayer() {
    auto translate = [this](std::string_view key) { return Tr(std::string(key)); };
    const TagReaderFn tags = ItemTagReader(LyricsCodepage(m_translator));
    m_userList = new UserList(m_list, translate, tags);
    m_userList->SetMusicPath(QString::fromStdString(m_settings.MusicPath));
    m_userList->onMusicPathChanged = [this](const QString& folder) {
        m_settings.MusicPath = folder.toStdString();
    };
    m_userList->SetLook(PlaylistLookFrom(m_settings));
    m_userList->onLookChanged = [this](const FlatListLook& look) {
        StorePlaylistLook(look, m_settings);
    };
    m_userList->onFileInfo = [this](int index) { OpenFileInfo(m_list.ListPath(index)); };
    PlayerServices services;
    services.translate = translate;
    services.readTags = tags;
    services.isRecording = [this] { return m_voice && m_voice->IsRecording(); };
    services.isMicrophoneOn = [this] { return m_voice && m_voice->MicrophoneOn(); };
    services.isVoiceOn = [this] { return m_voice && m_voice->VoiceOn(); };
    services.isEditorOpen = [this] { return m_editor && m_editor->isVisible(); };
    services.autoPlay = [this] { return m_settings.AutoPlay; };
    services.helpUrl = HelpPage(QApplication::applicationDirPath());
    services.commandAvailable = [this](Command c) { return m_router.Available(c); };
    services.unavailableReason = [this](Command c) {
        return QString::fromStdString(Tr(m_router.UnavailableKey(c)));
    };
    services.chooseFiles = m_options.chooseFiles;
    services.lastOpenError = [this] { return OpenFailureReason(m_media->LastError()); };
    services.songEnded = [this] { return m_host && m_host->TakeSongEnd(); };
    m_player = new Player(*m_transport, m_list, services);
    m_player->SetPlaylistWindow(m_userList);
    m_player->onCommand = [this](Command command) { m_router.Act(command); };
    m_player->onExit = [this] { RequestClose(); };
    m_player->SetOnTop(m_settings.OnTop);
    m_player->SetScrollTitle(m_settings.Scroll);
    m_router.SetEntry([this](Command command) {
        const bool done = m_player && m_player->Control().Execute(command);
        RefreshPlayer();
        return done;
    });
}

void Application::CreateLyricWindow() {
    Lyric::Hooks hooks;
    hooks.Play = [this] { Run(Command::Play); };
    hooks.Pause = [this] { Run(Command::Pause); };
    hooks.Stop = [this] { Run(Command::Stop); };
    hooks.Next = [this] { Run(Command::Next); };
    hooks.Previous = [this] { Run(Command::Previous); };
    hooks.Options = [this] { Run(Command::Preferences); };
    hooks.Details = [this] { Run(Command::Details); };
    hooks.RecordKey = [this](int key) {
        Run(key == Qt::Key_R ? Command::Record : Command::YourVoice);
    };
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
    m_player->AddCompanion(m_lyric, [this] { return !m_media->CdgMode(); });
}

void Application::CreateCdgWindow() {
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
    m_cdg->SetActions({[this] { Run(Command::Play); }, [this] { Run(Command::Pause); },
                       [this] { Run(Command::Stop); }});
    m_cdg->SetFullscreenMonitor(m_settings.Monitor);
    // Hidden with the player in the notification area, back with it while a CD+G song is on.
    m_player->AddCompanion(m_cdg, [this] { return m_media->CdgMode(); });
}

void Application::PlugCommands() {
    m_router.SetOnUnavailable([this](Command c) { CommandUnavailable(c); });
    m_router.SetRefusal([this](Command c) { return Refusal(c); });
    m_router.SetErrorReport([this](const std::string& text) { ShowErrorReport(m_player, text); });
    m_router.Plug(Command::Mute, [this] { SetMute(m_player->Control().Muted()); });
    m_router.Plug(Command::FileOpen, [this] { m_player->OpenSongDialog(); });
    m_router.Plug(Command::UserList, [this] { m_player->ToggleUserList(); });
    m_router.Plug(Command::Fullscreen, [this] { ToggleFullscreen(); });
    m_router.Plug(Command::OnTop, [this] {
        m_player->SetOnTop(!m_player->OnTop());
        m_settings.OnTop = m_player->OnTop();
    });
    m_router.Plug(Command::About, [this] { OpenAbout(); });
    m_router.Plug(Command::Details, [this] { OpenDetails(); });
    m_router.Plug(Command::FileInfo, [this] {
        if (m_media->MidiMode())
            m_midiEq->ShowInfo();
        else
            OpenFileInfo(FileInfoPath());
    });
    m_router.Plug(Command::Preferences, [this] { OpenPreferences(0); });
    m_router.Plug(Command::Options, [this] { OpenPreferences(kOptionsTab); });
    m_router.Plug(Command::Help, [this] { OpenHelp(); });
    m_router.Plug(Command::Keyboard, [this] { m_player->ShowKeyboardHelp(); });
    m_router.Plug(Command::Exit, [this] { RequestClose(); });
    m_router.Plug(Command::Editor, [this] { OpenEditor(); });
    m_router.Plug(Command::Library, [this] { OpenLibrary(); });
    m_router.Plug(Command::SwitchMicrophone, [this] { m_voice->SwitchMicrophone(); });
    m_router.Plug(Command::Record, [this] { m_voice->Record(); });
    m_router.Plug(Command::YourVoice, [this] { m_voice->YourVoice(); });
    m_router.Plug(Command::Controls, [this] {
        if (m_midiEq->Toggle() != m_player->MidiWindowShown()) m_player->ToggleMidiWindowShown();
    });
    m_router.Plug(Command::Mixer, [this] { m_midiEq->OpenVoicePanel(); });
    m_router.Plug(Command::VocalCut, [this] { ToggleVocalCut(); });
    m_router.Plug(Command::ExportVideo, [this] { OpenExportVideo(); });
    m_router.Plug(Command::Host, [this] { OpenHost(); });
    m_router.Plug(Command::PitchLane, [this] { TogglePitchLane(); });
    if (m_player) m_player->ApplyAvailability();
}

std::string Application::Refusal(Command command) const {
    if (command == Command::Play && m_silent) return "NoSoundDevice";
    if (command == Command::ExportVideo && !m_transport->IsOpen()) return "VideoNeedsSong";
    return m_player ? m_player->Control().RefusalKey(command) : std::string();
}

void Application::ToggleVocalCut() {
    m_media->ToggleVocalRemover();
    // The sound panel's remover button shows the state.
    if (m_midiEq) m_midiEq->ResetRemover();
}

void Application::SetMute(bool muted) {
    m_engine->SetMasterMute(muted);
}

void Application::ToggleFullscreen() {
    if (m_media->CdgMode() && m_cdg) {
        m_cdg->ChangeFulloScreen();
        return;
    }
    if (!m_lyric) return;
    if (!m_lyric->isVisible()) m_lyric->show();
    m_lyric->ChangeScreen2();
}

void Application::OpenHelp() {
    const QUrl page = HelpPage(QApplication::applicationDirPath());
    if (page.isValid()) QDesktopServices::openUrl(page);
}

void Application::ShowNotice(const std::string& key, const std::string& path) {
    std::string text = Tr(key);
    if (text.empty()) text = key;
    QString shown = QString::fromStdString(text);
    if (shown.contains(QLatin1String("%1"))) shown = shown.arg(QString::fromStdString(path));
    std::fprintf(stderr, "cantabilex: %s\n", shown.toLocal8Bit().constData());
    // Not modal: the song plays on while the user reads it.
    auto* box =
        new QMessageBox(QMessageBox::Warning, kProgramTitle, shown, QMessageBox::Ok, m_player);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void Application::CommandUnavailable(Command command) {
    // A key or an MPRIS call reached a window that is not there yet.
    (void)command;
    ShowNotice(m_router.UnavailableKey(command), std::string());
}

void Application::RefreshPlayer() {
    if (m_player) m_player->RefreshSong();
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
    if (ReadRegistryText(m_store, kSettingsKey, kKaraokePositionValue).empty()) {
        m_lyric->move(origin.x() + m_player->frameGeometry().width() + 16, origin.y());
    }
    m_cdg->setGeometry(m_lyric->geometry());
}

void Application::ApplyStoredPlaces() {
    m_player->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, "player position")));
    m_player->ApplyVolume(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, kPlayerVolumeKey)));
    m_userList->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, "userlist position")));
    const std::string karaokePlace = ReadRegistryText(m_store, kSettingsKey, kKaraokePositionValue);
    if (!karaokePlace.empty()) m_cdg->PlaceFromText(karaokePlace);
}

void Application::FormShow(const QString& commandLine) {
    m_player->show();
    Mark("player shown");
    ShowSoundNote();
    if (m_settings.KaraokeWindow) m_lyric->show();
    Mark("karaoke shown");
    const bool namesFile = SingleInstance::NamesFile(commandLine);
    // A song named at start joins the kept list, as one handed to a running
    // player does; only a playlist named at start takes the list's place.
    if (!namesFile || !IsPlaylistFileName(commandLine.trimmed().toStdString())) {
        if (m_player->PlaylistWindowShown()) m_userList->show();
        if (m_player->MidiWindowShown() && m_midiEq) m_midiEq->Open();
        m_userList->LoadLastList(QString::fromStdString(AppDataFolder()));
    }
    if (!namesFile) return;
    if (m_options.songAfterFirstFrame) {
        FirstFrame::Then(
            m_player, [this, commandLine] { OpenCommandLine(commandLine); }, kFirstFrameWaitMs);
        return;
    }
    OpenCommandLine(commandLine);
}

void Application::OpenCommandLine(const QString& commandLine) {
    if (m_closingDown || !m_player) return;
    Mark("opening song");
    if (IsPlaylistFileName(commandLine.toStdString())) {  // load it and play its first song
        m_userList->LoadList(commandLine);
        m_userList->show();
        if (!m_list.Items().empty()) m_player->Control().Play();
        return;
    }
    ChangeSong(commandLine);
    Mark("song opened");
}

void Application::ChangeSong(const QString& path) {
    if (m_closingDown || !m_player) return;
    if (IsPlaylistFileName(path.toStdString())) {
        m_userList->LoadList(path);
        return;
    }
    m_player->ChangeSong(QFileInfo(path).absoluteFilePath());
}

void Application::PlaybackTick() {
    if (!m_media) return;
    const double position = m_media->Tick();
    m_leveller->Poll(position);
    if (m_media->CdgMode()) {
        if (m_cdg) m_cdg->Tick();
        return;
    }
    if (m_pitchLane && m_lyric) m_lyric->Display().SetPitchLane(m_pitchLane->Tick(position));
    if (m_lyric && m_song.Model.HasLyrics()) m_lyric->PlaybackTick(position);
}

// The capture device the singer chose for recording (empty: the default):
// the pitch lane and the calibration listen to the same microphone.
std::string Application::VoiceDevice() const {
    ThemeClass chosen = m_settings;
    if (m_voicePanel) chosen.RecordDevice = m_voicePanel->RecordDevice();
    return RecordingSettingsFrom(chosen).device;
}

void Application::TogglePitchLane() {
    SetPitchLane(!(m_pitchLane && m_pitchLane->On()));
}

void Application::SetPitchLane(bool on) {
    if (!m_pitchLane) {
        m_pitchLane = std::make_unique<PitchLaneDesk>(m_options.manualPitchCapture);
        m_pitchLane->SetTranslator([this](const std::string& key) { return Tr(key); });
    }
    m_pitchLane->SetDifficulty(DifficultyFromSetting(m_settings.ScoreDifficulty));
    m_pitchLane->SetCalibration(m_settings.VoiceLatencyMs / 1000.0);
    std::string error;
    if (!m_pitchLane->SetOn(on, error, on ? VoiceDevice() : std::string()))
        ShowNotice("PitchLaneCannotListen", error);
    m_pitchLane->OpenSong(m_media ? m_media->CurrentPath() : std::string(), m_song.Notes);
    m_settings.PitchLane = m_pitchLane->On();
    if (m_lyric)
        m_lyric->Display().SetPitchLane(
            m_pitchLane->Tick(m_media ? m_media->PlaybackPosition() : 0));
    if (m_lyric) m_lyric->update();
}

void Application::RequestClose() {
    if (m_closingDown) return;
    // Queued: the menu, button or signal that asked must return before the
    // windows it belongs to are deleted.
    QMetaObject::invokeMethod(this, &Application::CloseApp, Qt::QueuedConnection);
}

void Application::SaveWindowPlaces() {
    if (m_player) {
        WriteRegistryText(m_store, kSettingsKey, "player position",
                          m_player->PositionText().toStdString());
        WriteRegistryText(m_store, kSettingsKey, kPlayerVolumeKey,
                          m_player->VolumeText().toStdString());
    }
    if (m_midiEq) {
        WriteRegistryText(m_store, kSettingsKey, "eq position",
                          m_midiEq->PositionText().toStdString());
    }
    if (m_userList) {
        WriteRegistryText(m_store, kSettingsKey, "userlist position",
                          m_userList->PositionText().toStdString());
    }
    if (m_editor) {
        WriteRegistryText(m_store, kSettingsKey, kEditorPositionValue,
                          m_editor->PositionText().toStdString());
    }
    SaveLibraryPlace();
    // The CD+G window stands in the karaoke window's place while it is on.
    if (m_cdg && m_cdg->isVisible() && !(m_lyric && m_lyric->isVisible())) {
        WriteRegistryText(m_store, kSettingsKey, kKaraokePositionValue, m_cdg->PlacementText());
    } else if (m_lyric) {
        m_lyric->WritePosition();
    }
}

void Application::CopyBackSettings() {
    // What the windows changed during the run goes back before it is saved.
    if (m_media) {
        m_settings.CustomBass = m_media->Settings().customBass;
        m_settings.CustomTreble = m_media->Settings().customTreble;
        m_settings.SetDspOut(m_media->VoiceEffects().ToDspOut());
    }
    if (m_userList) {
        StorePlaylistLook(m_userList->Look(), m_settings);
        m_settings.MusicPath = m_userList->MusicPath().toStdString();
    }
    if (m_player) m_settings.OnTop = m_player->OnTop();
    if (m_voice) m_settings.VoiceVolume = static_cast<std::int16_t>(m_voice->Settings().voiceThumb);
    if (m_voicePanel) m_settings.RecordDevice = m_voicePanel->RecordDevice();
    if (m_lyric) StoreKaraokeSettings(m_lyric->Display().Settings(), m_settings);
}

void Application::CloseApp() {
    if (m_closingDown) return;
    m_closingDown = true;
    m_mpris.reset();
    StopRequests();  // no guest waits on a closing player
    // The CD+G window stands in for the karaoke window while its song is on.
    const bool karaokeShown = m_lyric && (m_lyric->isVisible() || (m_media && m_media->CdgMode()));
    SaveWindowPlaces();
    m_tick.stop();
    if (m_media) m_media->StopSong();
    m_settings.KaraokeWindow = karaokeShown;
    if (m_userList) m_userList->SaveLastList(QString::fromStdString(AppDataFolder()));
    if (m_media) m_media->CloseSong();
    CloseMidiSong();
    ResetLyricsModel(m_song.Model);
    CopyBackSettings();
    m_settings.Save(m_store);
    m_store.Sync();
    if (m_output) m_output->Stop();
    // A dialog or message box may be open with the handler that opened it
    // still on the stack (a key press, a menu): end its loop and hide every
    // window, but delete them only once every handler has returned.
    CloseAllWindows();
    QApplication::quit();
}

void Application::CloseAllWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isModal())
            dialog->reject();
        window->hide();
    }
}

void Application::ReleaseWindows() {
    delete m_host;
    delete m_midiEq;
    delete m_cdg;
    delete m_lyric;
    delete m_userList;
    delete m_player;
}

}  // namespace cx
