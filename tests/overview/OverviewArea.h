#pragma once

#include "AreaHarness.h"
#include "overview/OverviewController.h"

#include <QJsonObject>

class QLabel;
class QPushButton;
class StatusRow;

// The overview area on its own: the connection summary and the workspace button in the harness's parent, which
// stands for the main window, the settings sheet on it, and the tray item. The "show window" request shows the
// parent, as the app shows its window.
struct OverviewArea : AreaHarness {
    explicit OverviewArea(const QStringList& languages = {QStringLiteral("en-US")});

    // The overview's part of one snapshot, in the order the app renders it. In `json`, LINK stands for the
    // workspace address (raw strings must not hold "//": moc misreads them).
    void render(QString json);

    QLabel* label(const char* name) const;
    QPushButton* button(const char* name) const;
    StatusRow* row(const char* name) const;
    QString detail(const char* row) const;
    QString summary() const;

    OverviewController overview{context, link};
};
