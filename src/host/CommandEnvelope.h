#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// A fresh command id: a random UUID in canonical upper-case form.
QString newCommandId();

// The command object: "id" and "action", then "force" (only when true), then "taskKey" (when given), then the
// caller's fields, which replace any earlier key of the same name.
QJsonObject commandEnvelope(const QString& id, const QString& action, bool force, const std::optional<QString>& taskKey,
                            const QJsonObject& fields);

// Compact JSON followed by one line feed; absent when the object cannot be written as JSON.
std::optional<QByteArray> commandLine(const QJsonObject& envelope);
