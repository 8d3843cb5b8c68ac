#pragma once

#include <QString>

#include <functional>

class QLocalServer;
class QObject;

// Single-instance hand-over over a per-user local socket named after the show-window notification. Every instance
// listens; a starting instance asks the one it finds to show its window and then leaves.
namespace InstanceChannel {

QString socketName(const QString& notificationName);

// What the listening instance says about itself on every new connection.
struct PeerHello {
    qint64 pid = 0;
    QString executableName;
};

// The peers that count: another live process of ours, running the app or the launcher.
bool isActivatablePeer(const PeerHello& peer, qint64 ownPid, bool processExists);

enum class AskResult { noPeer, activated, refused };
// Connects to a listening instance, checks it, and asks it to show its window. Waits briefly; used before the UI.
AskResult askToShowWindow(const QString& notificationName, qint64 ownPid);

// Starts listening; a socket left behind by a crashed instance is replaced. `onShowWindow` runs on each request.
QLocalServer* listen(const QString& notificationName, qint64 ownPid, const QString& executableName, QObject* parent,
                     std::function<void()> onShowWindow);

} // namespace InstanceChannel
