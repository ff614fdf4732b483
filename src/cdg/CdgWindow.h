// The CD+G window: shows the player's screen scaled to the window, follows
// the audible audio clock while playing, and offers the transport keys, full
// screen and the channel menu.
#pragma once

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cdg/CdgPlayer.h"

class QAction;
class QMenu;

namespace cx {

class AudioClock;

// "left,top,width,height" in twips (15 to a pixel), as the karaoke window
// position is stored; nullopt when the text is not four numbers or the size
// is empty.
std::optional<QRect> ParseWindowPosition(const std::string& text);
std::string FormatWindowPosition(const QRect& rect);

class CdgWindow : public QWidget {
public:
    using TranslateFn = std::function<std::string(const std::string&)>;

    // What the transport keys and menu entries ask of the media control,
    // which starts or stops the audio and then calls PlayCDG and friends.
    // An action left empty acts on the graphics alone.
    struct Actions {
        std::function<void()> play, pause, stop;
    };

    // Shows `player` (which must outlive the window), or a player of its own
    // when none is given.
    explicit CdgWindow(CdgPlayer* player = nullptr, TranslateFn translate = {},
                       QWidget* parent = nullptr);

    void SetActions(Actions actions) { m_actions = std::move(actions); }
    // The clock the graphics follow; must outlive the window or be reset.
    void SetClock(const AudioClock* clock) { m_clock = clock; }
    void SetSmoothScaling(bool smooth);
    // The "fullscreen monitor" setting: "Monitor 1 (primary)" or "Monitor N".
    void SetFullscreenMonitor(const std::string& name) { m_monitor = name; }

    // Takes its place from the stored "karaoke window position" text; a
    // centred default when the text is empty or unusable.
    void PlaceFromText(const std::string& karaokeWindowPosition);
    std::string PlacementText() const;

    // The graphics side of the transport (the audio is the caller's).
    bool LoadCDG(const std::string& path, std::string& error);
    void PlayCDG();
    void PauseCDG();
    void StopCDG();
    void CloseCDG();
    // Seeks the graphics; returns the seconds the audio must be moved to.
    double MoveCDG(double targetSeconds);
    const char* getState() const { return m_player.getState(); }
    bool CdgMode() const { return m_player.CdgMode(); }

    bool GetChannel(int channel) const { return m_player.GetChannel(channel); }
    void SwitchChannel(int channel, bool on);

    void ChangeFulloScreen();
    bool FullscreenOn() const { return m_fullscreen; }

    // One playback tick: dispatches the packets due by the clock and repaints
    // when the picture changed. Driven by the window's 10 ms timer.
    void Tick();

    const CdgPlayer& Player() const { return m_player; }
    // The popup menu, rebuilt with the current captions and channel marks.
    QMenu* PopupMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString Caption(const char* key, const char* shortcut = nullptr) const;
    void RequestPlay();
    void RequestPause();
    void RequestStop();
    void Refresh();
    QRect FullscreenRect() const;
    void BuildMenu();

    std::unique_ptr<CdgPlayer> m_ownPlayer;
    CdgPlayer& m_player;
    TranslateFn m_translate;
    Actions m_actions;
    const AudioClock* m_clock = nullptr;
    QTimer m_timer;
    QMenu* m_menu = nullptr;
    QMenu* m_channelsMenu = nullptr;
    QAction* m_fullAction = nullptr;
    QAction* m_playAction = nullptr;
    QAction* m_pauseAction = nullptr;
    QAction* m_stopAction = nullptr;
    std::string m_monitor = "Monitor 1 (primary)";
    bool m_smooth = true;
    bool m_fullscreen = false;
    QRect m_normalGeometry;
    QPoint m_dragOffset;
    std::uint64_t m_paintedRevision = ~std::uint64_t{0};
    bool m_paintedIdle = false;
    QImage m_frame;
};

}  // namespace cx
