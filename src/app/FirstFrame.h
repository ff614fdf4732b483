// Runs something once a window has painted its first frame (or after a
// fallback time, for a window that is never painted): what the first frame
// does not need waits until the user sees the program.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace cx {

class FirstFrame : public QObject {
public:
    // Owned by `window`; `then` runs once, after the event that painted.
    static void Then(QWidget* window, std::function<void()> then, int fallbackMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FirstFrame(QWidget* window, std::function<void()> then);
    void Fire();

    QPointer<QWidget> m_window;
    std::function<void()> m_then;
};

}  // namespace cx
