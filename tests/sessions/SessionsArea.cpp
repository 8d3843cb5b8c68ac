#include "SessionsArea.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

namespace {

QString rowTitle(const QModelIndex& index) {
    return index.data().toString().section(QLatin1Char('\n'), 0, 0);
}

} // namespace

SessionsArea::SessionsArea()
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
    harness.parent.resize(1040, 740);
    harness.link.connected = true;
}

void SessionsArea::render(const QString& sessionsJson, const QString& runsJson) {
    model.deliveryRuns = jsonObjects(runsJson);
    sessions.renderSessionSupervision(QJsonObject{
        {QStringLiteral("sessionSupervision"),
         QJsonObject{{QStringLiteral("sessions"), QJsonDocument::fromJson(sessionsJson.toUtf8()).array()}}},
    });
}

QString SessionsArea::rows() const {
    const QAbstractItemModel* table = view<QTableView>("deliveryTable")->model();
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts.append(rowTitle(table->index(row, 0)));
    }
    return texts.join(QLatin1Char('|'));
}

QString SessionsArea::selectedTitle() const {
    const QModelIndexList selected = view<QTableView>("deliveryTable")->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : rowTitle(selected.first());
}

void SessionsArea::select(const QString& title) {
    auto* table = view<QTableView>("deliveryTable");
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (rowTitle(table->model()->index(row, 0)) == title) {
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

QString SessionsArea::text(const char* name) const {
    if (auto* label = view<QLabel>(name)) {
        return label->text();
    }
    return view<QAbstractButton>(name)->text();
}
