#include "delivery/DeliveryCommands.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

namespace {

// "provider", "session" and "taskId" as the host addresses a run: all strings, and a task id.
std::optional<QJsonObject> runAddress(const QJsonObject& run) {
    const std::optional<QString> provider = stringAt(run, u"provider");
    const std::optional<QString> session = stringAt(run, u"session");
    const std::optional<QString> taskId = stringAt(run, u"taskId");
    if (!provider || !session || !taskId || taskId->isEmpty()) {
        return std::nullopt;
    }
    return QJsonObject{{QStringLiteral("provider"), *provider},
                       {QStringLiteral("session"), *session},
                       {QStringLiteral("taskId"), *taskId}};
}

QString requestKeyOf(const QJsonObject& fields) {
    return fields.value(u"provider").toString() + u'|' + fields.value(u"session").toString() + u'|' +
           fields.value(u"taskId").toString();
}

std::optional<QString> approvalText(const QJsonObject& approval, QStringView key) {
    return safeMessage(stringAt(approval, key), kShortTextLimit);
}

QString joined(const QList<std::optional<QString>>& parts, const QString& separator) {
    QStringList present;
    for (const std::optional<QString>& part : parts) {
        if (part) {
            present.append(*part);
        }
    }
    return present.join(separator);
}

bool isRunAction(const QString& action) {
    return action == u"delivery_pause" || action == u"delivery_resume" || action == u"delivery_approve" ||
           action == u"delivery_reject" || action == u"delivery_replan" || action == u"delivery_stop";
}

} // namespace

std::optional<DeliveryCommand> deliveryAction(const QJsonObject& run, const QString& action, bool approval,
                                              bool turnRunning, const Copy& copy) {
    if (!isRunAction(action)) {
        return std::nullopt;
    }
    const bool resume = action == u"delivery_resume";
    if (resume && (turnRunning || dependencyWaiting(run))) {
        return std::nullopt;
    }
    std::optional<QJsonObject> fields = runAddress(run);
    if (!fields) {
        return std::nullopt;
    }
    DeliveryCommand command;
    command.action = action;
    command.handoff = resume && stringAt(run, u"state") == u"recovery_required" && hasApprovedManualCodexAction(run);
    if (command.handoff) {
        command.handoffTarget = objectAt(run, u"originalSessionTarget");
    }
    command.requestKey = requestKeyOf(*fields);
    const QJsonObject pending = objectAt(run, u"pendingApproval");
    if (approval) {
        const QString approvalId = stringAt(pending, u"id").value_or(QString());
        if (approvalId.isEmpty()) {
            return std::nullopt;
        }
        fields->insert(QStringLiteral("approvalId"), approvalId);
    }
    command.fields = *fields;
    if (action == u"delivery_approve") {
        command.confirmation = DeliveryAlert{
            copy.text("この操作を承認しますか？", "Approve this request?"),
            joined({approvalText(pending, u"scope"), approvalText(pending, u"summary")}, QStringLiteral("\n")),
            copy.text("後で", "Not now"), copy.text("承認", "Approve")};
    } else if (action == u"delivery_stop") {
        command.confirmation =
            DeliveryAlert{copy.text("この Dozadavi Zaro を停止しますか？", "Stop this Dozadavi Zaro?"),
                          safeMessage(stringAt(run, u"objective"), kLongTextLimit).value_or(QString()),
                          copy.text("キャンセル", "Cancel"), copy.text("停止", "Stop")};
    }
    return command;
}

PrimaryDeliveryStep primaryDeliveryStep(const QJsonObject& run, bool hasPendingManualCriteria, bool fixtureMode) {
    if (dependencyWaiting(run)) {
        return boolAt(run, u"canResolveDependency") ? PrimaryDeliveryStep::confirmDependency
                                                    : PrimaryDeliveryStep::nothing;
    }
    if (fixtureMode) {
        return PrimaryDeliveryStep::sampleAlert;
    }
    const QJsonObject pending = objectAt(run, u"pendingApproval");
    if (boolAt(run, u"canApprove") && !stringAt(pending, u"id").value_or(QString()).isEmpty()) {
        return PrimaryDeliveryStep::approve;
    }
    if (pending.isEmpty() && boolAt(run, u"canResume")) {
        return PrimaryDeliveryStep::resume;
    }
    if (stringAt(run, u"state") == u"verification_pending" && hasPendingManualCriteria) {
        return PrimaryDeliveryStep::verify;
    }
    return PrimaryDeliveryStep::nothing;
}

DeliveryAlert primarySampleAlert(const QJsonObject& run, const Copy& copy) {
    const QJsonObject pending = objectAt(run, u"pendingApproval");
    if (!stringAt(pending, u"id").value_or(QString()).isEmpty()) {
        const QString note =
            copy.text("これはプレビューです。承認操作は送信されません。", "Preview data. No approval will be sent.");
        return {
            copy.text("サンプルの承認内容", "Sample request"),
            joined({approvalText(pending, u"summary"), approvalText(pending, u"scope"), note}, QStringLiteral("\n\n")),
            copy.text("閉じる", "Close"), QString()};
    }
    return {copy.text("サンプルの引き継ぎ", "Sample handoff"),
            copy.text("これはプレビューです。元の会話での操作や引き継ぎは記録されません。",
                      "Preview only. No action or handoff will be recorded in the original conversation."),
            copy.text("閉じる", "Close"), QString()};
}

