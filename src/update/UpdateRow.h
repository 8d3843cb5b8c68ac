#pragma once

#include "ui/Copy.h"

#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

// What the update row shows, decided from the facts alone so each state can be checked without a window.

enum class UpdateDot { red, orange, green, blue, grey };

struct UpdateRowFacts {
    std::optional<QJsonObject> update; // the snapshot's "update" object
    std::optional<QString> installError;
    std::optional<QString> native; // the running bundle's version, cleaned
    std::optional<QString> selected;
    std::optional<QString> running; // the service's version
    std::optional<QString> restartError;
    qint64 activeTasks = 0;
    bool connected = false;
    bool fixtureMode = false;
};

struct UpdateRowView {
    UpdateDot dot = UpdateDot::grey;
    QString label;
    QString buttonTitle;
    bool buttonEnabled = false;
    bool needsRestart = false;
    bool canInstall = false;
    bool clearRestartError = false;
};

UpdateRowView updateRowView(const UpdateRowFacts& facts, const Copy& copy);

// The installer download page of the configured web workspace; absent without a valid configured origin.
std::optional<QUrl> installerDownloadUrl(const std::optional<QUrl>& configuredOrigin);
