#pragma once

#include "ui/Copy.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// Which conversations and runs newly need the user, for desktop notifications: pure decisions over records.

struct NeedsYouNotice {
    QString key;    // "session:" + the conversation's identity, or "run:" + the run's identity
    QString title;  // masked and cut
    QString reason; // masked and cut
    friend bool operator==(const NeedsYouNotice&, const NeedsYouNotice&) = default;
};

// Everything that waits for the user now: the conversations listed under "Needs you" and the runs that need
// attention, in list order.
QList<NeedsYouNotice> needsYouNotices(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs,
                                      const Copy& copy);

struct NoticePlan {
    QList<NeedsYouNotice> show;       // each shown, replacing the one with its key
    std::optional<QString> summary;   // start-up only: one line for what was already waiting
    QHash<QString, QString> notified; // key -> reason: what has been told, for the next snapshot
};

// The notices of one snapshot against what was already told: a new key or a changed reason is shown; one that
// left and comes back is shown again. At start-up nothing is shown one by one; a summary counts what waits.
NoticePlan planNotices(const QHash<QString, QString>& notified, const QList<NeedsYouNotice>& now, bool startUp,
                       const Copy& copy);
