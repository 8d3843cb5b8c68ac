#include "sessions/association/ActionDeadline.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QJsonArray>
#include <QStringList>

#include <limits>

namespace {

// A list of any length is joined only as far as a long text can show.
constexpr qsizetype kWorkItemLimit = 50;

QJsonValue valueOrNull(const QJsonObject& object, QStringView key) {
    const QJsonValue value = object.value(key);
    return value.isUndefined() ? QJsonValue(QJsonValue::Null) : value;
}

QString statusOf(const QJsonObject& deadline) {
    return stringAt(deadline, u"status").value_or(QStringLiteral("hidden"));
}

QString shortText(const std::optional<QString>& text) {
    return safeMessage(text, kShortTextLimit).value_or(QString());
}

} // namespace

std::optional<QString> deadlineWorkText(const QJsonValue& value) {
    if (value.isString()) {
        return value.toString().isEmpty() ? std::nullopt : std::optional<QString>(value.toString());
    }
    if (!value.isArray()) {
        return std::nullopt;
    }
    QStringList items;
    for (const QJsonValue& item : value.toArray()) {
        if (items.size() >= kWorkItemLimit) {
            break;
        }
        if (item.isString()) {
            items.append(item.toString());
        }
    }
    if (items.isEmpty()) {
        return std::nullopt;
    }
    return items.join(QStringLiteral(" · "));
}

QString deadlineOptionTitle(const QJsonObject& option, const Copy& copy) {
    const QString id = stringAt(option, u"id").value_or(QString());
    if (id == u"keep_scope") {
        return copy.text("今の範囲で続ける", "Keep the current scope");
    }
    if (id == u"revise_deadline") {
        return copy.text("新しい期限を相談する", "Propose a new deadline");
    }
    if (id == u"reduce_scope") {
        return copy.text("作業範囲を小さくする案を相談する", "Propose a smaller scope");
    }
    return shortText(stringAt(option, u"title"));
}

QString deadlineOptionDescription(const QJsonObject& option, const Copy& copy) {
    const QString id = stringAt(option, u"id").value_or(QString());
    if (id == u"keep_scope") {
        return copy.text("残りの作業を続けます。期限内の完了を保証するものではありません。",
                         "Continue the remaining work without changing the Action. Completion by the deadline is not "
                         "guaranteed.");
    }
    if (id == u"revise_deadline") {
        return copy.text("必要な時間を確認し、期限の変更を相談します。",
                         "Discuss a new deadline before changing the Action.");
    }
    if (id == u"reduce_scope") {
        return copy.text("後回しにできる作業を確認してから、範囲の変更を相談します。",
                         "Discuss what to defer before changing the Action.");
    }
    return safeMessage(stringAt(option, u"description"), kLongTextLimit).value_or(QString());
}

DeadlineBox deadlineBox(const QJsonObject& record, bool inFlight, bool connectedOrPreview, const Copy& copy) {
    DeadlineBox box;
    const QJsonObject deadline = objectAt(record, u"actionDeadline");
    const QString status = statusOf(deadline);
    const bool linked = objectAt(objectAt(record, u"actionAssociation"), u"binding").value(u"action").isObject();
    box.visible =
        linked && (status == u"due" || status == u"overdue" || status == u"decided" || status == u"unavailable");
    if (!box.visible) {
        return box;
    }
    const bool decided = status == u"decided";
    if (decided) {
        box.title = copy.text("対応を保存しました", "Decision saved");
    } else if (status == u"overdue") {
        box.title = copy.text("期限を過ぎています", "The Action is overdue");
    } else if (status == u"unavailable") {
        box.title = copy.text("期限を確認できません", "Deadline unavailable");
    } else {
        box.title = copy.text("期限が近づいています", "The Action is due soon");
    }
    box.titleColor = decided ? Theme::text : Theme::attentionInk;
    box.fill = decided ? Theme::input : Theme::attentionFill;
    box.outline = decided ? Theme::border : Theme::attentionBorder;

    if (decided) {
        const std::optional<QString> choice = stringAt(objectAt(deadline, u"decision"), u"choice");
        for (const QJsonObject& option : objectsAt(deadline, u"options")) {
            if (choice && stringAt(option, u"id") == choice) {
                box.summary = deadlineOptionTitle(option, copy);
                break;
            }
        }
        if (box.summary.isEmpty()) {
            box.summary = copy.text("選択を保存済み", "Your choice is saved");
        }
    } else if (status == u"unavailable") {
        const QJsonValue online = deadline.value(u"online");
        box.summary = online.isBool() && !online.toBool()
                          ? copy.text("接続を回復すると期限を確認できます。", "Reconnect to check the deadline.")
                          : copy.text("期限の日付とタイムゾーンを確認し、再読み込みしてください。",
                                      "Check the Action's date and timezone, then reload.");
    } else {
        box.summary = shortText(deadlineWorkText(deadline.value(u"remainingWork")));
        if (box.summary.isEmpty()) {
            box.summary = copy.text("残りの作業を確認して、進め方を選んでください。",
                                    "Review the remaining work and choose how to proceed.");
        }
    }
    box.buttonTitle =
        decided ? copy.text("選択を変更", "Change decision") : copy.text("進め方を確認", "Review deadline");
    box.buttonEnabled =
        !inFlight && connectedOrPreview && deadline.value(u"reminder").isObject() && status != u"unavailable";
    return box;
}

