#include "app/StartupTrace.h"

#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/FirstFrame.h"

namespace cx {
namespace {

constexpr int kSoundPollMs = 1;
constexpr int kGiveUpMs = 5000;  // no sound by then: report what there is

}  // namespace

StartupTrace::StartupTrace() {
    const char* mode = std::getenv("CANTABILEX_STARTUP_TRACE");
    m_active = mode && *mode && std::strcmp(mode, "0") != 0;
    m_quit = m_active && std::strcmp(mode, "quit") == 0;
    if (m_active) m_clock.start();
}

void StartupTrace::Mark(const char* phase) {
    if (!m_active) return;
    const qint64 us = m_clock.nsecsElapsed() / 1000;
    std::fprintf(stderr, "startup: %-18s %8.1f ms  (+%.1f)\n", phase, us / 1000.0,
                 (us - m_previousUs) / 1000.0);
    std::fflush(stderr);
    m_previousUs = us;
}

void StartupTrace::WatchFirstFrame(QWidget* window, std::function<void()> quit) {
    if (!m_active || !window) return;
    m_quitFn = std::move(quit);
    FirstFrame::Then(
        window,
        [this] {
            if (m_framed) return;
            m_framed = true;
            Mark("first frame");
            QuitWhenDone();
        },
        2 * kGiveUpMs);  // an unpainted window is reported by the give-up below
    QTimer::singleShot(kGiveUpMs, this, [this] {
        m_framed = true;
        m_awaitSound = false;
        QuitWhenDone();
    });
}

void StartupTrace::WatchFirstSound(std::function<bool()> heard) {
    if (!m_active) return;
    m_awaitSound = true;
    auto* poll = new QTimer(this);
    poll->setInterval(kSoundPollMs);
    connect(poll, &QTimer::timeout, this, [this, poll, heard = std::move(heard)] {
        if (!heard()) return;
        poll->stop();
        Mark("first sound");
        m_awaitSound = false;
        QuitWhenDone();
    });
    poll->start();
}

void StartupTrace::QuitWhenDone() {
    if (m_quit && m_framed && !m_awaitSound && m_quitFn) {
        auto quit = std::move(m_quitFn);
        m_quitFn = nullptr;
        quit();
    }
}

}  // namespace cx
