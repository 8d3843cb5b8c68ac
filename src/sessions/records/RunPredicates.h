#pragma once

#include <QJsonObject>

// What the conversation view and the run pane both decide from a run record.

// "blocked" with a "dependencyWait" whose "id" is a non-empty string.
bool dependencyWaiting(const QJsonObject& run);
// A Codex run whose approved action ("approvedAction": "id", "action"."kind") must be carried out by the user.
bool hasApprovedManualCodexAction(const QJsonObject& run);
