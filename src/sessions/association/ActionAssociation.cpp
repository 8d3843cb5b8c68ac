#include "sessions/association/ActionAssociation.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QJsonArray>

#include <limits>

namespace {

QString statusOf(const QJsonObject& association) {
    return stringAt(association, u"status").value_or(QString());
}

// One line of host text for a label or a picker item.
QString hostLine(const std::optional<QString>& text) {
    QString line = safeMessage(text, kShortTextLimit).value_or(QString());
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}

// The status's own text, replacing the label or appended to the title; absent for a status without one.
std::optional<QString> statusText(const QString& status, const Copy& copy) {
    if (status == u"assessing") {
        return copy.text("Action を照合中…", "Finding a related task…");
    }
    if (status == u"waiting_boundary") {
        return copy.text("会話の次の安全な手順を待機中", "Waiting for the conversation’s next safe step");
    }
    if (status == u"pending_sync") {
        return copy.text("Action の関連を保存中…", "Saving association…");
    }
    if (status == u"offline") {
        return copy.text("オフライン · Action の関連確認を再試行します",
                         "Offline · we’ll check the related task again");
    }
    if (status == u"no_match") {
        return copy.text("一致する Action が見つかりません", "No linked task. Your conversation can still continue.");
    }
    return std::nullopt;
}

QJsonValue valueOrNull(const QJsonObject& object, QStringView key) {
    const QJsonValue value = object.value(key);
    return value.isUndefined() ? QJsonValue(QJsonValue::Null) : value;
}

bool isUnavailable(const QJsonObject& association) {
    return boolAt(association, u"unavailable") || statusOf(association) == u"unavailable";
}

} // namespace

AssociationPresentation associationPresentation(const QJsonObject& record, const Copy& copy) {
    AssociationPresentation p;
    const QJsonObject association = objectAt(record, u"actionAssociation");
    p.visible = !stringAt(record, u"provider").value_or(QString()).isEmpty() &&
                !stringAt(record, u"session").value_or(QString()).isEmpty();
    const QString status = statusOf(association);
    p.unavailable = isUnavailable(association);
    p.locked = association.value(u"canCorrect").isBool() && !association.value(u"canCorrect").toBool();
    p.signedOut = status == u"signed_out";
    const QJsonObject binding = objectAt(association, u"binding");
    const QJsonObject action = objectAt(binding, u"action");
    const QString title = hostLine(stringAt(action, u"title"));
    p.titled = !title.isEmpty();
    p.linkedActionId = stringAt(action, u"id").value_or(QString());

    if (status == u"loading") {
        p.label = copy.text("関連するタスクを確認中…", "Finding a related task…");
    } else if (p.signedOut) {
        p.label = copy.text("ログインするとタスクを表示できます", "Sign in to see your tasks");
    } else if (p.unavailable) {
        p.label = copy.text("今はタスクを読み込めません。会話は続けられます。",
                            "Tasks could not be loaded. Your conversation can still continue.");
    } else if (title.isEmpty() && status == u"ambiguous") {
        p.label =
            copy.text("候補があります。必要なら選んでください。", "More than one task may fit. You can choose one.");
    } else if (title.isEmpty()) {
        p.label = copy.text("未接続", "Not linked");
    } else {
        p.label = title;
        const QString due = hostLine(stringAt(action, u"dueAt"));
        if (!due.isEmpty()) {
            p.label += copy.text(" · 期限 ", " · Due ") + due;
        }
    }
    if (const std::optional<QString> own = statusText(status, copy)) {
        p.label = p.titled ? p.label + QStringLiteral(" · ") + *own : *own;
    }
    p.labelColor = p.titled ? Theme::accent : Theme::secondary;

    if (p.signedOut) {
        p.toggleTitle = copy.text("ログイン", "Sign in");
    } else if (!p.titled) {
        p.toggleTitle = copy.text("Action を接続", "Link Action");
    } else {
        p.toggleTitle = copy.text("変更", "Change");
    }
    return p;
}

QList<AssociationPickerItem> associationPickerItems(const QJsonObject& record) {
    const QJsonObject association = objectAt(record, u"actionAssociation");
    QList<AssociationPickerItem> items;
    if (isUnavailable(association)) {
        return items;
    }
    for (const QJsonValue& value : arrayAt(association, u"candidates")) {
        if (items.size() >= kAssociationCandidateLimit) {
            break;
        }
        const QJsonObject candidate = value.toObject();
        const std::optional<QString> id = stringAt(candidate, u"id");
        const QString title = hostLine(stringAt(candidate, u"title"));
        // An item with nothing to read would be a blank choice.
        if (id && !title.isEmpty()) {
            items.append({title, *id});
        }
    }
    return items;
}

AssociationReview associationReview(const QJsonObject& record) {
    const QJsonObject association = objectAt(record, u"actionAssociation");
    AssociationReview review;
    review.bindingRevision = valueOrNull(objectAt(association, u"binding"), u"revision");
    review.contextRevision = valueOrNull(association, u"contextRevision");
    review.candidateRevision = valueOrNull(association, u"candidateRevision");
    review.actions = objectsAt(association, u"candidates");
    return review;
}

