#include "TasksArea.h"
#include "TestData.h"

#include "tasks/TaskBodyView.h"

#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTableView>

TasksArea::TasksArea(const QStringList& languages) : AreaHarness(languages) {
    tasks.buildTaskList(&parent);
    tasks.buildHeading(&parent);
    tasks.buildTaskDetail(&parent);
    tasks.showEmptyTask();
}

QString TasksArea::bodyText() const {
    return view<TaskBodyView>("taskBody")->document()->toPlainText();
}

int TasksArea::selectedRow() const {
    const QModelIndexList rows = view<QTableView>("taskTable")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

void TasksArea::clickRow(int row) {
    auto* table = view<QTableView>("taskTable");
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QJsonObject taskList(const QString& items, qint64 activeCount) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}
