#include "app/InstanceChannel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 500;
constexpr int kReplyTimeoutMs = 2000;
const QByteArray kShowWindowRequest = QByteArrayLiteral("showWindow\n");
const QByteArray kActivatedReply = QByteArrayLiteral("ok\n");

bool processExists(qint64 pid) {
    return pid >= 1 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::optional<InstanceChannel::PeerHello> parseHello(const QByteArray& line) {
    // "VODU <pid> <executable name>"
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() < 2 || parts.at(0) != "VODU") {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 pid = parts.at(1).toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return InstanceChannel::PeerHello{pid, parts.size() > 2 ? QString::fromUtf8(parts.at(2)) : QString()};
}

bool readLine(QLocalSocket& socket, QByteArray& line) {
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kReplyTimeoutMs)) {
            return false;
        }
    }
    line = socket.readLine(256);
    return true;
}

} // namespace

QString InstanceChannel::socketName(const QString& notificationName) {
    const QString runtimeDirectory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDirectory.isEmpty() && QDir(runtimeDirectory).exists()) {
        return runtimeDirectory + QLatin1Char('/') + notificationName;
    }
    // Without a private runtime folder the user id keeps users apart in the shared temporary folder.
    return QDir::tempPath() + QLatin1Char('/') + notificationName + QLatin1Char('-') + QString::number(::getuid());
}

bool InstanceChannel::isActivatablePeer(const PeerHello& peer, qint64 ownPid, bool exists) {
    return peer.pid >= 1 && peer.pid != ownPid && exists &&
           (peer.executableName == u"vodu" || peer.executableName == u"vodu-status");
}

InstanceChannel::AskResult InstanceChannel::askToShowWindow(const QString& notificationName, qint64 ownPid) {
    QLocalSocket socket;
    socket.connectToServer(socketName(notificationName));
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return AskResult::noPeer;
    }
    QByteArray line;
    if (!readLine(socket, line)) {
        return AskResult::noPeer;
    }
    const std::optional<PeerHello> peer = parseHello(line);
    if (!peer || !isActivatablePeer(*peer, ownPid, processExists(peer->pid))) {
        return AskResult::noPeer;
    }
    socket.write(kShowWindowRequest);
    if (!socket.waitForBytesWritten(kReplyTimeoutMs) || !readLine(socket, line) || line != kActivatedReply) {
        return AskResult::refused;
    }
    return AskResult::activated;
}

QLocalServer* InstanceChannel::listen(const QString& notificationName, qint64 ownPid, const QString& executableName,
                                      QObject* parent, std::function<void()> onShowWindow) {
    const QString name = socketName(notificationName);
    auto* server = new QLocalServer(parent);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // Nobody answered on this name a moment ago, so the socket file is a leftover of a crashed instance.
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            delete server;
            return nullptr;
        }
    }
    const QByteArray hello = "VODU " + QByteArray::number(ownPid) + ' ' + executableName.toUtf8() + '\n';
    QObject::connect(server, &QLocalServer::newConnection, server, [server, hello, onShowWindow] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onShowWindow] {
                while (socket->canReadLine()) {
                    if (socket->readLine(256) == kShowWindowRequest) {
                        if (onShowWindow) {
                            onShowWindow();
                        }
                        socket->write(kActivatedReply);
                    }
                }
            });
            socket->write(hello);
        }
    });
    return server;
}
