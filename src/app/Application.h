// The running player: owns every subsystem's objects for the whole run and
// wires them together, in the start-up and shut-down order of the program.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/ApplicationFace.h"
#include "app/CommandRouter.h"
#include "app/LibraryFinder.h"
#include "app/Registry.h"
#include "app/ThemeClass.h"
#include "app/Translations.h"
#include "cdg/CdgPlayer.h"
#include "karaoke/KaraokeSong.h"
#include "midi/MidiPlayer.h"
#include "platform/PrivateTemp.h"
#include "platform/QSettingsStore.h"
#include "playback/AudioEngine.h"
#include "playback/AudioOutput.h"
#include "playback/MediaControl.h"
#include "playlist/FlatListModel.h"
#include "recording/ClsVolume.h"
#include "recording/VoiceDesk.h"
#include "requests/GuestCatalog.h"
#include "requests/RequestServer.h"

namespace cx {

class About;
class CdgTransport;
class CdgWindow;
class Editor;
class Equalizer;
class HostWindow;
struct HostHooks;
class Details;
class FileInfoDialog;
class Preferences;
struct PreferenceExtras;
class LoudnessLeveller;
class LibraryWindow;
class SongFinder;
struct RequestsHooks;
class Lyric;
class MidiEq;
class MediaTransport;
class PitchLaneDesk;
class VoiceCalibration;
class Mpris;
class Player;
class SingleInstance;
class UserList;

// How the program is assembled; tests change what they must.
struct ApplicationOptions {
    // Makes the sound output for a device name; SDL's when empty.
    std::function<std::unique_ptr<AudioOutput>(AudioEngine&, const std::string& device)> makeOutput;
    // Decoders are read synchronously: a test renders the engine by hand.
    bool offlineStreams = false;
    // Publish the player on the session bus (when there is one).
    bool publishMpris = true;
    // The open dialog; a file dialog when empty.
    std::function<QStringList(const QString& folder)> chooseFiles;
    // A song on the command line opens once the player's first frame is on
    // screen, so the window shows without waiting for the song.
    bool songAfterFirstFrame = false;
    // Marks a start-up phase as done (the start-up trace); may be empty.
    std::function<void(const char* phase)> startupMark;
    // The sound card's mixer; the ALSA simple mixer when empty.
    std::function<MixerBackend()> mixerBackend;
    // The pitch lane listens to no device: the test pushes the voice.
    bool manualPitchCapture = false;
    // Serve guests' request page from the start on this port (0: any free
    // one) and address; -1 leaves it to the host's switch.
    int requestsPort = -1;
    std::string requestsAddress = "0.0.0.0";
    // Opens the request page's server module; the installed one when empty.
    std::function<std::unique_ptr<RequestServer>(std::string* why)> makeRequestServer;
};

class Application : public QObject {
public:
    // What a second start hands over to make the running player accept every
    // waiting guest's request.
    static constexpr char kAcceptRequestsHandOver[] = "--accept-requests";
    explicit Application(SingleInstance* instance, ApplicationOptions options = {});
    ~Application() override;

    // Creates the windows and shows them (the player's load and show steps).
    // False when the program must end (the message was shown).
    bool Start(const QString& commandLine);

    // The one way every part of the program runs a player command.
    bool Run(Command command) { return m_router.Run(command); }
    // Moves the song to `seconds`: audio, lyrics, graphics and MIDI together.
    void SeekTo(double seconds);
    // A song or playlist named by a second start, a drop or MPRIS.
    void ChangeSong(const QString& path);
    // Shut-down after the current event: never from inside a window's handler.
    void RequestClose();
    bool ClosingDown() const { return m_closingDown; }

    // One 10 ms playback tick (the timer calls it; tests may too).
    void PlaybackTick();

    // For the MPRIS adaptor and the tests.
    CommandRouter& Router() { return m_router; }
    MediaControl& Media() { return *m_media; }
    MediaTransport& Transport() { return *m_transport; }
    AudioEngine& Engine() { return *m_engine; }
    FlatListModel& List() { return m_list; }
    ThemeClass& Settings() { return m_settings; }
    const KaraokeSong& Song() const { return m_song; }
    VoiceDesk& Voice() { return *m_voice; }
    // Every song at one loudness: the measure and the gain of the song playing.
    LoudnessLeveller& Leveller() { return *m_leveller; }
    // The voice panel of the MIDI window; null until that window was shown.
    Equalizer* VoicePanel() const;
    // The open song's first samples went to the sound output.
    bool SongHeard() const;
    // Why the sound output is not the chosen device; empty when it is.
    const std::string& SoundNote() const { return m_soundNote; }
    Player* PlayerWindow() const;
    UserList* PlaylistWindow() const;
    Lyric* LyricWindow() const;
    CdgWindow* GraphicsWindow() const;
    Editor* EditorWindow() const;
    MidiEq* MidiWindow() const;
    // The host's window; null until Host... was first chosen.
    HostWindow* HostDesk() const;
    // The song library window; null until it was first opened.
    LibraryWindow* SongLibraryWindow() const;
    // Singing along; null until the pitch lane was first switched on.
    PitchLaneDesk* PitchLane() const { return m_pitchLane.get(); }
    std::string Tr(const std::string& key) const;

private:
    void LoadSettings();
    bool StartAudio();
    // Plays through device `chosen` (0 the default), or silently with a note.
    void OpenOutput(int chosen);
    std::string Refusal(Command command) const;
    void ShowSoundNote();
    void CreateMedia();
    void CreateWindows();
    void CreatePlayer();
    void CreateLyricWindow();
    void CreateCdgWindow();
    void PlugCommands();
    void PlaceWindowsByDefault();
    void ApplyStoredPlaces();
    void FormShow(const QString& commandLine);
    void CloseApp();
    void CloseAllWindows();
    void ReleaseWindows();
    void SaveWindowPlaces();
    void CopyBackSettings();

