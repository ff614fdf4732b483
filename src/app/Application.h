// The running player: owns every subsystem's objects for the whole run and
// wires them together, in the start-up and shut-down order of the program.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

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

namespace cx {

class CdgTransport;
class CdgWindow;
class Lyric;
class MediaTransport;
class Player;
class SingleInstance;
class UserList;

class Application : public QObject {
public:
    explicit Application(SingleInstance& instance);
    ~Application() override;

    // Creates the windows and shows them (the player's load and show steps).
    // False when the program must end (the message was shown).
    bool Start(const QString& commandLine);

private:
    void LoadSettings();
    bool StartAudio();
    void CreateMedia();
    void CreateWindows();
    void PlaceWindowsByDefault();
    void FormShow(const QString& commandLine);
    void ChangeSong(const QString& path);
    void OnPlaybackTick();
    void CloseApp();

    MediaHooks Hooks();
    bool LoadSongLyrics(const std::string& path);
    bool OpenMidiSong(const std::string& path);
    void PlayMidiSong();
    void PauseMidiSong();
    void CloseMidiSong();
    std::string Tr(const std::string& key) const;

    SingleInstance& m_instance;
    QSettingsStore m_store;
    ThemeClass m_settings;
    Translator m_translator;
    PrivateTemp m_temp;

    std::unique_ptr<AudioEngine> m_engine;
    std::unique_ptr<AudioOutput> m_output;
    std::unique_ptr<MediaControl> m_media;
    std::unique_ptr<MediaTransport> m_transport;
    std::unique_ptr<AudioClock> m_songClock;

    KaraokeSong m_song;  // the current song's lyrics and look
    MidiPlayer m_midi;
    AudioHandle m_midiChannel = 0;
    std::unique_ptr<AudioClock> m_midiClock;

    FlatListModel m_list;
    QPointer<Player> m_player;
    QPointer<UserList> m_userList;
    QPointer<Lyric> m_lyric;
    QPointer<CdgWindow> m_cdg;
    CdgPlayer m_cdgPlayer;
    std::unique_ptr<CdgTransport> m_cdgTransport;

    QTimer m_tick;  // the 10 ms playback tick
    bool m_closingDown = false;
};

}  // namespace cx
