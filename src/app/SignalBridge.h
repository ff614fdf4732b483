// SIGTERM, SIGINT and SIGHUP become a call on the event loop, so the player
// shuts down as it does from its menu: settings and places kept.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace cx {

class SignalBridge : public QObject {
public:
    // `onSignal` runs on the event loop's thread with the signal number.
    explicit SignalBridge(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~SignalBridge() override;
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

    bool Installed() const { return m_notifier != nullptr; }

private:
    void Drain();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace cx
