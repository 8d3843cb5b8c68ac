#include "sessions/list/SessionList.h"

#include "model/RecordIdentity.h"
#include "model/SearchText.h"
#include "model/SnapshotReading.h"
#include "sessions/records/SessionRecords.h"

#include <array>

namespace {

constexpr std::array kDisplayOrder{SessionGroup::autoContinue, SessionGroup::needsYou, SessionGroup::supervising,
                                   SessionGroup::conversations};

// A run that waits for the user puts its conversation under "Needs you".
bool runNeedsYou(const QJsonObject& run) {
    const QString state = stateAt(run);
    return (hasApprovedManualCodexAction(run) && (state == u"recovery_required" || state == u"active")) ||
           boolAt(run, u"needsAttention") || run.value(u"pendingApproval").isObject() ||
           stringAt(run, u"phase") == QStringLiteral("needs_clarification") || state == u"verification_pending" ||
           (state == u"recovery_required" && stringAt(run, u"capability") == QStringLiteral("manual_recovery"));
}

QString modeLabel(const QJsonObject& session, const Copy& copy) {
    const QString mode = bindingMode(session);
    if (mode == u"managed") {
        return copy.text("進行中", "In progress");
    }
    if (mode == u"monitor") {
        return copy.text("監視のみ", "Monitor only");
    }
    if (mode == u"pending_takeover") {
        return copy.text("引き継ぎ待ち", "Pending takeover");
    }
    if (mode == u"standard_loop") {
        return QStringLiteral("Dozadavi Zaro");
    }
    return sessionAnalysisLabel(session, copy);
}

// The group by the record and, only when it matters, its run (`findRun` looks it up).
template <typename FindRun> SessionGroup groupWithRun(const QJsonObject& session, const FindRun& findRun) {
    const QString mode = bindingMode(session);
    if (mode == u"pending_takeover") {
        return SessionGroup::supervising;
    }
    if (mode == u"unmanaged" && sessionNeedsUser(session)) {
        return SessionGroup::needsYou;
    }
    if (const std::optional<QJsonObject> run = findRun(); run && runNeedsYou(*run)) {
        return SessionGroup::needsYou;
    }
    return mode == u"managed" ? SessionGroup::supervising : SessionGroup::conversations;
}

} // namespace

SessionGroup sessionGroup(const QJsonObject& session, const QList<QJsonObject>& runs) {
    return groupWithRun(session, [&] { return matchingSessionRun(session, runs); });
}

SessionGroup sessionListGroup(const QJsonObject& session, const QList<QJsonObject>& runs) {
    return boolAt(session, u"autoContinue") ? SessionGroup::autoContinue : sessionGroup(session, runs);
}

SessionGroup sessionListGroup(const QJsonObject& session, const SessionRunIndex& runs) {
    return boolAt(session, u"autoContinue") ? SessionGroup::autoContinue
                                            : groupWithRun(session, [&] { return runs.find(session); });
}

QString sessionGroupHeading(SessionGroup group, const Copy& copy) {
    switch (group) {
    case SessionGroup::autoContinue:
        return copy.text("自動継続", "Auto-continue");
    case SessionGroup::needsYou:
        return copy.text("対応が必要", "Needs you");
    case SessionGroup::supervising:
        return copy.text("管理中", "Supervising");
    case SessionGroup::conversations:
        break;
    }
    return copy.text("会話", "Conversations");
}

QString sessionSearchText(const QJsonObject& session) {
    QStringList parts;
    for (QStringView key : {u"title", u"provider", u"cwd"}) {
        if (std::optional<QString> part = stringAt(session, key)) {
            parts.append(*part);
        }
    }
    return parts.join(QLatin1Char(' '));
}

bool sessionMatchesSearch(const QJsonObject& session, const QString& query, const QLocale& locale) {
    return searchMatches(sessionSearchText(session), query, locale);
}

QList<SessionListRow> sessionListRows(const QList<QJsonObject>& records, const QList<QJsonObject>& runs,
                                      const QString& query, const Copy& copy, const QLocale& locale) {
    const SessionRunIndex runIndex(runs);
    QList<SessionGroup> groups;
    groups.reserve(records.size());
    for (const QJsonObject& record : records) {
        groups.append(sessionListGroup(record, runIndex));
    }
    return groupedSessionRows(records, groups, query, copy, locale);
}

