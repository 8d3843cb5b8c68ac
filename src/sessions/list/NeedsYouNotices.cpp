#include "sessions/list/NeedsYouNotices.h"

#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "sessions/list/SessionList.h"
#include "sessions/records/SessionRecords.h"

#include <QSet>

namespace {

QString runTitle(const QJsonObject& run) {
    return safeMessage(stringAt(run, u"objective"), kShortTextLimit)
        .value_or(safeMessage(stringAt(run, u"taskId"), kShortTextLimit).value_or(QStringLiteral("Dozadavi Zaro")));
}

} // namespace

QList<NeedsYouNotice> needsYouNotices(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs,
                                      const Copy& copy) {
    QList<NeedsYouNotice> notices;
    QSet<QString> toldConversations;
    const SessionRunIndex runIndex(runs);
    for (const QJsonObject& session : sessions) {
        if (sessionListGroup(session, runIndex) != SessionGroup::needsYou) {
            continue;
        }
        const std::optional<QJsonObject> run = runIndex.find(session);
        std::optional<QString> reason =
            safeMessage(stringAt(objectAt(session, u"analysis"), u"reason"), kShortTextLimit);
        if (!reason && run) {
            reason = safeMessage(stringAt(*run, u"reason"), kShortTextLimit);
        }
        toldConversations.insert(sessionIdentity(session));
        notices.append({QStringLiteral("session:") + sessionIdentity(session), sessionDisplayTitle(session),
                        reason.value_or(sessionStatusText(session, run, copy))});
    }
    for (const QJsonObject& run : runs) {
        // A run whose conversation is already told about is the same news.
        if (!boolAt(run, u"needsAttention") || toldConversations.contains(sessionIdentity(run))) {
            continue;
        }
        const QString reason = safeMessage(stringAt(run, u"reason"), kShortTextLimit)
                                   .value_or(copy.text("確認が必要です", "Needs your attention"));
        notices.append({QStringLiteral("run:") + deliveryIdentity(run), runTitle(run), reason});
    }
    return notices;
}

namespace {

QString waitingSummary(qsizetype waiting, const Copy& copy) {
    const QString count = QString::number(waiting);
    return copy.text(count + QStringLiteral(" 件の会話があなたを待っています"),
                     waiting == 1 ? QStringLiteral("1 conversation is waiting for you")
                                  : count + QStringLiteral(" conversations are waiting for you"));
}

} // namespace

NoticePlan planNotices(const NoticeHistory& history, const QList<NeedsYouNotice>& now, bool startUp,
                       const QDateTime& at, const Copy& copy) {
    NoticePlan plan;
    for (auto shown = history.lastShownAt.cbegin(); shown != history.lastShownAt.cend(); ++shown) {
        if (shown.value().msecsTo(at) < kNoticeRepeatMs) {
            plan.history.lastShownAt.insert(shown.key(), shown.value());
        }
    }
    QList<NeedsYouNotice> fresh;
    QSet<QString> waiting;
    for (const NeedsYouNotice& notice : now) {
        if (waiting.contains(notice.key)) {
            continue; // one notice per conversation or run
        }
        waiting.insert(notice.key);
        const auto told = history.notified.constFind(notice.key);
        const bool news = told == history.notified.constEnd() || told.value() != notice.reason;
        if (!news || startUp) {
            plan.history.notified.insert(notice.key, notice.reason);
        } else if (!plan.history.lastShownAt.contains(notice.key)) {
            fresh.append(notice);
            plan.history.notified.insert(notice.key, notice.reason);
            plan.history.lastShownAt.insert(notice.key, at);
        } else if (told != history.notified.constEnd()) {
            plan.history.notified.insert(notice.key, told.value()); // told again once the minute is over
        }
    }
    for (auto told = history.notified.cbegin(); told != history.notified.cend(); ++told) {
        if (!waiting.contains(told.key())) {
            plan.withdraw.append(told.key());
        }
    }
    if (waiting.isEmpty() && !history.notified.isEmpty()) {
        plan.withdraw.append(QStringLiteral("summary"));
    }
    if ((startUp && !waiting.isEmpty()) || fresh.size() > kNoticeBurst) {
        plan.summary = waitingSummary(waiting.size(), copy);
    } else {
        plan.show = fresh;
    }
    return plan;
}