std::optional<DeliveryCommand> policyCommand(const QJsonObject& run, const std::optional<QString>& picked) {
    std::optional<QJsonObject> fields = runAddress(run);
    if (!fields || !picked || !isAutonomyPolicy(*picked) || stringAt(run, u"autonomyPolicy") == *picked) {
        return std::nullopt;
    }
    fields->insert(QStringLiteral("autonomyPolicy"), *picked);
    return DeliveryCommand{
        QStringLiteral("delivery_set_policy"), *fields, requestKeyOf(*fields), std::nullopt, false, {}};
}

std::optional<DeliveryCommand> verifyCommand(const QJsonObject& run, const QList<PendingCriterion>& criteria,
                                             qsizetype index, const Copy& copy) {
    std::optional<QJsonObject> fields = runAddress(run);
    if (!fields || index < 0 || index >= criteria.size()) {
        return std::nullopt;
    }
    const PendingCriterion& criterion = criteria.at(index);
    fields->insert(QStringLiteral("criterionId"), criterion.id);
    return DeliveryCommand{
        QStringLiteral("delivery_verify"),
        *fields,
        requestKeyOf(*fields),
        DeliveryAlert{copy.text("この成功条件を検証済みにしますか？", "Mark this criterion verified?"), criterion.title,
                      copy.text("キャンセル", "Cancel"), copy.text("検証済み", "Verified")},
        false,
        {}};
}

std::optional<DependencyPrompt> dependencyPrompt(const QJsonObject& run, const Copy& copy) {
    const QJsonObject wait = objectAt(run, u"dependencyWait");
    if (!dependencyWaiting(run) || !boolAt(run, u"canResolveDependency") || !stringAt(wait, u"id") ||
        !stringAt(run, u"provider") || !stringAt(run, u"session") || !stringAt(run, u"taskId")) {
        return std::nullopt;
    }
    const QString condition = safeMessage(stringAt(wait, u"condition"), kShortTextLimit).value_or(QString());
    return DependencyPrompt{{copy.text("依存条件の完了を確認", "Confirm dependency ready"),
                             condition + QStringLiteral("\n\n") +
                                 copy.text("この条件が満たされた根拠を入力してください。",
                                           "Describe how this condition has been satisfied."),
                             copy.text("キャンセル", "Cancel"), copy.text("確認", "Confirm")},
                            copy.text("確認内容", "Confirmation details")};
}

std::optional<QString> dependencyAnswer(const QString& typed) {
    const QString answer = typed.trimmed();
    if (answer.isEmpty() || answer.size() > kDependencyAnswerLimit) {
        return std::nullopt;
    }
    return answer;
}

std::optional<DeliveryCommand> dependencyCommand(const QJsonObject& run, const QString& answer) {
    const std::optional<QString> waitId = stringAt(objectAt(run, u"dependencyWait"), u"id");
    const std::optional<QString> checked = dependencyAnswer(answer);
    if (!dependencyWaiting(run) || !boolAt(run, u"canResolveDependency") || !waitId || !checked) {
        return std::nullopt;
    }
    const std::optional<QString> provider = stringAt(run, u"provider");
    const std::optional<QString> session = stringAt(run, u"session");
    const std::optional<QString> taskId = stringAt(run, u"taskId");
    if (!provider || !session || !taskId) {
        return std::nullopt;
    }
    const QJsonObject fields{{QStringLiteral("provider"), *provider},
                             {QStringLiteral("session"), *session},
                             {QStringLiteral("taskId"), *taskId},
                             {QStringLiteral("waitId"), *waitId},
                             {QStringLiteral("answer"), *checked}};
    return DeliveryCommand{
        QStringLiteral("delivery_dependency_ready"), fields, requestKeyOf(fields), std::nullopt, false, {}};
}

QString dependencySampleText(const Copy& copy) {
    return copy.text("サンプル確認です。操作は送信されません。", "Sample confirmation reviewed. No action was sent.");
}

std::optional<QString> deliverySendingText(DeliveryRequest request, const Copy& copy) {
    switch (request) {
    case DeliveryRequest::action:
        return copy.text("操作を送信中…", "Sending action…");
    case DeliveryRequest::policy:
        return copy.text("方針を変更中…", "Changing policy…");
    case DeliveryRequest::verify:
        return copy.text("検証結果を送信中…", "Sending verification…");
    case DeliveryRequest::dependency:
        break;
    }
    return std::nullopt;
}

QString deliveryResultText(DeliveryRequest request, bool ok, const std::optional<QString>& message, const Copy& copy) {
    switch (request) {
    case DeliveryRequest::action:
        return ok ? copy.text("操作を受け付けました。状態を更新します。", "Action accepted. Refreshing status.")
                  : message.value_or(copy.text("操作を完了できませんでした。状態を更新してください。",
                                               "Action failed. Refresh status and try again."));
    case DeliveryRequest::policy:
        return ok ? copy.text("方針を変更しました。状態を更新します。", "Policy changed. Refreshing status.")
                  : message.value_or(copy.text("方針を変更できませんでした。状態を更新してください。",
                                               "Policy change failed. Refresh status."));
    case DeliveryRequest::verify:
        return ok ? copy.text("検証結果を受け付けました。", "Verification accepted.")
                  : message.value_or(copy.text("検証できませんでした。状態を更新してください。",
                                               "Verification failed. Refresh status."));
    case DeliveryRequest::dependency:
        break;
    }
    return ok ? copy.text("確認を受け付けました。", "Confirmation accepted.")
              : message.value_or(copy.text("確認を送信できませんでした。", "Confirmation failed."));
}

QString deliveryHandoffManualText(const Copy& copy) {
    return copy.text("引き継ぎを記録しました。Codex で元の会話を手動で開いてください。",
                     "Handoff recorded. Open the original conversation in Codex manually.");
}
