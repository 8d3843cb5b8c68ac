#pragma once

#include "ui/Copy.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// Stopping the services that keep the host from starting: the confirmation texts, the request written to the
// stop script and what its answer means.

// One line per process, "PID <pid> — <entry path>", with "?" and "VODU" for missing values.
QString conflictLines(const QList<QJsonObject>& conflicts);

QString stopAlertMessage(bool force, const Copy& copy);
QString stopAlertInformativeText(const QList<QJsonObject>& conflicts, const Copy& copy);
QString stopAlertConfirmTitle(bool force, const Copy& copy);

// {"conflicts":[...],"force":bool}, compact, no line feed.
QByteArray stopRequest(const QList<QJsonObject>& conflicts, bool force);

enum class StopOutcome {
    startHost,         // nothing remains
    forceRemaining,    // ask again, now to force quit what remains
    couldNotStop,      // the forced stop left processes running
    identityUnverified // the script failed or its answer is unusable
};

struct StopVerdict {
    StopOutcome outcome = StopOutcome::identityUnverified;
    QList<QJsonObject> remaining;
};

// `exited` is false when the script crashed; `output` is its whole standard output.
StopVerdict stopVerdict(bool exited, int exitCode, const QByteArray& output, bool forced);

// The footer text of a stop that ended without a new host; empty for the outcomes that go on.
QString stopFooterText(StopOutcome outcome, const Copy& copy);