    void TogglePitchLane();
    void SetPitchLane(bool on);
    void ApplySingingSettings();
    std::unique_ptr<VoiceCalibration> MakeCalibration(std::string& error);
    std::string VoiceDevice() const;
    MediaHooks Hooks();
    bool LoadSongLyrics(const std::string& path);
    bool OpenMidiSong(const std::string& path);
    void MidiLyricsConverted();
    void ShowMidiStatus(const std::string& path);
    void PlayMidiSong();
    void PauseMidiSong();
    void CloseMidiSong();
    bool LoadCdgSong(const std::string& cdgPath);
    void ClearLyrics();
    void ShowChangedLyrics();
    void Seeked(double seconds);
    void ToggleFullscreen();
    void SetMute(bool muted);
    void ToggleVocalCut();
    void OpenHelp();
    void ShowNotice(const std::string& key, const std::string& path);
    void CommandUnavailable(Command command);
    void RefreshPlayer();
    // The lyrics editor (ApplicationEditor.cpp).
    void OpenEditor();
    void EditorLyricsEdited(int edit, int piece);
    // The song library window (ApplicationLibrary.cpp).
    void OpenLibrary();
    void SaveLibraryPlace();
    // The dialogs (AppDialogs.cpp).
    CodepageChoice SongCodepage() const;
    void OpenDetails();
    void OpenExportVideo();
    void ApplySongLook(const SongLook& look);
    void ReadSongTextsAgain();
    void ShowLyricsStatus();
    bool SaveSongLook(const DisplayBlock& block);
    void OpenPreferences(int tab);
    void ApplyPreferences(const ThemeClass& settings, const PreferenceExtras& extras);
    void OpenFileInfo(const std::string& path);
    std::string FileInfoPath() const;
    void OpenAbout();
    QWidget* MakeVoicePanel(QWidget* parent);
    // The host's show (ApplicationHost.cpp).
    void OpenHost();
    HostHooks MakeHostHooks();
    std::string OpenForShow(const std::string& path);
    HostWindow& MakeHost();
    // Guests' requests (ApplicationRequests.cpp).
    RequestsHooks MakeRequestsHooks();
    void StartRequestsFromOptions();
    void StopRequests();
    // What a second start handed over: a song, or a host's command.
    void HandOver(const QString& commandLine);
    void Mark(const char* phase) const;
    void OpenCommandLine(const QString& commandLine);

    SingleInstance* m_instance;
    ApplicationOptions m_options;
    QSettingsStore m_store;
    ThemeClass m_settings;
    Translator m_translator;
    PrivateTemp m_temp;
    CommandRouter m_router;
    ApplicationFace m_face{*this};  // what the session bus sees and asks

    std::unique_ptr<AudioEngine> m_engine;
    std::unique_ptr<AudioOutput> m_output;
    std::unique_ptr<MediaControl> m_media;
    std::unique_ptr<MediaTransport> m_transport;
    std::unique_ptr<AudioClock> m_songClock;
    std::unique_ptr<VoiceDesk> m_voice;  // recording and voice playback over m_media
    std::unique_ptr<ClsVolume> m_mixer;  // opened with the voice panel
    std::unique_ptr<LoudnessLeveller> m_leveller;

    KaraokeSong m_song;  // the current song's lyrics and look
    std::unique_ptr<PitchLaneDesk> m_pitchLane;
    MidiPlayer m_midi;
    AudioHandle m_midiChannel = 0;
    std::unique_ptr<AudioClock> m_midiClock;

    FlatListModel m_list;
    QPointer<Player> m_player;
    QPointer<UserList> m_userList;
    QPointer<Lyric> m_lyric;
    QPointer<CdgWindow> m_cdg;
    QPointer<Editor> m_editor;          // made when first opened; the player window owns it
    QPointer<MidiEq> m_midiEq;          // the MIDI window
    QPointer<LibraryWindow> m_library;  // made when first opened; the player window owns it
    QPointer<Equalizer> m_voicePanel;   // in the MIDI window once it was shown
    CdgPlayer m_cdgPlayer;
    std::unique_ptr<CdgTransport> m_cdgTransport;
    std::unique_ptr<Mpris> m_mpris;
    QPointer<Details> m_details;
    QPointer<Preferences> m_preferences;
    QPointer<FileInfoDialog> m_fileInfo;
    QPointer<About> m_about;
    QPointer<HostWindow> m_host;              // made when first opened
    std::unique_ptr<LibraryFinder> m_finder;  // the host's search over the song library
    std::unique_ptr<GuestCatalog> m_catalog;  // the request page's, made when first served

    bool m_silent = false;     // no sound device opened: Play is refused
    std::string m_soundNote;   // what the singer is told about the sound output
    QString m_shownSoundNote;  // on the player's status line

    QTimer m_tick;  // the 10 ms playback tick
    bool m_closingDown = false;
    bool m_started = false;
};

}  // namespace cx
