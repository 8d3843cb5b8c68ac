#pragma once

#include "TestData.h"
#include "ui/Copy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QTest>

#include <optional>

// Records as JSON text. Addresses in raw strings are written "https:\/\/..." (moc takes "//" for a comment).

inline const Copy english{false};
inline const QString kUuid = QStringLiteral("0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85");

// The object elements of a JSON array text.
inline QList<QJsonObject> jsonObjects(const QString& text) {
    QList<QJsonObject> objects;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        if (value.isObject())
            objects.append(value.toObject());
    }
    return objects;
}

// "null" gives absent.
inline std::optional<QJsonObject> jsonRecord(const QString& text) {
    return text == u"null" ? std::nullopt : std::optional(json(text));
}

inline QString compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// Several values read as one line, " | " between them.
inline QString joined(const QStringList& parts) {
    return parts.join(QStringLiteral(" | "));
}

template <typename... Names> void textColumns(Names... names) {
    (QTest::addColumn<QString>(names), ...);
}

// One data row; text is read as UTF-8.
template <typename... Values> void row(const char* name, Values... values) {
    (QTest::newRow(name) << ... << values);
}
