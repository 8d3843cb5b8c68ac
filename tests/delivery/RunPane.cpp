#include "RunPane.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTableView>
#include <QTest>

RunPane::RunPane(const QStringList& languages)
    : area(languages), home(area.copy), understanding(area.context, model), association(area.context, model),
      original(area.context, model, home), delivery(area.context, model, home),
      sessions(area.context, model, home, delivery, understanding, association, original) {
    area.link.connected = true;
    sessions.buildSessionList(&area.parent);
    home.build(&area.parent);
    understanding.build(home.runCompanions());
    association.build(home.runCompanions());
    sessions.buildSessionPane();
    delivery.buildPicker()->setParent(&area.parent);
    QObject::connect(&delivery, &DeliveryController::runChosen, &sessions, &SessionsController::selectRun);
    QObject::connect(&delivery, &DeliveryController::homeChanged, &sessions,
                     &SessionsController::renderSelectedSession);
    QObject::connect(&delivery, &DeliveryController::feedbackChanged, &sessions, &SessionsController::showFeedback);
    QObject::connect(&understanding, &UnderstandingPanel::feedbackChanged, &sessions,
                     &SessionsController::showFeedback);
}

void RunPane::show(const QList<QJsonObject>& runs, int index) {
    refresh(runs);
    if (index >= 0) {
        pick(index);
    }
}

void RunPane::refresh(const QList<QJsonObject>& runs) {
    QJsonArray array;
    for (const QJsonObject& run : runs) {
        array.append(run);
    }
    delivery.renderDeliveryRuns(array);
    QJsonArray records;
    for (const QJsonObject& record : conversations) {
        records.append(record);
    }
    sessions.renderSessionSupervision(
        QJsonObject{{QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), records}}}});
}

void RunPane::pick(int index) {
    auto* picker = view<QComboBox>("deliveryPicker");
    picker->setCurrentIndex(index);
    Q_EMIT picker->activated(index);
}

void RunPane::selectConversation(const QString& title) {
    auto* table = view<QTableView>("deliveryTable");
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (table->model()->index(row, 0).data().toString().section(QLatin1Char('\n'), 0, 0) == title) {
            table->selectRow(row);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no conversation titled ") + title));
}

QString RunPane::selectedConversation() const {
    const QModelIndexList rows = view<QTableView>("deliveryTable")->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.first().data().toString().section(QLatin1Char('\n'), 0, 0);
}

void RunPane::click(const char* name) {
    view<QAbstractButton>(name)->click();
}

QString RunPane::text(const char* name) const {
    if (auto* label = view<QLabel>(name)) {
        return label->text();
    }
    if (auto* button = view<QAbstractButton>(name)) {
        return button->text();
    }
    return QStringLiteral("<no view %1>").arg(QLatin1String(name));
}

bool RunPane::visible(const char* name) const {
    const QWidget* widget = view<QWidget>(name);
    return widget && widget->isVisibleTo(&area.parent);
}

bool RunPane::enabled(const char* name) const {
    const QWidget* widget = view<QWidget>(name);
    return widget && widget->isEnabled();
}

QJsonObject runRecord(const char* base, const char* extra) {
    QJsonObject record = QJsonDocument::fromJson(base).object();
    const QJsonObject more = QJsonDocument::fromJson(extra).object();
    for (auto it = more.begin(); it != more.end(); ++it) {
        record.insert(it.key(), it.value());
    }
    return record;
}
