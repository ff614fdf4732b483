#include "app/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace cx {
namespace {

constexpr qint64 kMaxHandOffBytes = 64 * 1024;  // a path, never more
constexpr char kAck[] = "OK\n";
constexpr int kProbeMs = 500;
constexpr int kRetryMs = 5000;

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
    // The runtime folder is private to the user; without one, the socket
    // name carries the user id so users never meet.
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + "/cantabilex.sock";
    return QString("cantabilex-%1").arg(::getuid());
}

bool SingleInstance::NamesFile(const QString& commandLine) {
    const QString t = commandLine.trimmed();
    return !t.isEmpty() && t != "%1";
}

bool SingleInstance::PassToRunningInstance(const QString& commandLine, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray payload = commandLine.toUtf8();
    payload.append('\n');
    socket.write(payload);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
        reply += socket.readAll();
    }
    return reply.startsWith(kAck);
}

bool SingleInstance::Answers(const QString& serverName) {
    QLocalSocket probe;
    probe.connectToServer(serverName);
    const bool answered = probe.waitForConnected(kProbeMs);
    probe.abort();
    return answered;
}

bool SingleInstance::Listen() {
    if (m_server) return true;
    // A socket that a running player answers is that player's: taking it
    // would leave it deaf, and our exit would remove it from under it. We
    // run without hand-offs and try again once that player has gone.
    if (Answers(m_serverName)) {
        if (!m_retry) {
            m_retry = new QTimer(this);
            m_retry->setInterval(kRetryMs);
            connect(m_retry, &QTimer::timeout, this, [this] {
                if (Listen()) m_retry->stop();
            });
        }
        m_retry->start();
        return false;
    }
    // Nobody answers: what is there was left by a player that crashed.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > kMaxHandOffBytes) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine()) return;
            const QString line = QString::fromUtf8(socket->readLine()).trimmed();
            socket->write(kAck);
            socket->flush();
            socket->disconnectFromServer();
            emit FileReceived(line);
        });
    }
}

}  // namespace cx
