#pragma once

#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// The analysis area of a conversation: what the host has established about its latest finished turn, the
// evidence behind it and the way back to the original conversation; and the shorter summary that replaces a
// run's details when its conversation has auto-continue. Host texts in every result are masked and cut.

struct SessionAnalysisHeading {
    QString heading;
    QString intro;
    friend bool operator==(const SessionAnalysisHeading&, const SessionAnalysisHeading&) = default;
};

SessionAnalysisHeading sessionAnalysisHeading(const QJsonObject& session, const Copy& copy);

struct SessionDetailEntry {
    QString text;
    bool goal = false; // the objective: larger, at most three lines, full text as tool tip
    friend bool operator==(const SessionDetailEntry&, const SessionDetailEntry&) = default;
};

// The evidence list, in order: last finished turn, goal, goal status, still to do, next up, quoted evidence.
QList<SessionDetailEntry> sessionAnalysisDetails(const QJsonObject& session, const Copy& copy,
                                                 const QLocale& locale = QLocale());

// "Open in Claude" for Claude Code, else "Open in Codex".
QString sessionOpenTitle(const QJsonObject& session, const Copy& copy);

// The analysis area's open button: offered when the user has to act in the original conversation, and then only
// when a way there is known (any in preview mode).
bool sessionAnalysisOpenVisible(const QJsonObject& session, bool fixtureMode);

struct SessionAnalysisPresentation {
    QString heading;
    QString intro;
    QList<SessionDetailEntry> details;
    bool detailsToggleVisible = false; // hidden when there are no details
    bool detailsVisible = false;       // only while open and not empty
    QString openTitle;
    bool openVisible = false;
};

SessionAnalysisPresentation sessionAnalysisPresentation(const QJsonObject& session, bool evidenceOpen, bool fixtureMode,
                                                        const Copy& copy, const QLocale& locale = QLocale());

enum class CompactSectionKind { goal, goalStatus, lastTurn, nextStep, context, original };

struct CompactDetailSection {
    CompactSectionKind kind;
    QString title;
    QStringList lines; // for `original`, the single line is the open button's title
    friend bool operator==(const CompactDetailSection&, const CompactDetailSection&) = default;
};

// The sections of a run's details when its conversation has auto-continue; "Original conversation" always last.
QList<CompactDetailSection> compactSessionDetails(const QJsonObject& session, const QJsonObject& run, const Copy& copy,
                                                  const QLocale& locale = QLocale());
