#pragma once

// The app the snapshot benchmarks drive: the controller with its window and tray item built and shown, on a chosen
// page, and status messages written as the host writes them.
#include "app/AppDelegate.h"
#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>

// Made once per program and never destroyed: the run ends by exiting. `page` names a sidebar button to click.
inline AppDelegate& benchApp(const char* page = nullptr) {
    static AppDelegate* app = [page] {
        auto* created = new AppDelegate(std::make_unique<QtPlatform>());
        created->buildWindow();
        created->buildStatusItem();
        created->window()->show();
        if (auto* button = page ? created->window()->findChild<QAbstractButton*>(QString::fromLatin1(page)) : nullptr) {
            button->click();
        }
        QCoreApplication::processEvents();
        return created;
    }();
    return *app;
}

// One status line as the host writes it, without its line feed.
inline QByteArray statusLine(const QJsonObject& status) {
    return QJsonDocument(
               QJsonObject{{QStringLiteral("type"), QStringLiteral("status")}, {QStringLiteral("status"), status}})
        .toJson(QJsonDocument::Compact);
}
