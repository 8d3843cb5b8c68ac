#pragma once

#include "sessions/records/SessionRecords.h"
#include "ui/Copy.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The supervision form of a conversation: the per-conversation draft, the choices it offers, the commands its
// buttons send and the checks before them, and the bookkeeping of an auto-continue change in flight.

// What the user typed and chose for one conversation, kept while moving between conversations.
struct SessionDraft {
    QString goal;     // as typed, untrimmed
    QString criteria; // as typed, one criterion per line
    QString policy = QStringLiteral("balanced");
    int minutes = 30;
    int continuations = 6;
    int failures = 3;
    bool advanced = false;
    bool manual = false;
    friend bool operator==(const SessionDraft&, const SessionDraft&) = default;
};

struct SessionPolicyChoice {
    const char* value;
    const char* japanese;
    const char* english;
};

inline constexpr std::array<SessionPolicyChoice, 3> kSessionPolicies{{
    {"balanced", "バランス", "Balanced"},
    {"strict", "厳格", "Strict"},
    {"autonomous", "自律", "Autonomous"},
}};
inline constexpr std::array kSessionMinuteChoices{15, 30, 60};
inline constexpr std::array kSessionContinuationChoices{3, 6, 12};
inline constexpr std::array kSessionFailureChoices{1, 3, 5};

// What the host accepts for a manual goal, in user-perceived characters.
inline constexpr int kSessionGoalLimit = 2000;
inline constexpr int kSessionCriterionLimit = 500;
inline constexpr int kSessionCriteriaMaximum = 20;

// The policy's title; absent for a value the form does not offer.
std::optional<QString> sessionPolicyTitle(const QString& value, const Copy& copy);

// Non-blank lines of the criteria text, each trimmed.
QStringList sessionCriteriaLines(const QString& text);
// {"id": "criterion_<n>", "description", "check": {"type": "manual"}} per criterion, numbered from 1.
QJsonArray acceptanceCriteria(const QStringList& criteria);

struct SessionEnrolment {
    enum class Outcome {
        ignored, // nothing to do: no conversation to name, turn running, enrolment not allowed, a choice not offered
        refused, // the goal or the criteria are out of bounds; `message` says so
        ready,   // send "session_enroll" with `fields`
    };
    Outcome outcome = Outcome::ignored;
    QJsonObject fields;
    QString message;
};

SessionEnrolment sessionEnrolment(const QJsonObject& session, const SessionDraft& draft, const Copy& copy);

// The fields of "session_analyze" when the analysis button may ask for one (the manual form closed); absent
// otherwise.
std::optional<QJsonObject> sessionAnalyzeFields(const QJsonObject& session);

// The analysis preview mode pretends the host returned: the record's sample result, else remaining work.
QJsonObject previewAnalysisResult(const QJsonObject& session, const Copy& copy);

// The alert preview mode shows instead of enrolling; `fields` as built by `sessionEnrolment`.
SessionAlert previewEnrolmentAlert(const QJsonObject& fields, const Copy& copy);

enum class SessionFormMessage { updating, accepted, failed, autoContinueFailed };
QString sessionFormMessage(SessionFormMessage message, const Copy& copy);

// An auto-continue change the user asked for and the host has not yet shown.
struct PendingSessionAutoContinue {
    bool desired = false;
    bool accepted = false; // the host answered the request successfully
    friend bool operator==(const PendingSessionAutoContinue&, const PendingSessionAutoContinue&) = default;
};

// Keyed by session identity.
using PendingSessionAutoContinueTable = QHash<QString, PendingSessionAutoContinue>;

// Drops the accepted entries whose conversation now shows the desired value (missing counts as off); keeps
// entries still waiting for their result, for a conversation no longer listed, or not yet reflected.
PendingSessionAutoContinueTable reconcilePendingAutoContinue(const PendingSessionAutoContinueTable& pending,
                                                             const QList<QJsonObject>& records);

struct AutoContinueToggle {
    enum class Outcome {
        redraw, // the switch goes back to the record's value
        ignored,
        send, // record `desired` as pending and send "session_set_auto_continue" with `fields`
    };
    Outcome outcome = Outcome::ignored;
    bool desired = false;
    QJsonObject fields;
};

// The switch of the selected conversation was flipped: asks for the opposite of what the record says, whatever
// the switch shows. `record` is absent when the conversation is gone; `pending` when a change is in flight.
AutoContinueToggle autoContinueToggle(const std::optional<QJsonObject>& record, bool reachable, bool pending);
