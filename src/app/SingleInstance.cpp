#include "app/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace cx {
namespace {

constexpr qint64 kMaxHandOffBytes = 64 * 1024;  // a path, never more
constexpr char kAck[] = "OK\n";

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

bool SingleInstance::Listen() {
    if (m_server) return true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Whatever socket is there belongs to a crashed player or to one we take
    // over from; in both cases new starts must reach us.
    QLocalServer::removeServer(m_serverName);
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
