#pragma once

#include "ui/Copy.h"
#include "ui/Theme.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// What a workspace task record decides on its own: identity, title and the state vocabulary of the list.

// "key", else "id"; absent when the task has neither, so it is listed but cannot be selected.
std::optional<QString> taskIdentity(const QJsonObject& task);
// Row title and detail heading: "label", or "Task".
QString taskLabel(const QJsonObject& task);

QString taskStateName(const QString& state, const Copy& copy);
QString taskStateSymbol(const QString& state);
ThemeColor taskStateColor(const QString& state);
// Symbol, two spaces, name.
QString taskStateLine(const QString& state, const Copy& copy);
// The finished-well states, which colour the result card green.
bool isTaskSuccessState(const QString& state);

// A name for a state without one of its own: underscores become spaces, each word capitalised.
QString derivedStateName(const QString& state);

// The row to select after a reload: the first task whose identity is `selectedKey` (a task without identity
// matches only when nothing is selected), otherwise the first row.
qsizetype taskRowToSelect(const QList<QJsonObject>& items, const std::optional<QString>& selectedKey);
