#pragma once

#include "ui/Copy.h"
#include "ui/Tone.h"

#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// The conversation list: which group a record is listed under, the headed rows with their counts, the search
// filter, the selection kept across reloads, and what each row says.

// In display order.
enum class SessionGroup { autoContinue = -1, needsYou = 0, supervising = 1, conversations = 2 };

// The group of a record by its own state and its run, whatever its auto-continue flag (row colour and dot).
SessionGroup sessionGroup(const QJsonObject& session, const QList<QJsonObject>& runs);
// Where the record is listed: "Auto-continue" when it is on, else its own group.
SessionGroup sessionListGroup(const QJsonObject& session, const QList<QJsonObject>& runs);
// The same with the runs looked up by conversation, for many sessions at once.
class SessionRunIndex;
SessionGroup sessionListGroup(const QJsonObject& session, const SessionRunIndex& runs);
QString sessionGroupHeading(SessionGroup group, const Copy& copy);

struct SessionListRow {
    std::optional<qsizetype> candidateIndex;          // index into the records; absent for a heading row
    QString heading;                                  // "Needs you · 2"; empty for a session row
    SessionGroup group = SessionGroup::conversations; // a "Needs you" heading takes the attention ink
    friend bool operator==(const SessionListRow&, const SessionListRow&) = default;
};

// "title", "provider" and "cwd", each when it is a string, joined with single spaces.
QString sessionSearchText(const QJsonObject& session);
// The search text holds the query, ignoring case as the locale does; a blank query matches everything.
bool sessionMatchesSearch(const QJsonObject& session, const QString& query, const QLocale& locale = QLocale());

// Per group, in display order: a heading with the number of matching records, then their rows in host order.
// Groups without a match add nothing.
QList<SessionListRow> sessionListRows(const QList<QJsonObject>& records, const QList<QJsonObject>& runs,
                                      const QString& query, const Copy& copy, const QLocale& locale = QLocale());
// The same with each record's list group already known (`groups` in the records' order).
QList<SessionListRow> groupedSessionRows(const QList<QJsonObject>& records, const QList<SessionGroup>& groups,
                                         const QString& query, const Copy& copy, const QLocale& locale = QLocale());

// The row to select after a reload: the first row of the remembered conversation, else the first session row;
// absent when there is none.
std::optional<qsizetype> sessionRowToSelect(const QList<SessionListRow>& rows, const QList<QJsonObject>& records,
                                            const QString& rememberedIdentity);

// The host's records, or, when it lists none but runs exist, one stand-in record per run.
QList<QJsonObject> sessionRecordsOrFallback(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs);

// The status after the provider's name: the binding or analysis label, overridden by a running turn or by what
// the run waits for.
QString sessionStatusText(const QJsonObject& session, const std::optional<QJsonObject>& run, const Copy& copy);

struct SessionRowPresentation {
    QString title;          // also the tool tip
    QString subtitle;       // provider · status
    bool attention = false; // subtitle in the attention ink
    Tone dot = Tone::neutral;
    friend bool operator==(const SessionRowPresentation&, const SessionRowPresentation&) = default;
};

SessionRowPresentation sessionRowPresentation(const QJsonObject& session, const QList<QJsonObject>& runs,
                                              const Copy& copy);
// The same, with the conversation's run already found (matchingSessionRun, SessionRunIndex).
SessionRowPresentation sessionRowPresentation(const QJsonObject& session, const std::optional<QJsonObject>& run,
                                              const Copy& copy);
