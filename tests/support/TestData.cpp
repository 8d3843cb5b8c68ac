#include "TestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QStringList fileLines(const QString& path) {
    return QString::fromUtf8(readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

bool writeFile(const QString& path, const QByteArray& text, bool executable) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           (!executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}
