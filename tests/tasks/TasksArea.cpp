#include "TasksArea.h"

#include "tasks/TaskBodyView.h"

#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTableView>

TasksArea::TasksArea(const QStringList& languages) : area(languages) {
    tasks.buildTaskList(&area.parent);
    tasks.buildHeading(&area.parent);
    tasks.buildTaskDetail(&area.parent);
    tasks.showEmptyTask();
}

QString TasksArea::bodyText() const {
    return area.view<TaskBodyView>("taskBody")->document()->toPlainText();
}

int TasksArea::selectedRow() const {
    const QModelIndexList rows = area.view<QTableView>("taskTable")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

void TasksArea::clickRow(int row) {
    auto* table = area.view<QTableView>("taskTable");
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QJsonObject taskList(const QString& items, qint64 activeCount) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}

QJsonObject json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}
