#pragma once

#include "ui/Copy.h"
#include "ui/Theme.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The deadline reminder of a linked Action ("actionDeadline"): how the user wants to meet it. The decision carries
// the revisions of the reminder the user reviewed, and a request id that a retry of the same choice reuses.

// The review shows at most this many options: each costs a radio button.
inline constexpr qsizetype kDeadlineOptionLimit = 20;

// A non-empty string as it is, a non-empty list of strings joined with " · "; absent otherwise. Not yet masked.
std::optional<QString> deadlineWorkText(const QJsonValue& value);

QString deadlineOptionTitle(const QJsonObject& option, const Copy& copy);
QString deadlineOptionDescription(const QJsonObject& option, const Copy& copy);

struct DeadlineBox {
    bool visible = false;
    QString title;
    ThemeColor titleColor = Theme::attentionInk;
    ThemeColor fill = Theme::attentionFill;
    ThemeColor outline = Theme::attentionBorder;
    QString summary;
    QString buttonTitle;
    bool buttonEnabled = false;
};

DeadlineBox deadlineBox(const QJsonObject& record, bool inFlight, bool connectedOrPreview, const Copy& copy);

struct DeadlineOptionItem {
    QString id;
    QString title; // with the recommended mark
    QString description;
};

struct DeadlineReview {
    QString choice; // preselected: the saved decision, else the recommendation
    QString work;
    std::optional<QString> blocker; // the line is hidden when absent
    QList<DeadlineOptionItem> options;
};

DeadlineReview deadlineReview(const QJsonObject& deadline, const Copy& copy);

// "session_deadline_decide" for the drawn record, from the deadline as it was when the review opened.
QJsonObject deadlineFields(const QJsonObject& record, const QJsonObject& snapshot, const QString& requestId,
                           const QString& choice);

// The reminder a decision answers, as its "key" and "revision": a request id belongs to one of them.
QJsonObject deadlineReminderTag(const QJsonObject& snapshot);

// Whether a decision can be saved: a choice, a task and a reminder to answer.
bool deadlineSavable(const QJsonObject& record, const QJsonObject& snapshot, const QString& choice);

// The preview's local decision.
QJsonObject previewDeadline(const QJsonObject& deadline, const QString& requestId, const QString& choice);

QString deadlineSaveTitle(bool inFlight, const Copy& copy);
QString deadlineFailedText(const std::optional<QString>& message, const Copy& copy);