QList<SessionListRow> groupedSessionRows(const QList<QJsonObject>& records, const QList<SessionGroup>& groups,
                                         const QString& query, const Copy& copy, const QLocale& locale) {
    QList<bool> matches;
    matches.reserve(records.size());
    for (const QJsonObject& record : records) {
        matches.append(sessionMatchesSearch(record, query, locale));
    }
    QList<SessionListRow> rows;
    for (SessionGroup group : kDisplayOrder) {
        QList<qsizetype> members;
        for (qsizetype index = 0; index < records.size(); ++index) {
            if (groups.at(index) == group && matches.at(index)) {
                members.append(index);
            }
        }
        if (members.isEmpty()) {
            continue;
        }
        rows.append({std::nullopt,
                     sessionGroupHeading(group, copy) + QStringLiteral(" · ") + QString::number(members.size()),
                     group});
        for (qsizetype index : members) {
            rows.append({index, QString(), group});
        }
    }
    return rows;
}

std::optional<qsizetype> sessionRowToSelect(const QList<SessionListRow>& rows, const QList<QJsonObject>& records,
                                            const QString& rememberedIdentity) {
    std::optional<qsizetype> first;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const std::optional<qsizetype> index = rows.at(row).candidateIndex;
        if (!index || *index < 0 || *index >= records.size()) {
            continue;
        }
        if (sessionIdentity(records.at(*index)) == rememberedIdentity) {
            return row;
        }
        if (!first) {
            first = row;
        }
    }
    return first;
}

QList<QJsonObject> sessionRecordsOrFallback(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs) {
    if (!sessions.isEmpty() || runs.isEmpty()) {
        return sessions;
    }
    QList<QJsonObject> records;
    records.reserve(runs.size());
    for (const QJsonObject& run : runs) {
        const QString mode = boolAt(run, u"managed") ? QStringLiteral("managed") : QStringLiteral("standard_loop");
        records.append(QJsonObject{
            {QStringLiteral("provider"), stringAt(run, u"provider").value_or(QString())},
            {QStringLiteral("session"), stringAt(run, u"session").value_or(QString())},
            {QStringLiteral("title"), stringAt(run, u"objective").value_or(QString())},
            {QStringLiteral("binding"),
             QJsonObject{{QStringLiteral("mode"), mode},
                         {QStringLiteral("taskId"), stringAt(run, u"taskId").value_or(QString())}}},
            {QStringLiteral("capabilities"), QJsonObject{{QStringLiteral("canMonitor"), false},
                                                         {QStringLiteral("canEnroll"), false},
                                                         {QStringLiteral("canAutoContinue"), false}}},
            {QStringLiteral("availability"), QStringLiteral("unknown")},
        });
    }
    return records;
}

QString sessionStatusText(const QJsonObject& session, const std::optional<QJsonObject>& run, const Copy& copy) {
    if (sessionTurnRunning(session)) {
        return copy.text("実行中", "Running");
    }
    if (run) {
        if (dependencyWaiting(*run)) {
            return copy.text("依存条件待ち", "Waiting for dependency");
        }
        if (std::optional<QString> handoff = approvedHandoffStatus(*run, copy)) {
            return *handoff;
        }
        const std::optional<QString> phase = stringAt(*run, u"phase");
        if (stateAt(*run) == u"reported_done") {
            return copy.text("完了と報告 · 未検証", "Reported complete · unverified");
        }
        if (phase == QStringLiteral("understanding")) {
            return copy.text("会話を理解中", "Understanding");
        }
        if (phase == QStringLiteral("needs_clarification")) {
            return copy.text("回答待ち", "One answer needed");
        }
        if (run->value(u"pendingApproval").isObject()) {
            return boolAt(objectAt(*run, u"pendingApproval"), u"denied") ? copy.text("申請を却下", "Request declined")
                                                                         : copy.text("承認待ち", "Approval needed");
        }
    }
    return modeLabel(session, copy);
}

SessionRowPresentation sessionRowPresentation(const QJsonObject& session, const QList<QJsonObject>& runs,
                                              const Copy& copy) {
    return sessionRowPresentation(session, matchingSessionRun(session, runs), copy);
}

SessionRowPresentation sessionRowPresentation(const QJsonObject& session, const std::optional<QJsonObject>& run,
                                              const Copy& copy) {
    const bool needsYou = groupWithRun(session, [&run] { return run; }) == SessionGroup::needsYou;
    Tone dot = Tone::neutral;
    if (needsYou) {
        dot = Tone::warning;
    } else if (bindingMode(session) == u"managed" && run && stateAt(*run) == u"active") {
        dot = Tone::good;
    }
    return {sessionDisplayTitle(session),
            providerDisplayName(session) + QStringLiteral(" · ") + sessionStatusText(session, run, copy), needsYou,
            dot};
}
