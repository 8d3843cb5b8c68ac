#pragma once

#include "sessions/home/SupervisionModel.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The Sessions home's one selection: a conversation and the run the pane presents, both as identities.
struct HomeSelection {
    QString conversation; // "provider|session"; empty: none (or a run shown on its own)
    QString run;          // "provider|session|taskId"; empty: the pane presents no run
    friend bool operator==(const HomeSelection&, const HomeSelection&) = default;
};

// The rule, wherever the choice comes from (the list, the settings sheet's run picker, a notification, a preset,
// a new snapshot): a chosen run that is listed selects its conversation when the list has one, and is shown on
// its own otherwise; a chosen conversation that is listed selects the run it presents (managed or waiting for a
// takeover, with a run), or none. Anything not listed is dropped.
HomeSelection homeSelection(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs,
                            const HomeSelection& chosen);

// The selected records, looked up in one place.
std::optional<QJsonObject> selectedConversation(const SupervisionModel& model);
std::optional<QJsonObject> selectedRun(const SupervisionModel& model);

// What the feedback line is about: the presented run, else the conversation; results for anything else are late.
QString feedbackSubject(const SupervisionModel& model);
