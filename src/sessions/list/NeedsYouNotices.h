#pragma once

#include "ui/Copy.h"

#include <QDateTime>
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

// What has been told so far.
struct NoticeHistory {
    QHash<QString, QString> notified;      // key -> reason: told and still waiting
    QHash<QString, QDateTime> lastShownAt; // key -> when its last notification went out, within the last minute
};

struct NoticePlan {
    QList<NeedsYouNotice> show;     // each shown, replacing the one with its key
    std::optional<QString> summary; // one line for what waits: at start-up, or for a burst of many at once
    QStringList withdraw;           // keys told before that wait no more, "summary" once nothing waits
    NoticeHistory history;          // for the next snapshot
};

// A burst of more new notices than this in one snapshot is told as one summary.
constexpr int kNoticeBurst = 3;
// One conversation gets at most one new notification within this time; a change inside it is told after.
constexpr qint64 kNoticeRepeatMs = 60 * 1000;

// The notices of one snapshot against what was already told: a new key or a changed reason is shown, unless its
// last notification is less than a minute old (it is told at a later snapshot); one that left is withdrawn and is
// shown again when it comes back. At start-up, and for a burst, a summary counts what waits instead.
NoticePlan planNotices(const NoticeHistory& history, const QList<NeedsYouNotice>& now, bool startUp,
                       const QDateTime& at, const Copy& copy);
