// One player per user: a second start with a file hands the file to the
// running player over a per-user local socket and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

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

    // Becomes the listener, taking over from a previous instance and clearing
    // a stale socket left by one that crashed. False when listening failed.
    bool Listen();

signals:
    // A second start handed over this command line.
    void FileReceived(const QString& commandLine);

private:
    void OnNewConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};

}  // namespace cx
