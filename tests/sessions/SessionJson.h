#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// Records for the tables, written as JSON text the way the host sends them. Addresses inside raw strings are
// written "https:\/\/...", which JSON reads as "https://...": moc takes "//" for a comment even there.

QJsonObject jsonObject(const QString& text);
// The object elements of a JSON array text.
QList<QJsonObject> jsonObjects(const QString& text);
// "null" gives absent.
std::optional<QJsonObject> jsonRecord(const QString& text);
