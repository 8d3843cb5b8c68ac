#pragma once

#include "ui/Copy.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// What the selected conversation shows in the shared pane: the empty state, the branch taken for its binding
// (the run's own pane, a takeover or loading placeholder, or the conversation view), and the context row.
// Every text is plain text; host texts in it are already masked.

struct SessionEmptyState {
    QString title;
    QString headline;
    QString badge;
    QString next; // the discovery problem, or the hint to check provider setup
};

SessionEmptyState sessionEmptyState(const QString& discoveryMessage, const Copy& copy);

enum class SessionPaneKind {
    run,          // select `run` in the run picker and draw its pane; then apply the takeover texts if set
    placeholder,  // a takeover or managed binding whose run does not exist yet
    conversation, // the conversation view: form, analysis area, context row
};

struct SessionPanePresentation {
    SessionPaneKind kind = SessionPaneKind::conversation;
    std::optional<QJsonObject> run;
    // Over a run's pane (`takeover`) or as the placeholder: the lines to write. The goal line is left as the run
    // drew it when absent; the attention and next-step lines are hidden when empty.
    bool takeover = false; // also hides the primary button
    int headlineLines = 1;
    QString headline;
    QString badge;
    std::optional<QString> goal;
    QString attention;
    QString next;
};

SessionPanePresentation sessionPanePresentation(const QJsonObject& session, const QList<QJsonObject>& runs,
                                                const Copy& copy);

// The conversation view's badge, eyeline and buttons.
struct SessionConversationPresentation {
    QString badge; // "Monitoring" / "Available"; kept hidden
    QString eyeline;
    bool needsYou = false; // attention fill, border and ink on the badge and eyeline
    bool manualToggleVisible = false;
    QString manualToggleTitle;
    QString capabilityNote; // empty when auto-continue may be used
    bool retryVisible = false;
    bool retryEnabled = false;
    bool manualSubmitVisible = false;
    bool manualSubmitEnabled = false;
};

// `reachable`: connected to the host, or in preview mode.
SessionConversationPresentation sessionConversationPresentation(const QJsonObject& session, bool manualOpen,
                                                                bool reachable, const Copy& copy);

enum class SessionToggle { preferences, evidence, manual, advanced };
QString sessionToggleTitle(SessionToggle toggle, bool open, const Copy& copy);

struct AutoContinueSwitchPresentation {
    bool on = false;
    bool enabled = false; // the label button follows
    QString hint;
};

// `pending`: a change of this conversation's auto-continue is in flight.
AutoContinueSwitchPresentation autoContinueSwitchPresentation(const QJsonObject& session, bool pending, bool reachable,
                                                              const Copy& copy);

// Name of a provider goal's "status"; empty for an unknown one.
QString providerGoalStatusLabel(const QString& status, const Copy& copy);
// "updatedAt": seconds since 1970 (above 0), or internet date-time text; absent otherwise.
std::optional<QDateTime> providerGoalUpdatedAt(const QJsonValue& value);

struct ProviderGoalPresentation {
    std::optional<QString> objective; // the goal group is hidden without one; also the tool tip
    QString meta;                     // "Original goal · In progress · <short date and time>"
};

ProviderGoalPresentation providerGoalPresentation(const QJsonObject& session, const Copy& copy,
                                                  const QLocale& locale = QLocale());
