#pragma once

#include <QDateTime>
#include <QJsonValue>

#include <optional>

// Strict internet date-time: YYYY-MM-DDTHH:MM:SS[.fraction](Z|+HH:MM|-HH:MM). Anything else is absent,
// including a space instead of "T" and a missing zone, which looser parsers accept.
std::optional<QDateTime> parseInternetDateTime(const QString& text);
std::optional<QDateTime> parseInternetDateTime(const QJsonValue& value);
