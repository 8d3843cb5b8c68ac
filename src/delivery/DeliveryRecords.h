#pragma once

#include "sessions/records/RunPredicates.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a managed run record decides on its own: its picker title, its state word, the facts the run pane is
// built from, and the criteria the user may verify by hand. Every host text here is masked and cut.

// Picker item: provider, " · ", then the objective on one line (masked, at most 100 characters), else "taskId".
QString deliveryPickerTitle(const QJsonObject& run);
QStringList deliveryPickerTitles(const QList<QJsonObject>& runs);

// The state badge word of a run; a state outside the vocabulary shows its derived name.
QString deliveryStateName(const QString& state, const Copy& copy);

// "autonomous", "balanced" or "strict".
bool isAutonomyPolicy(const QString& value);

// The values the run pane's chain reads, computed once per render. Texts are masked and cut to 180.
struct DeliveryRunFacts {
    QString state;                   // "state"; "unknown" when missing, as everywhere in the snapshot
    std::optional<QString> question; // escalation's "userQuestion" when a string, else the plan's
    std::optional<QString> reason;   // "reason"
    std::optional<QString> approvalSummary;
    std::optional<QString> approvalScope;
    std::optional<QString> next;       // "nextStep", else "remainingWork"
    bool isDone = false;               // "completed", "complete" or "succeeded"
    bool manualRecovery = false;       // capability "manual_recovery"
    bool providerSessionEnded = false; // the reason says the provider's conversation ended
    bool hasPendingApproval = false;   // "pendingApproval"."id" is a non-empty string
    bool approvalDenied = false;       // ... and that approval was declined
    bool approvalPending = false;      // pending, not declined, and the host lets the user approve
    bool handoff = false;              // an approved manual Codex action, in "recovery_required" or "active"
    bool isRecovery = false;           // handoff in "recovery_required"
    bool waitingForSession = false;    // Codex app-server recovery waiting for the conversation to be free
    bool depWait = false;              // dependencyWaiting(run)
};
DeliveryRunFacts deliveryRunFacts(const QJsonObject& run);

// A criterion the user may mark verified: pending, with a manual check. Title: its masked description or empty.
struct PendingCriterion {
    QString id;
    QString title;
    friend bool operator==(const PendingCriterion&, const PendingCriterion&) = default;
};
QList<PendingCriterion> pendingManualCriteria(const QJsonObject& run);

// Disclosure and tab titles of the run pane.
QString deliveryDetailsToggleTitle(bool open, const Copy& copy);
QString deliverySettingsToggleTitle(bool open, const Copy& copy);
QStringList deliveryDetailsTabTitles(const Copy& copy);
