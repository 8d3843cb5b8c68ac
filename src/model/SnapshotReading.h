#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// The reading rule for host records: a key counts only when its value has the expected JSON type; otherwise the
// caller sees the type's default, exactly as if the key were missing.

QJsonObject objectAt(const QJsonObject& record, QStringView key);
QJsonArray arrayAt(const QJsonObject& record, QStringView key);
// The elements of an array that are objects; anything else in it is skipped.
QList<QJsonObject> objectsAt(const QJsonObject& record, QStringView key);
std::optional<QString> stringAt(const QJsonObject& record, QStringView key);
bool boolAt(const QJsonObject& record, QStringView key);
// A JSON number with no fractional part that fits in 64 bits; `fallback` otherwise.
qint64 integerAt(const QJsonObject& record, QStringView key, qint64 fallback = 0);
// The "state" word of a record; "unknown" when missing or not a string.
QString stateAt(const QJsonObject& record, QStringView key = u"state");

// Two status snapshots that differ at most in "sampledAt": nothing on screen but the time of the check changes.
bool sameApartFromSampleTime(const QJsonObject& a, const QJsonObject& b);

// Textual form of any JSON value, for values shown as text whatever their type ("session", "pid").
// A missing value prints as the empty string.
QString jsonText(const QJsonValue& value);
