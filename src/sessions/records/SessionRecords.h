#pragma once

#include "sessions/records/RunPredicates.h"
#include "ui/Copy.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// What one conversation record (and the delivery run that belongs to it) decides on its own: whether its turn
// runs, the state of its analysis, what auto-continue shows, which buttons may be offered. The list rows, the
// selected conversation, the form and the run pane all read these.

// A modal alert's texts: message, informative text and its only button.
struct SessionAlert {
    QString message;
    QString text;
    QString button;
};

// "binding"."mode"; "unmanaged" when missing.
QString bindingMode(const QJsonObject& session);

// The original conversation's turn runs: "isRunning", else "analysis"."awaitingTurn".
bool sessionTurnRunning(const QJsonObject& session);

// "waiting" while the turn runs; else "analysis"."state" when it is one of the nine known states ("unanalysed",
// "queued", "analyzing", "continue", "no_action", "needs_user", "waiting", "uncertain", "failed"); "unanalysed"
// when there is none; "uncertain" for any other word.
QString sessionAnalysisState(const QJsonObject& session);

struct AutoContinuePresentation {
    QString status; // short label
    QString title;  // heading of the analysis area
    QString reason; // intro; the host's "autoContinueReason" (masked) when it gives one
    friend bool operator==(const AutoContinuePresentation&, const AutoContinuePresentation&) = default;
};

// Only with auto-continue on and the turn not running, for a known "autoContinueStatus"; "watching" only while
// the analysis has not reached a result.
std::optional<AutoContinuePresentation> autoContinuePresentation(const QJsonObject& session, const Copy& copy);

// Short status of a conversation: "Running", else the auto-continue status, else the analysis state's name.
QString sessionAnalysisLabel(const QJsonObject& session, const Copy& copy);

bool canRetrySessionAnalysis(const QJsonObject& session);

// "session_analyze" when the analysis button may ask for an analysis; absent otherwise.
std::optional<QString> sessionAnalysisAction(const QJsonObject& session);

// Auto-continue may be switched: always when it is on (turning off stays possible), else as the host allows.
bool canSetAutoContinue(const QJsonObject& session);

// The analysis or the auto-continue status waits for the user's decision.
bool sessionNeedsUser(const QJsonObject& session);

// "Handoff needed" or "Awaiting result" for a run with an approved manual Codex action; absent otherwise.
std::optional<QString> approvedHandoffStatus(const QJsonObject& run, const Copy& copy);

// A run belongs to a conversation when their "provider" and "session" are equal as optional strings: both
// missing counts as equal, one missing as different.
// The first run of the conversation; absent when none.
std::optional<QJsonObject> matchingSessionRun(const QJsonObject& session, const QList<QJsonObject>& runs);
// The first conversation of the run; -1 when none.
qsizetype runSessionIndex(const QList<QJsonObject>& sessions, const QJsonObject& run);
// The run the pane presents for a conversation: its run while it is managed or waiting for a takeover.
std::optional<QJsonObject> presentedSessionRun(const QJsonObject& session, const QList<QJsonObject>& runs);

// The same matching for many conversations at once: the runs keyed by their "provider" and "session", the first
// run of each conversation kept.
class SessionRunIndex {
public:
    explicit SessionRunIndex(const QList<QJsonObject>& runs);
    std::optional<QJsonObject> find(const QJsonObject& session) const;

private:
    QList<QJsonObject> m_runs;
    QHash<QString, qsizetype> m_first;
};

// "Claude Code" for "claude", otherwise the provider capitalised ("codex" shows "Codex"), masked.
QString providerDisplayName(const QJsonObject& record);

// The masked title on one line, else the provider's name, " · " and the first 8 characters of the session id.
QString sessionDisplayTitle(const QJsonObject& session);

// The record's "provider" and "session" when both are non-empty strings; what every command names.
std::optional<QJsonObject> sessionCommandFields(const QJsonObject& session);
