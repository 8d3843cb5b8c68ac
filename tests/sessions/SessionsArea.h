#pragma once

#include "AreaHarness.h"
#include "SessionJson.h"
#include "model/RecordIdentity.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

// The run area as the Sessions home sees it: the runs it was asked to present and the run its picker mirrors.
class RecordingRunPresenter final : public RunPresenter {
public:
    HomeView presentRun(const QJsonObject& run) override {
        presented.append(deliveryIdentity(run));
        HomeView view;
        view.controls.visible = true;
        return view;
    }
    void mirrorRunSelection(const QString& runIdentity) override { mirrored = runIdentity; }

    QStringList presented;
    QString mirrored;
};

// The conversation area on its own (search field, list, Sessions home and what it draws through); no host.
struct SessionsArea {
    SessionsArea()
        : home(harness.copy), understanding(harness.context, model), association(harness.context, model),
          original(harness.context, model, home),
          sessions(harness.context, model, home, runs, understanding, association, original) {
        auto* column = new QVBoxLayout(&harness.parent);
        column->addWidget(sessions.buildSearchField(&harness.parent));
        column->addWidget(sessions.buildSessionList(&harness.parent));
        auto* content = new QWidget(&harness.parent);
        column->addWidget(content);
        home.build(content);
        association.build(home.runCompanions());
        sessions.buildSessionPane();
        harness.link.connected = true;
    }

    // A snapshot with these session records (JSON array text) while these runs are listed.
    void render(const QString& sessionsJson, const QString& runsJson = QStringLiteral("[]")) {
        model.deliveryRuns = jsonObjects(runsJson);
        const QJsonArray records = QJsonDocument::fromJson(sessionsJson.toUtf8()).array();
        sessions.renderSessionSupervision(
            {{QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), records}}}});
    }
    // The list as the user reads it: a heading as its text, a conversation as its title; "|" between rows.
    QString rows() const {
        QStringList texts;
        for (int row = 0; row < table()->model()->rowCount(); ++row)
            texts.append(titleAt(table()->model()->index(row, 0)));
        return texts.join(QLatin1Char('|'));
    }
    QString selectedTitle() const {
        const QModelIndexList selected = table()->selectionModel()->selectedRows();
        return selected.isEmpty() ? QString() : titleAt(selected.first());
    }
    void select(const QString& title) {
        const int row = rows().split(QLatin1Char('|')).indexOf(title);
        QVERIFY2(row >= 0, qPrintable(title));
        table()->selectRow(row);
    }
    QList<RecordingCommandSink::Command> sent(const QString& action) const {
        QList<RecordingCommandSink::Command> matching = harness.commands.commands;
        matching.removeIf([&](const RecordingCommandSink::Command& command) { return command.action != action; });
        return matching;
    }
    template <typename T> T* view(const char* name) const { return harness.view<T>(name); }
    QTableView* table() const { return view<QTableView>("deliveryTable"); }
    QString text(const char* name) const { // a label's or a button's
        auto* label = view<QLabel>(name);
        return label ? label->text() : view<QAbstractButton>(name)->text();
    }
    bool shown(const char* name) const { return !view<QWidget>(name)->isHidden(); }
    void click(const char* name) const {
        QVERIFY2(view<QWidget>(name)->isEnabled(), name);
        view<QAbstractButton>(name)->click();
    }
    static QString titleAt(const QModelIndex& index) {
        return index.data().toString().section(QLatin1Char('\n'), 0, 0);
    }

    AreaHarness harness;
    SupervisionModel model;
    SupervisionHome home;
    RecordingRunPresenter runs;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    SessionsController sessions;
};
