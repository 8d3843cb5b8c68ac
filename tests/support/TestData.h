#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// What many suites need: records written as JSON text, and files read whole.

// The object in `text`; empty when it is no JSON object.
QJsonObject json(const char* text);
QJsonObject json(const QByteArray& text);
QJsonObject json(const QString& text);
// The object in `frame` as QJsonDocument reads it, absent when it is none: the reference for the message reader.
std::optional<QJsonObject> plainParse(const QByteArray& frame);
// The whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);
// The file's non-empty lines.
QStringList fileLines(const QString& path);
// Writes `text` to `path` (made executable when asked), creating its folder.
bool writeFile(const QString& path, const QByteArray& text, bool executable = false);
