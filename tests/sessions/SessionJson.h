#pragma once

#include "TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>

#include <optional>

// Records written as JSON text the way the host sends them. Addresses inside raw strings are written
// "https:\/\/...", which JSON reads as "https://...": moc takes "//" for a comment even there.

// The object elements of a JSON array text.
inline QList<QJsonObject> jsonObjects(const QString& text) {
    QList<QJsonObject> objects;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        if (value.isObject()) {
            objects.append(value.toObject());
        }
    }
    return objects;
}

// "null" gives absent.
inline std::optional<QJsonObject> jsonRecord(const QString& text) {
    return text == u"null" ? std::nullopt : std::optional(json(text));
}
