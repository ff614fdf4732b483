// Where the start-up time goes: phases marked from main() to the player
// window's first painted frame and the song's first sound, printed to stderr
// as they happen when the environment asks for it
// (CANTABILEX_STARTUP_TRACE=1, or =quit to end once both are reached, as the
// start-up benchmark does). Costs nothing when not asked for.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QWidget;

namespace cx {

class StartupTrace : public QObject {
public:
    // Reads the environment; inactive when the variable is not set.
    StartupTrace();

    bool Active() const { return m_active; }
    void Mark(const char* phase);
    // Marks the first frame `window` paints; `quit` ends the program when
    // the trace asked for it, once the first sound (if awaited) came too.
    void WatchFirstFrame(QWidget* window, std::function<void()> quit);
    // `heard` is polled until it says the song's first samples went out.
    void WatchFirstSound(std::function<bool()> heard);

private:
    void QuitWhenDone();

    bool m_active = false;
    bool m_quit = false;
    bool m_framed = false;
    bool m_awaitSound = false;
    QElapsedTimer m_clock;
    qint64 m_previousUs = 0;
    std::function<void()> m_quitFn;
};

}  // namespace cx
