#pragma once

#include <QJsonObject>
#include <QString>

// Identities of conversation and run records: the keys of every per-record table and of the selections.

// "provider" + "|" + "session", each empty when missing or not a string ("|" for a record with neither).
QString sessionIdentity(const QJsonObject& record);
// "provider", "session" and "taskId", each empty when missing or not a string, joined with "|" ("codex|s1|").
QString deliveryIdentity(const QJsonObject& run);
