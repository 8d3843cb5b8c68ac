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

NoticePlan planNotices(const QHash<QString, QString>& notified, const QList<NeedsYouNotice>& now, bool startUp,
                       const Copy& copy) {
    NoticePlan plan;
    for (const NeedsYouNotice& notice : now) {
        if (plan.notified.contains(notice.key)) {
            continue; // one notice per conversation or run
        }
        plan.notified.insert(notice.key, notice.reason);
        const auto told = notified.constFind(notice.key);
        if (!startUp && (told == notified.constEnd() || told.value() != notice.reason)) {
            plan.show.append(notice);
        }
    }
    if (startUp && !plan.notified.isEmpty()) {
        const QString count = QString::number(plan.notified.size());
        plan.summary =
            copy.text(count + QStringLiteral(" 件の会話があなたを待っています"),
                      plan.notified.size() == 1 ? QStringLiteral("1 conversation is waiting for you")
                                                : count + QStringLiteral(" conversations are waiting for you"));
    }
    return plan;
}
