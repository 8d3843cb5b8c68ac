#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The few facts about the link to the host that several areas read. Each field has exactly one writer, named
// beside it; that owner is handed the mutable object, everybody else reads it through AppContext.
struct LinkState {
    bool fixtureMode = false;                      // AppDelegate: preview launch
    bool connected = false;                        // HostLink
    bool hostProcessAlive = false;                 // HostLink: a host process handle exists (started or starting)
    std::optional<QDateTime> lastStatusReceivedAt; // HostLink: stamped by every render
    bool quitInFlight = false;                     // AppDelegate: quit or restart-to-update asked the host to quit
    qint64 activeTaskCount = 0;                    // TasksController
    std::optional<QString> runningVersion;         // OverviewController: the host's reported version
};
