#include "TestData.h"

#include <QFile>
#include <QJsonDocument>

QJsonObject json(const char* text) {
    return QJsonDocument::fromJson(text).object();
}

QJsonObject json(const QByteArray& text) {
    return QJsonDocument::fromJson(text).object();
}

QJsonObject json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

std::optional<QJsonObject> plainParse(const QByteArray& frame) {
    const QJsonDocument document = QJsonDocument::fromJson(frame);
    return document.isObject() ? std::optional<QJsonObject>(document.object()) : std::nullopt;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
