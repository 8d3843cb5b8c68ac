#include "SessionJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// A table row with broken JSON would silently test an empty record.
QJsonDocument parsed(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        qFatal("test JSON does not parse (%s): %s", qPrintable(error.errorString()), qPrintable(text));
    }
    return document;
}

} // namespace

QJsonObject jsonObject(const QString& text) {
    return parsed(text).object();
}

QList<QJsonObject> jsonObjects(const QString& text) {
    QList<QJsonObject> objects;
    for (const QJsonValue& value : parsed(text).array()) {
        if (value.isObject()) {
            objects.append(value.toObject());
        }
    }
    return objects;
}

std::optional<QJsonObject> jsonRecord(const QString& text) {
    if (text == u"null") {
        return std::nullopt;
    }
    return jsonObject(text);
}
