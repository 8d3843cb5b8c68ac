#include "delivery/DeliveryRecords.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "tasks/TaskStates.h"

#include <QSet>

namespace {

std::optional<QString> shortText(const QJsonObject& record, QStringView key) {
    return safeMessage(stringAt(record, key), kShortTextLimit);
}

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.trimmed();
}

} // namespace

QString deliveryPickerTitle(const QJsonObject& run) {
    // The provider is a short word in practice; the cut only keeps a runaway value from widening the picker.
    const QString provider = firstGraphemes(oneLine(stringAt(run, u"provider").value_or(QString())), 100);
    QString label;
    if (const std::optional<QString> objective = stringAt(run, u"objective");
        objective && !oneLine(*objective).isEmpty()) {
        // Objectives are free text like any other host text: masked before they are shown.
        label = safeMessage(oneLine(*objective), 100).value_or(QString());
    } else if (const std::optional<QString> taskId = stringAt(run, u"taskId")) {
        label = firstGraphemes(oneLine(*taskId), 100);
    }
    return provider + QStringLiteral(" \u00B7 ") + label;
}

QStringList deliveryPickerTitles(const QList<QJsonObject>& runs) {
    QStringList titles;
    titles.reserve(runs.size());
    for (const QJsonObject& run : runs) {
        titles.append(deliveryPickerTitle(run));
    }
    return titles;
}

QString deliveryStateName(const QString& state, const Copy& copy) {
    if (state == u"active") {
        return copy.text("実行中", "In progress");
    }
    if (state == u"auto_resuming") {
        return copy.text("再開中", "Resuming");
    }
    if (state == u"blocked") {
        return copy.text("確認待ち", "Needs attention");
    }
    if (state == u"paused") {
        return copy.text("一時停止中", "Paused");
    }
    if (state == u"verification_pending") {
        return copy.text("検証待ち", "Verification needed");
    }
    if (state == u"reported_done") {
        return copy.text("完了と報告 · 未検証", "Reported complete · unverified");
    }
    if (state == u"completed") {
        return copy.text("完了", "Completed");
    }
    if (state == u"exhausted") {
        return copy.text("対応が必要", "Needs a decision");
    }
    if (state == u"stopped") {
        return copy.text("停止", "Stopped");
    }
    // The state is a host word shown as a label: masked and cut like one.
    return taskStateName(safeMessage(state, kShortTextLimit).value_or(QString()), copy);
}

bool isAutonomyPolicy(const QString& value) {
    return value == u"autonomous" || value == u"balanced" || value == u"strict";
}

DeliveryRunFacts deliveryRunFacts(const QJsonObject& run) {
    DeliveryRunFacts facts;
    facts.state = stateAt(run);
    const QJsonObject escalation = objectAt(run, u"escalation");
    facts.question = escalation.value(u"userQuestion").isString() ? shortText(escalation, u"userQuestion")
                                                                  : shortText(objectAt(run, u"plan"), u"userQuestion");
    facts.reason = shortText(run, u"reason");
    const QJsonObject approval = objectAt(run, u"pendingApproval");
    facts.approvalSummary = shortText(approval, u"summary");
    facts.approvalScope = shortText(approval, u"scope");
    facts.next = shortText(run, u"nextStep");
    if (!facts.next) {
        facts.next = shortText(run, u"remainingWork");
    }
    facts.isDone = facts.state == u"completed" || facts.state == u"complete" || facts.state == u"succeeded";
    const std::optional<QString> capability = stringAt(run, u"capability");
    facts.manualRecovery = capability == u"manual_recovery";
    // Read before masking: the masking rule for credential words rewrites "session ended" itself.
    facts.providerSessionEnded = stringAt(run, u"reason")
                                     .value_or(QString())
                                     .contains(QStringLiteral("provider session ended"), Qt::CaseInsensitive);
    facts.hasPendingApproval = !stringAt(approval, u"id").value_or(QString()).isEmpty();
    facts.approvalDenied = facts.hasPendingApproval && boolAt(approval, u"denied");
    facts.approvalPending = facts.hasPendingApproval && !boolAt(approval, u"denied") && boolAt(run, u"canApprove");
    facts.handoff =
        (facts.state == u"recovery_required" || facts.state == u"active") && hasApprovedManualCodexAction(run);
    facts.isRecovery = facts.handoff && facts.state == u"recovery_required";
    facts.waitingForSession =
        facts.state == u"recovery_required" && capability == u"codex_app_server" && !facts.handoff;
    facts.depWait = dependencyWaiting(run);
    return facts;
}

QList<PendingCriterion> pendingManualCriteria(const QJsonObject& run) {
    QSet<QString> pending;
    for (const QJsonValue& id : arrayAt(objectAt(run, u"verification"), u"pending")) {
        if (id.isString()) {
            pending.insert(id.toString());
        }
    }
    QList<PendingCriterion> criteria;
    if (pending.isEmpty()) {
        return criteria;
    }
    for (const QJsonObject& criterion : objectsAt(run, u"acceptanceCriteria")) {
        const std::optional<QString> id = stringAt(criterion, u"id");
        if (id && pending.contains(*id) && stringAt(objectAt(criterion, u"check"), u"type") == u"manual") {
            criteria.append({*id, shortText(criterion, u"description").value_or(QString())});
        }
    }
    return criteria;
}

QString deliveryDetailsToggleTitle(bool open, const Copy& copy) {
    return open ? copy.text("詳細を閉じる", "Hide details") : copy.text("詳細", "Details");
}

QString deliverySettingsToggleTitle(bool open, const Copy& copy) {
    return open ? copy.text("設定を閉じる", "Hide settings") : copy.text("設定", "Settings");
}

QStringList deliveryDetailsTabTitles(const Copy& copy) {
    return {copy.text("計画", "Plan"), copy.text("履歴", "Activity"), copy.text("証拠", "Evidence")};
}
