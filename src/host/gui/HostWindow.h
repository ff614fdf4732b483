// The host's window: the singers with their queues, positions and waits, the
// history, the settings, and the show's keys. It owns the rotation's session
// and the show, and asks the player to load and start songs through hooks.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/HostSession.h"
#include "host/ShowRunner.h"
#include "host/SongFinder.h"
#include "host/gui/RequestsPanel.h"
#include "playlist/gui/ItemTags.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace cx {

class BreakMusic;
struct ShowCard;

struct HostHooks {
    // Opens a song without starting it; why not, empty when open.
    std::function<std::string(const std::string& path)> openPaused;
    std::function<void(int semitones, int tempoPercent)> setKeyAndTempo;
    std::function<void()> play;
    std::function<void()> stop;
    // Whether the player is playing a song (not the break music).
    std::function<bool()> isPlaying;
    // The picture over the karaoke window's lyrics, and that area's size.
    std::function<void(const QImage& overlay)> showOverlay;
    std::function<QSize()> overlaySize;
    // What is left of the song now playing, in ms (0 when none).
    std::function<std::int64_t()> remainingMs;
    // Files for a singer's queue; a file dialog when empty.
    std::function<QStringList(const QString& folder)> chooseFiles;
    TagReaderFn readTags;
    std::function<std::string(const std::string& key)> translate;
    // Plays the break music; none when empty.
    std::function<std::unique_ptr<BreakMusic>()> makeBreakMusic;
    // The score of the song just sung along, if it was; none when empty.
    std::function<std::optional<int>()> turnScore;
    // Guests' song requests from their phones.
    RequestsHooks requests;
};

class HostWindow : public QWidget, private ShowStage {
public:
    explicit HostWindow(HostHooks hooks, std::string databasePath = DefaultHostDatabase(),
                        QWidget* parent = nullptr);
    ~HostWindow() override;

    // Opens the database and shows the window.
    void Open();
    // Opens the database without showing the window; why not, empty when open.
    std::string OpenSession();
    HostSession& Session() { return m_session; }
    ShowRunner& Show() { return m_show; }
    // The library's search; null turns the search box off.
    void SetFinder(SongFinder* finder);

    // The show's keys (F8, F5, F6, Shift+F8).
    void AnnounceNext();
    void StartNext();
    void SkipAnnounced();
    void StopShow();
    // The player's song ended: true when the show takes over what comes next.
    bool TakeSongEnd();

    // Singers and songs (also on keys and buttons); the selection is the target.
    void AddSinger(const QString& name);
    void AddSongs(const QStringList& paths);
    void AddFound(const FoundSong& song);
    void ToggleAway();
    void SkipSelected();
    void RemoveSelected();
    void MoveSelected(int step);
    void MoveSelectedTo(int index);
    void ChangeKey(int semitones, int tempoPercent);
    void SelectSinger(std::int64_t singerId);
    void BrowseBreakMusic();

    // The last message shown on the status line.
    QString StatusText() const;
    QTreeWidget* RotationTree() const { return m_tree; }
    bool BreakMusicOn() const;
    RequestsPanel& Requests() { return *m_requests; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ShowStage
    std::string Load(const QueueEntry& entry) override;
    void Start() override;
    void BreakMusic(bool on) override;
    std::optional<int> TurnScore() override;

    void BuildRotationTab(QTabWidget* tabs);
    void BuildHistoryTab(QTabWidget* tabs);
    void BuildSettingsTab(QTabWidget* tabs);
    void BuildRequestsTab(QTabWidget* tabs);
    // The request page's panel on the card, or alone while no song plays.
    void AddJoinPanel(ShowCard& card, QSize size) const;
    void ShowJoinBetweenSongs();
    void BuildKeys();
    void Refresh();
    void RefreshHistory();
    void ShowSettings();
    void SettingsEdited();
    void Search(const QString& text);
    void OnTimer();
    void Report(const std::string& reason);
    QString Tr(const char* key, const char* fallback) const;
    std::int64_t NowMs() const { return m_clock.elapsed(); }
    std::int64_t SelectedSinger() const;
    std::int64_t SelectedEntry() const;

    HostHooks m_hooks;
    HostSession m_session;
    ShowRunner m_show{m_session, *this};
    SongFinder* m_finder = nullptr;
    std::unique_ptr<cx::BreakMusic> m_break;
    QElapsedTimer m_clock;
    QTimer m_timer;  // the countdown and the ticker
    std::int64_t m_phaseSinceMs = 0;

    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_history = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_search = nullptr;
    QListWidget* m_found = nullptr;
    QLabel* m_status = nullptr;
    QComboBox* m_placement = nullptr;
    QSpinBox* m_countdown = nullptr;
    QCheckBox* m_autoStart = nullptr;
    QCheckBox* m_ticker = nullptr;
    QSpinBox* m_tickerSpeed = nullptr;
    QLineEdit* m_breakMusic = nullptr;
    bool m_settingsShown = false;
    RequestsPanel* m_requests = nullptr;
    QTimer m_joinTimer;   // looks for the song's end while requests are served
    QString m_joinShown;  // what the join panel showed last, alone on the window
};

}  // namespace cx
