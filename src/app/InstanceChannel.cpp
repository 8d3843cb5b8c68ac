#include "app/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 500;
constexpr int kReplyTimeoutMs = 2000;
const QByteArray kShowWindowRequest = QByteArrayLiteral("showWindow\n");
const QByteArray kActivatedReply = QByteArrayLiteral("ok\n");
const QByteArray kLeavingReply = QByteArrayLiteral("leaving\n");

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

// Ours alone: a real folder (not a link), owned by this user, with no access for anyone else.
bool isPrivateDirectory(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

// Whether a connection to `path` is accepted, or else how it failed.
std::optional<QLocalSocket::LocalSocketError> connectionFailure(const QString& path) {
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.abort();
        return std::nullopt;
    }
    return probe.error();
}

} // namespace

std::optional<QString> InstanceChannel::socketPath(const QString& notificationName, const QString& runtimeDirectory,
                                                   const QString& temporaryDirectory) {
    if (!runtimeDirectory.isEmpty() && QDir(runtimeDirectory).exists()) {
        return runtimeDirectory + QLatin1Char('/') + notificationName;
    }
    // A fixed name in the shared temporary folder could be made first by anyone, so the socket lives in a folder
    // that must turn out to be ours alone.
    const QString directory = temporaryDirectory + QStringLiteral("/vodu-") + QString::number(::getuid());
    ::mkdir(QFile::encodeName(directory).constData(), 0700);
    if (!isPrivateDirectory(directory)) {
        std::fprintf(stderr, "vodu: %s is not a private folder of this user; running without single-instance\n",
                     QFile::encodeName(directory).constData());
        return std::nullopt;
    }
    return directory + QLatin1Char('/') + notificationName;
}

std::optional<QString> InstanceChannel::socketName(const QString& notificationName) {
    return socketPath(notificationName, qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

bool InstanceChannel::isActivatablePeer(const PeerHello& peer, qint64 ownPid, bool exists) {
    return peer.pid >= 1 && peer.pid != ownPid && exists &&
           (peer.executableName == u"vodu" || peer.executableName == u"vodu-status");
}

InstanceChannel::AskResult InstanceChannel::askToShowWindow(const QString& notificationName, qint64 ownPid) {
    const std::optional<QString> path = socketName(notificationName);
    if (!path) {
        return AskResult::noPeer;
    }
    QLocalSocket socket;
    socket.connectToServer(*path);
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
    if (!socket.waitForBytesWritten(kReplyTimeoutMs) || !readLine(socket, line)) {
        return AskResult::refused;
    }
    if (line == kLeavingReply) {
        // Its host is finishing: starting beside it would start a second one. Once it is gone, this launch is the app.
        QDeadlineTimer gone(kLeavingPeerWaitMs);
        while (processExists(peer->pid) && !gone.hasExpired()) {
            QThread::msleep(20);
        }
        return processExists(peer->pid) ? AskResult::refused : AskResult::noPeer;
    }
    return line == kActivatedReply ? AskResult::activated : AskResult::refused;
}

QLocalServer* InstanceChannel::listen(const QString& notificationName, qint64 ownPid, const QString& executableName,
                                      QObject* parent, std::function<bool()> onShowWindow) {
    const std::optional<QString> name = socketName(notificationName);
    if (!name) {
        return nullptr;
    }
    // The name is taken only when nobody holds it: no file, or a crashed instance's leftover that refuses. A listener
    // that still answers keeps it even when it did not answer our request a moment ago, and so does one we could not
    // reach at all (no descriptors left): Qt's failed listen deletes the file it was given.
    const std::optional<QLocalSocket::LocalSocketError> failure = connectionFailure(*name);
    if (!failure ||
        (*failure != QLocalSocket::ServerNotFoundError && *failure != QLocalSocket::ConnectionRefusedError)) {
        return nullptr;
    }
    auto* server = new QLocalServer(parent);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(*name)) {
        // Only a refused name in use is a crashed instance's leftover; any other failure (no descriptors left)
        // keeps the file.
        if (server->serverError() != QAbstractSocket::AddressInUseError ||
            connectionFailure(*name) != QLocalSocket::ConnectionRefusedError) {
            delete server;
            return nullptr;
        }
        QLocalServer::removeServer(*name);
        if (!server->listen(*name)) {
            delete server;
            return nullptr;
        }
    }
    const QByteArray hello = "VODU " + QByteArray::number(ownPid) + ' ' + executableName.toUtf8() + '\n';
    QObject::connect(server, &QLocalServer::newConnection, server, [server, hello, onShowWindow] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // A peer says its line at once; one that lingers or talks without end is cut off.
            socket->setReadBufferSize(InstanceChannel::kMaxRequestBytes);
            const auto drop = [socket] {
                socket->abort();
                socket->deleteLater();
            };
            QTimer::singleShot(InstanceChannel::kIdleConnectionMs, socket, drop);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onShowWindow, drop] {
                if (!socket->canReadLine() && socket->bytesAvailable() >= InstanceChannel::kMaxRequestBytes) {
                    drop();
                    return;
                }
                while (socket->canReadLine()) {
                    if (socket->readLine(InstanceChannel::kMaxRequestBytes) == kShowWindowRequest) {
                        const bool shown = !onShowWindow || onShowWindow();
                        socket->write(shown ? kActivatedReply : kLeavingReply);
                    }
                }
            });
            socket->write(hello);
        }
    });
    return server;
}
