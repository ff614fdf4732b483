// One player per user: a second start with a file hands the file to the
// running player over a per-user local socket and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QTimer;

namespace cx {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `serverName` defaults to a per-user socket in the runtime folder.
    explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultServerName();

    // True when the command line names a file to hand over: not empty and not "%1".
    static bool NamesFile(const QString& commandLine);

    // Sends the command line to a running player. True only when that player
    // acknowledged it; false when none runs or it did not answer in time.
    bool PassToRunningInstance(const QString& commandLine, int timeoutMs = 3000);

    // Becomes the listener, clearing a stale socket left by a player that
    // crashed. False while another player answers on the socket (we retry
    // until it has gone) or when listening failed.
    bool Listen();
    bool Listening() const { return m_server != nullptr; }

signals:
    // A second start handed over this command line.
    void FileReceived(const QString& commandLine);

private:
    void OnNewConnection();
    static bool Answers(const QString& serverName);

    QString m_serverName;
    QLocalServer* m_server = nullptr;
    QTimer* m_retry = nullptr;
};

}  // namespace cx
