#pragma once

#include "delivery/DeliveryRecords.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The commands that steer a managed run: what is sent, what is asked first, and the feedback line's texts. Each
// builder returns none when the action must end silently (missing fields, nothing to do); the caller then sends
// nothing and changes no text.

// A modal alert; only the second button continues. A single-button alert has an empty `secondButton`.
struct DeliveryAlert {
    QString message;
    QString detail;
    QString firstButton;
    QString secondButton;
    friend bool operator==(const DeliveryAlert&, const DeliveryAlert&) = default;
};

struct DeliveryCommand {
    QString action;
    QJsonObject fields;
    QString requestKey; // the run's identity, compared with the selection when the result arrives
    std::optional<DeliveryAlert> confirmation;
    // Resuming a Codex recovery hands the approved action back to the user: on success the original conversation
    // is opened at exactCodexThreadURL(handoffTarget, fields "session"), when that gives a link.
    bool handoff = false;
    QJsonObject handoffTarget;
};

// The six run buttons: "delivery_pause", "delivery_resume", "delivery_approve", "delivery_reject",
// "delivery_replan", "delivery_stop"; `approval` adds "approvalId". `turnRunning` is sessionTurnRunning of the
// run's conversation (false without one): a running turn is never resumed.
std::optional<DeliveryCommand> deliveryAction(const QJsonObject& run, const QString& action, bool approval,
                                              bool turnRunning, const Copy& copy);

// What the primary button does for the presented run.
enum class PrimaryDeliveryStep {
    nothing,
    confirmDependency, // confirmDependencyReady(run)
    sampleAlert,       // preview: primarySampleAlert explains instead of sending
    approve,           // deliveryAction "delivery_approve", approval
    resume,            // deliveryAction "delivery_resume"
    verify             // verifyDelivery
};
PrimaryDeliveryStep primaryDeliveryStep(const QJsonObject& run, bool hasPendingManualCriteria, bool fixtureMode);
DeliveryAlert primarySampleAlert(const QJsonObject& run, const Copy& copy);

// "delivery_set_policy" with the picked policy; none when it is not a policy or is the run's already.
std::optional<DeliveryCommand> policyCommand(const QJsonObject& run, const std::optional<QString>& picked);

// "delivery_verify" for the picked pending manual criterion, asking first.
std::optional<DeliveryCommand> verifyCommand(const QJsonObject& run, const QList<PendingCriterion>& criteria,
                                             qsizetype index, const Copy& copy);

// Confirming an external dependency: the prompt (an alert with a text field), then the typed answer, then the
// command. In preview the answer is acknowledged by dependencySampleText and nothing is sent; while disconnected
// nothing is sent either.
struct DependencyPrompt {
    DeliveryAlert alert;
    QString placeholder; // of the 360 by 60 text field below the detail
};
std::optional<DependencyPrompt> dependencyPrompt(const QJsonObject& run, const Copy& copy);
inline constexpr qsizetype kDependencyAnswerLimit = 1000; // UTF-16 code units
// The typed text trimmed; none when it is empty or too long.
std::optional<QString> dependencyAnswer(const QString& typed);
std::optional<DeliveryCommand> dependencyCommand(const QJsonObject& run, const QString& answer);
QString dependencySampleText(const Copy& copy);

// Feedback line of each kind of command: while it is in flight (none: the line stays as it is), and after its
// result. `message` is the result's own text, already made safe.
enum class DeliveryRequest { action, policy, verify, dependency };
std::optional<QString> deliverySendingText(DeliveryRequest request, const Copy& copy);
QString deliveryResultText(DeliveryRequest request, bool ok, const std::optional<QString>& message, const Copy& copy);
// A recorded handoff whose conversation could not be opened.
QString deliveryHandoffManualText(const Copy& copy);
