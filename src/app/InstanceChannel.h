#pragma once

#include <QString>

#include <functional>
#include <optional>

class QLocalServer;
class QObject;

// Single-instance hand-over over a per-user local socket named after the show-window notification. Every instance
// listens; a starting instance asks the one it finds to show its window and then leaves.
namespace InstanceChannel {

// The socket's path: in the user's runtime folder, or else in a private folder of ours under the temporary folder
// that is created 0700 and checked (a folder another user made first, a link or a loose mode is refused). Absent
// when neither is usable: the app then runs without the hand-over.
std::optional<QString> socketPath(const QString& notificationName, const QString& runtimeDirectory,
                                  const QString& temporaryDirectory);
// socketPath() for this process's environment.
std::optional<QString> socketName(const QString& notificationName);

// Limits on what a connecting process may cost the listening one.
constexpr qsizetype kMaxRequestBytes = 4096;
constexpr int kIdleConnectionMs = 2000;

// What the listening instance says about itself on every new connection.
struct PeerHello {
    qint64 pid = 0;
    QString executableName;
};

// The peers that count: another live process of ours, running the app or the launcher.
bool isActivatablePeer(const PeerHello& peer, qint64 ownPid, bool processExists);

enum class AskResult { noPeer, activated, refused };
// How long a launch waits for an instance that is quitting to be gone.
constexpr int kLeavingPeerWaitMs = 6000;
// Connects to a listening instance, checks it, and asks it to show its window. Waits briefly; used before the UI.
// An instance that is quitting says so: the launch waits until it is gone (noPeer), or gives up (refused).
AskResult askToShowWindow(const QString& notificationName, qint64 ownPid);

// Starts listening; a socket left behind by a crashed instance is replaced, a live one never is (absent then).
// `onShowWindow` runs on each request and answers false when this instance is quitting instead.
QLocalServer* listen(const QString& notificationName, qint64 ownPid, const QString& executableName, QObject* parent,
                     std::function<bool()> onShowWindow);

} // namespace InstanceChannel
