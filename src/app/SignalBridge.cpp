#include "app/SignalBridge.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace cx {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler may only write to the pipe: the write end lives here because a
// signal handler cannot reach an object.
int g_writeEnd = -1;  // NOLINT: set once before the handlers, read by them
int g_readEnd = -1;   // NOLINT

void OnSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    // Nothing to do when the pipe is full: a shutdown is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &byte, 1);
}

}  // namespace

SignalBridge::SignalBridge(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (g_writeEnd >= 0) return;  // one bridge per process
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    g_writeEnd = fds[0];
    g_readEnd = fds[1];
    m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { Drain(); });
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

SignalBridge::~SignalBridge() {
    if (!m_notifier) return;
    for (int s : kSignals) ::signal(s, SIG_DFL);
    ::close(g_writeEnd);
    ::close(g_readEnd);
    g_writeEnd = g_readEnd = -1;
}

void SignalBridge::Drain() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(g_readEnd, &byte, 1) == 1) last = byte;
    if (last != 0 && m_onSignal) m_onSignal(last);
}

}  // namespace cx
