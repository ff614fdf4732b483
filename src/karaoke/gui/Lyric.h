// The karaoke window: presents the display's lyric area between a caption strip
// and a bottom strip with a resize grip, or alone in full screen.
#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <QImage>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "karaoke/KaraokeDisplay.h"

namespace cx {

class AudioClock;
class RegistryStore;

// Registry value of the window's placement: left, top, width, height in twips.
inline constexpr const char* kKaraokePositionValue = "karaoke window position";
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kLyricMinWidth = 340;
inline constexpr int kLyricMinHeight = 160;
inline constexpr int kPlaybackTickMs = 10;

class Lyric : public QWidget {
    Q_OBJECT
public:
    // What the window asks of the player and the settings.
    struct Hooks {
        std::function<void()> Previous, Play, Pause, Stop, Next;
        std::function<void()> Options;           // Ctrl+P
        std::function<void()> Details;           // K, with media open
        std::function<void(int key)> RecordKey;  // R and S, as in the player window
        std::function<bool()> MediaOpen;         // an audio stream or MIDI song is open
        std::function<void(const KaraokeSettings&)> SettingsChanged;  // to be stored
        std::function<void(bool open)> KaraokeWindow;                 // recorded on show and close
        std::function<void(const std::string& text)> Message;         // a message box
    };
    using Translate = std::function<std::string(const std::string& key)>;

    Lyric(const KaraokeSettings& settings, Translate translate, Hooks hooks,
          RegistryStore* store = nullptr, QWidget* parent = nullptr);
    ~Lyric() override;

    KaraokeDisplay& Display() { return m_display; }
    // The player's 10 ms tick with the audible position in seconds.
    void PlaybackTick(double position);
    // After a seek or an editor move.
    void Seeked(double position);
    // The song was stopped or closed: the lines go at once.
    void ClearLyrics();
    // New lyrics and look for the song just opened.
    void ChangeLyrics(LyricsModel* model, const SongLook& look);
    // Stores "karaoke window position" (also done when the window closes).
    void WritePosition();
    // Follows a clock on the window's own 10 ms timer (for tools without a player).
    void FollowClock(const AudioClock* clock);

    void ChangeScreen2();  // toggles full screen
    bool FullscreenOn() const { return m_fullscreen; }
    void SetRecording(bool on);
    void SetVoice(bool on);
    // Menu captions after a language change.
    void SetCaptions();
    // A picture over the lyric area (the host's show); null removes it.
    void SetOverlay(const QImage& overlay);
    const QImage& Overlay() const { return m_overlay; }
    QMenu& Menu() { return m_menu; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void RunCommand(const std::string& key);
    void SettingsChanged();
    void ReadPosition();
    QRect LyricArea() const;
    QRect MonitorRect() const;

    KaraokeDisplay m_display;
    Translate m_translate;
    Hooks m_hooks;
    RegistryStore* m_store = nullptr;
    QMenu m_menu;
    std::map<std::string, QAction*> m_actions;
    QElapsedTimer m_clock;
    QTimer m_followTimer;
    const AudioClock* m_followed = nullptr;
    bool m_fullscreen = false;
    QRect m_savedGeometry;
    bool m_recording = false;
    bool m_voice = false;
    QPoint m_dragOffset;
    bool m_dragging = false;
    qint64 m_shownFrame = 0;
    QImage m_overlay;  // the host's show over the lyrics
};

// "Monitor 1 (primary)" is the primary screen; "Monitor N..." the N-th screen.
int MonitorIndex(const std::string& monitor);

}  // namespace cx

