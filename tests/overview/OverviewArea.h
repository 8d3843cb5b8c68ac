#pragma once

#include "AreaHarness.h"
#include "TestData.h"
#include "overview/OverviewController.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

// The overview area on its own: the connection summary and the workspace button in the harness's parent, which
// stands for the main window, the settings sheet on it, and the tray item. The "show window" request shows the
// parent, as the app shows its window.
struct OverviewArea : AreaHarness {
    explicit OverviewArea(const QStringList& languages = {QStringLiteral("en-US")}) : AreaHarness(languages) {
        overview.buildConnectionSummary(&parent);
        overview.buildWebButton(&parent);
        overview.buildStatusPanel(&parent, new QWidget, new QWidget);
        overview.buildStatusItem();
        parent.resize(800, 600);
        QObject::connect(&overview, &OverviewController::showWindowRequested, &parent, [this] { parent.show(); });
    }

    // The overview's part of one snapshot, as the app renders it; LINK: the workspace address (moc misreads "//").
    void render(QString text) {
        const QJsonObject status = json(text.replace(QStringLiteral("LINK"), QStringLiteral("https://app.vodu.ai")));
        overview.renderSetupAndHooks(status);
        overview.renderAccount(status);
        overview.renderSummary(status);
    }

    QPushButton* button(const char* name) const { return view<QPushButton>(name); }
    StatusRow* row(const char* name) const { return view<StatusRow>(name); }
    QString text(const char* label) const { return view<QLabel>(label)->text(); }
    QString detail(const char* name) const { return row(name)->detail()->text(); }
    QString summary() const { return view<ConnectionButton>("connectionSummary")->text(); }
    QAction* menuItem(const char* name) const { return ::view<QAction>(overview.statusMenu(), name); }

    OverviewController overview{context, link};
};
