// The player window: transport buttons, position and volume sliders, title
// and artist, technical labels, time display and lamps; keys, menu, song
// number entry, the 500 ms watch, the notification area and dropped files.
// Its behaviour lives in PlayerControl; this class shows it.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "playback/player/PlayerControl.h"
#include "playback/player/PlayerPosition.h"
#include "playback/player/Transport.h"
#include "playlist/DefaultCaptions.h"
#include "playlist/gui/ItemTags.h"

class QMenu;
class QSystemTrayIcon;

namespace cx {

class UserList;

// What the player asks of the rest of the program; every member may be left empty.
struct PlayerServices {
    TranslateFn translate;
    std::function<bool()> isRecording;
    // The microphone switch and the recorded voice beside the song (buttons 11 and 13).
    std::function<bool()> isMicrophoneOn;
    std::function<bool()> isVoiceOn;
    std::function<bool()> isEditorOpen;
    std::function<bool()> autoPlay;
    // Maps a lyrics or CD+G file to its song; MediaFileFor when empty.
    std::function<std::string(const std::string& path)> verifyFile;
    // Tags for songs given on the command line; ReadItemTags when empty.
    TagReaderFn readTags;
    // Opened by "MnuHelp".
    QUrl helpUrl;
    // Whether a command can be used now; a control whose command cannot is
    // disabled, its tooltip saying why (`unavailableReason`).
    std::function<bool(Command)> commandAvailable;
    std::function<QString(Command)> unavailableReason;
    // The open dialog; a file dialog when empty (tests give their own).
    std::function<QStringList(const QString& folder)> chooseFiles;
    // Why the last song could not be opened; appended to the message.
    std::function<std::string()> lastOpenError;
    // The song played to its end; true when the caller decides what comes next.
    std::function<bool()> songEnded;
};

class Player : public QWidget, private PlayerHost {
public:
    Player(Transport& transport, FlatListModel& list, PlayerServices services,
           QWidget* parent = nullptr);
    ~Player() override;

    PlayerControl& Control() { return m_control; }

    // The playlist window: its double clicks play, its keys reach the player.
    void SetPlaylistWindow(UserList* window);
    // A window hidden with the player in the notification area and shown again
    // with it, when `mayRestore` (if given) agrees at that time.
    void AddCompanion(QWidget* window, std::function<bool()> mayRestore = {});

    void MinimizeToTray();
    void RestoreFromTray();
    bool InTray() const { return m_inTray; }

    // Lamp 0 playing, 1 paused, 2 stopped.
    void Light(int index, bool on);
    void LightOut();
    bool LampOn(int index) const { return m_lampOn.at(static_cast<std::size_t>(index)); }
    // Draws a transport button pressed or released.
    void SetButton(bool down, int number);
    QToolButton* Button(int number) const;
    // Title and artist; a text too wide for its label ends in "...", or, for
    // the title while scrolling is on, runs through the label.
    void PutLabels(const QString& title, const QString& artist);
    void SetScrollTitle(bool on);
    bool TitleScrolls() const { return m_scrollTimer.isActive(); }
    QString ShownTitle() const { return m_title->text(); }
    QString ShownArtist() const { return m_artist->text(); }
    // One line under the buttons about the song or the player; empty hides
    // it. A line about the song at `songPath` (a repaired file, work going
    // on) goes when another song is open. With `linkText`, a link after the
    // text runs `onLink`.
    void ShowStatus(const QString& text, const std::string& songPath = {},
                    const QString& linkText = {}, std::function<void()> onLink = {});
    QString StatusText() const { return m_statusText; }
    void ActivateStatusLink();
    QString TimeText() const { return m_time->text(); }
    int ProgressValue() const { return m_progress->value(); }

    // Volume 0..100 as the song kind takes it.
    int GetVolume() const { return m_volume->value(); }
    void SetVolume(int percent);
    // The volume as it is kept between runs; a malformed value changes nothing.
    QString VolumeText() const;
    void ApplyVolume(const QString& text);

    // Files dropped on the window: added to the list; one song alone also plays.
    void DropFiles(const QStringList& files);
    // A song named on the command line or by a second start: added, marked and played.
    bool ChangeSong(const QString& path);

    // "player position": place plus playlist and MIDI window flags.
    QString PositionText() const;
    void ApplyPosition(const QString& text);
    bool PlaylistWindowShown() const { return m_playlistShown; }
    bool MidiWindowShown() const { return m_midiShown; }

    // Reads labels, lamps and buttons from the song again.
    void RefreshSong();
    // Enables or disables every button and menu item by `commandAvailable`.
    void ApplyAvailability();
    // The menu item of a command (the first, when it appears twice).
    QAction* MenuAction(Command command) const;

    // Actions of this window that the program's command router calls.
    void OpenSongDialog();
    void ToggleUserList();
    void ShowKeyboardHelp();
    void ShowAbout();
    void SetOnTop(bool on);
    bool OnTop() const { return m_onTop; }
    void ToggleMidiWindowShown() { m_midiShown = !m_midiShown; }
    // One run of the 500 ms watch (the timer calls it; tests may too).
    void OnTick();

    // Commands for windows this one does not own (MIDI window, editor,
    // recording, options, details, file information, full screen...).
    std::function<void(Command command)> onCommand;
    // The user asked to end the program.
    std::function<void()> onExit;

    QMenu* Menu() const { return m_menu; }
    void RebuildMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // PlayerHost
    bool IsRecording() const override;
    bool IsEditorOpen() const override;
    bool AutoPlay() const override;
    bool TakeSongEnd() override { return m_services.songEnded && m_services.songEnded(); }
    void Run(Command command) override;
    void OpenFailed(const std::string& path) override;
    void SongChanged() override;

    void BuildUi();
    void BuildTray();
    QString Tr(const char* key) const;
    void OnNumberTick();
    int AddSongs(const QStringList& paths);
    void FitLabels();
    void ScrollTitleStep();
    void ShowNote(const QString& title, const QString& text);

    Transport& m_transport;
    FlatListModel& m_list;
    PlayerServices m_services;
    PlayerControl m_control;

    QLabel* m_title = nullptr;
    QLabel* m_artist = nullptr;
    QLabel* m_bitrate = nullptr;
    QLabel* m_sampleRate = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_status = nullptr;
    std::string m_statusSong;
    QString m_statusText;
    std::function<void()> m_statusLink;
    QSlider* m_progress = nullptr;
    QSlider* m_volume = nullptr;
    std::array<QLabel*, 3> m_lamps{};
    std::array<bool, 3> m_lampOn{};
    std::map<int, QToolButton*> m_buttons;
    QMenu* m_menu = nullptr;
    std::multimap<Command, QAction*> m_menuActions;
    QTimer m_mmTimer;
    QTimer m_numList;
    QTimer m_scrollTimer;
    std::size_t m_scrollStep = 0;
    bool m_scrollTitle = false;
    QString m_fullTitle;
    QString m_fullArtist;

    QPointer<UserList> m_userList;
    struct Companion {
        QPointer<QWidget> window;
        std::function<bool()> mayRestore;
        bool hiddenByTray = false;
    };
    std::vector<Companion> m_companions;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_inTray = false;
    bool m_trayBusy = false;
    bool m_playlistShown = false;
    bool m_midiShown = false;
    bool m_onTop = false;
};

}  // namespace cx
