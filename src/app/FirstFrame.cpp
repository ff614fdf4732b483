#include "app/FirstFrame.h"

#include <QEvent>
#include <QTimer>

namespace cx {

FirstFrame::FirstFrame(QWidget* window, std::function<void()> then)
    : QObject(window), m_window(window), m_then(std::move(then)) {}

void FirstFrame::Then(QWidget* window, std::function<void()> then, int fallbackMs) {
    if (!window) return;
    auto* watcher = new FirstFrame(window, std::move(then));
    window->installEventFilter(watcher);
    QTimer::singleShot(fallbackMs, watcher, [watcher] { watcher->Fire(); });
}

bool FirstFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Paint) {
        // Queued: the frame reaches the screen when this paint returns.
        QTimer::singleShot(0, this, [this] { Fire(); });
    }
    return QObject::eventFilter(watched, event);
}

void FirstFrame::Fire() {
    if (!m_then) return;
    if (m_window) m_window->removeEventFilter(this);
    auto then = std::move(m_then);
    m_then = nullptr;
    then();
    deleteLater();
}

}  // namespace cx