AssociationControls associationControls(const AssociationPresentation& p, const AssociationControlFacts& facts) {
    const bool live = facts.connected || facts.preview;
    const bool changeable = !facts.inFlight && live && !p.locked && !p.unavailable;
    return {
        .save = changeable && facts.pickerHasValue,
        .unlink = changeable && p.titled,
        .refresh = !facts.inFlight && !facts.preview && facts.connected,
        .cancel = !facts.inFlight,
    };
}

QString associationAction(AssociationCommand command) {
    switch (command) {
    case AssociationCommand::select:
        return QStringLiteral("session_action_select");
    case AssociationCommand::unlink:
        return QStringLiteral("session_action_unlink");
    case AssociationCommand::refresh:
        break;
    }
    return QStringLiteral("session_action_refresh");
}

std::optional<QString> associationRefusal(const QJsonObject& record, AssociationCommand command, const Copy& copy) {
    if (stringAt(record, u"taskId").value_or(QString()).isEmpty()) {
        return copy.text("会話を確認中です。再読み込みしてください。",
                         "The conversation is still loading. Reload and try again.");
    }
    if (command == AssociationCommand::refresh) {
        return std::nullopt;
    }
    const QJsonObject association = objectAt(record, u"actionAssociation");
    const QString status = statusOf(association);
    const bool locked = association.value(u"canCorrect").isBool() && !association.value(u"canCorrect").toBool();
    if (locked || isUnavailable(association) || status == u"signed_out" || status == u"offline") {
        return copy.text("今は変更できません。接続を確認して再読み込みしてください。",
                         "Changes are unavailable. Reconnect and reload.");
    }
    return std::nullopt;
}

QJsonObject associationFields(const QJsonObject& record, const std::optional<AssociationReview>& review,
                              AssociationCommand command, const QString& actionId) {
    const AssociationReview expected = review ? *review : associationReview(record);
    QJsonObject fields{
        {QStringLiteral("provider"), stringAt(record, u"provider").value_or(QString())},
        {QStringLiteral("session"), stringAt(record, u"session").value_or(QString())},
        {QStringLiteral("taskId"), stringAt(record, u"taskId").value_or(QString())},
        {QStringLiteral("expectedBindingRevision"), expected.bindingRevision},
        {QStringLiteral("expectedContextRevision"), expected.contextRevision},
        {QStringLiteral("expectedCandidateRevision"), expected.candidateRevision},
    };
    if (command == AssociationCommand::select) {
        QJsonValue actionRevision = QJsonValue::Null;
        for (const QJsonObject& candidate : expected.actions) {
            if (stringAt(candidate, u"id") == actionId) {
                actionRevision = valueOrNull(candidate, u"revision");
                break;
            }
        }
        fields.insert(QStringLiteral("actionId"), actionId);
        fields.insert(QStringLiteral("expectedActionRevision"), actionRevision);
    }
    return fields;
}

QJsonObject previewAssociation(const QJsonObject& association, const std::optional<QJsonObject>& candidate) {
    QJsonObject binding = objectAt(association, u"binding");
    // A revision that is not an integer counts as 0; integerAt also refuses one with a fraction.
    const QJsonValue old = binding.value(u"revision");
    const qint64 revision = old.isDouble() ? integerAt(binding, u"revision", 0) : 0;
    binding.insert(QStringLiteral("revision"), revision < std::numeric_limits<qint64>::max() ? revision + 1 : revision);
    binding.insert(QStringLiteral("origin"), QStringLiteral("user"));
    binding.insert(QStringLiteral("locked"), true);
    binding.insert(QStringLiteral("action"), candidate ? QJsonValue(*candidate) : QJsonValue(QJsonValue::Null));
    QJsonObject next = association;
    next.insert(QStringLiteral("binding"), binding);
    next.insert(QStringLiteral("status"), QStringLiteral("bound"));
    return next;
}

QString associationSavingText(const Copy& copy) {
    return copy.text("保存中…", "Saving…");
}

QString associationWaitingText(const Copy& copy) {
    return copy.text("応答を待っています。結果が分かるまで再送はできません。",
                     "Waiting for confirmation. The request is still in progress.");
}

QString associationUpdatedText(const Copy& copy) {
    return copy.text("Action の関連を更新しました", "Action association updated");
}

QString associationFailedText(const std::optional<QString>& message, const Copy& copy) {
    if (message && !message->trimmed().isEmpty()) {
        return *message;
    }
    return copy.text("保存できませんでした。再読み込みして、もう一度お試しください。",
                     "Could not save. Reload and try again.");
}

QString associationPreviewStaleText(const Copy& copy) {
    return copy.text("関連が更新されました。閉じて、もう一度確認してください。",
                     "The linked Action changed. Close and review the latest choice.");
}

QString associationPreviewUpdatedText(const Copy& copy) {
    return copy.text("サンプルの関連を更新しました。", "Sample association updated.");
}

QString associationSaveTitle(bool inFlight, const Copy& copy) {
    return inFlight ? copy.text("保存中…", "Saving…") : copy.text("保存", "Save");
}
