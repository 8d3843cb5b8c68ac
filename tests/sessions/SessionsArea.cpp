#include "SessionsArea.h"

#include "SessionJson.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

SessionsArea::SessionsArea(const QStringList& languages)
    : harness(languages), home(harness.copy), understanding(harness.context, model),
      association(harness.context, model), original(harness.context, model, home),
      sessions(harness.context, model, home, runs, understanding, association, original) {
    auto* column = new QVBoxLayout(&harness.parent);
    column->addWidget(sessions.buildSearchField(&harness.parent));
    column->addWidget(sessions.buildSessionList(&harness.parent));
    auto* content = new QWidget(&harness.parent);
    column->addWidget(content);
    home.build(content);
    association.build(home.runCompanions());
    sessions.buildSessionPane();
    harness.parent.resize(1040, 740);
    harness.link.connected = true;
}

void SessionsArea::render(const QString& sessionsJson, const QString& runsJson) {
    model.deliveryRuns = jsonObjects(runsJson);
    QJsonArray records;
    for (const QJsonObject& record : jsonObjects(sessionsJson)) {
        records.append(record);
    }
    renderStatus(QJsonObject{
        {QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), records}}},
    });
}

void SessionsArea::renderStatus(const QJsonObject& status) {
    sessions.renderSessionSupervision(status);
}

QString SessionsArea::rows() const {
    const QAbstractItemModel* table = view<QTableView>("deliveryTable")->model();
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts.append(table->index(row, 0).data().toString().section(QLatin1Char('\n'), 0, 0));
    }
    return texts.join(QLatin1Char('|'));
}

QString SessionsArea::selectedTitle() const {
    const QModelIndexList selected = view<QTableView>("deliveryTable")->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : selected.first().data().toString().section(QLatin1Char('\n'), 0, 0);
}

void SessionsArea::select(const QString& title) {
    auto* table = view<QTableView>("deliveryTable");
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (table->model()->index(row, 0).data().toString().section(QLatin1Char('\n'), 0, 0) == title) {
            table->selectRow(row);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row titled ") + title));
}

QList<RecordingCommandSink::Command> SessionsArea::sent(const QString& action) const {
    QList<RecordingCommandSink::Command> matching;
    for (const RecordingCommandSink::Command& command : harness.commands.commands) {
        if (command.action == action) {
            matching.append(command);
        }
    }
    return matching;
}