DeadlineReview deadlineReview(const QJsonObject& deadline, const Copy& copy) {
    DeadlineReview review;
    const std::optional<QString> decided = stringAt(objectAt(deadline, u"decision"), u"choice");
    const std::optional<QString> recommended = stringAt(objectAt(deadline, u"recommendation"), u"optionId");
    review.choice = decided.value_or(recommended.value_or(QString()));
    const std::optional<QString> work = safeMessage(deadlineWorkText(deadline.value(u"remainingWork")), kLongTextLimit);
    review.work = copy.text("残りの作業: ", "Still to do: ") +
                  work.value_or(copy.text("元の会話で確認してください。", "Review the original conversation."));
    if (const std::optional<QString> blocker =
            safeMessage(deadlineWorkText(deadline.value(u"blocker")), kLongTextLimit)) {
        review.blocker = copy.text("待っていること: ", "Blocked by: ") + *blocker;
    }
    for (const QJsonObject& option : objectsAt(deadline, u"options")) {
        if (review.options.size() >= kDeadlineOptionLimit) {
            break;
        }
        const std::optional<QString> id = stringAt(option, u"id");
        if (!id) {
            continue;
        }
        QString title = deadlineOptionTitle(option, copy);
        if (recommended && *id == *recommended) {
            title += copy.text(" · おすすめ", " · Recommended");
        }
        review.options.append({*id, title, deadlineOptionDescription(option, copy)});
    }
    return review;
}

QJsonObject deadlineFields(const QJsonObject& record, const QJsonObject& snapshot, const QString& requestId,
                           const QString& choice) {
    const QJsonObject reminder = objectAt(snapshot, u"reminder");
    return QJsonObject{
        {QStringLiteral("provider"), stringAt(record, u"provider").value_or(QString())},
        {QStringLiteral("session"), stringAt(record, u"session").value_or(QString())},
        {QStringLiteral("taskId"), stringAt(record, u"taskId").value_or(QString())},
        {QStringLiteral("actionId"), valueOrNull(snapshot, u"actionId")},
        {QStringLiteral("reminderKey"), valueOrNull(reminder, u"key")},
        {QStringLiteral("reminderRevision"), valueOrNull(reminder, u"revision")},
        {QStringLiteral("expectedActionRevision"), valueOrNull(snapshot, u"actionRevision")},
        {QStringLiteral("expectedBindingRevision"), valueOrNull(snapshot, u"bindingRevision")},
        {QStringLiteral("expectedDecisionRevision"), valueOrNull(objectAt(snapshot, u"decision"), u"revision")},
        {QStringLiteral("requestId"), requestId},
        {QStringLiteral("choice"), choice},
    };
}

QJsonObject deadlineReminderTag(const QJsonObject& snapshot) {
    const QJsonObject reminder = objectAt(snapshot, u"reminder");
    return {{QStringLiteral("key"), valueOrNull(reminder, u"key")},
            {QStringLiteral("revision"), valueOrNull(reminder, u"revision")}};
}

bool deadlineSavable(const QJsonObject& record, const QJsonObject& snapshot, const QString& choice) {
    return !choice.isEmpty() && !stringAt(record, u"taskId").value_or(QString()).isEmpty() &&
           snapshot.value(u"reminder").isObject();
}

QJsonObject previewDeadline(const QJsonObject& deadline, const QString& requestId, const QString& choice) {
    const QJsonObject old = objectAt(deadline, u"decision");
    const qint64 revision = old.value(u"revision").isDouble() ? integerAt(old, u"revision", 0) : 0;
    QJsonObject next = deadline;
    next.insert(QStringLiteral("status"), QStringLiteral("decided"));
    next.insert(QStringLiteral("decision"),
                QJsonObject{{QStringLiteral("id"), requestId},
                            {QStringLiteral("choice"), choice},
                            {QStringLiteral("revision"),
                             revision < std::numeric_limits<qint64>::max() ? revision + 1 : revision}});
    return next;
}

QString deadlineSaveTitle(bool inFlight, const Copy& copy) {
    return inFlight ? copy.text("保存中…", "Saving…") : copy.text("選択を保存", "Save decision");
}

QString deadlineFailedText(const std::optional<QString>& message, const Copy& copy) {
    if (message && !message->trimmed().isEmpty()) {
        return *message;
    }
    return copy.text("保存できませんでした。閉じて再読み込みしてください。",
                     "Could not save. Close and reload before retrying.");
}
