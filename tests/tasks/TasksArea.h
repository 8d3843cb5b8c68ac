#pragma once

#include "AreaHarness.h"
#include "TestData.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TasksController.h"

#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTableView>

// The tasks area on its own: the list, the heading and the detail built into the harness's parent as the window
// builds them, starting from the empty task. Commands it sends wait in `commands` until the test completes them.
struct TasksArea : AreaHarness {
    TasksArea() : AreaHarness({QStringLiteral("en-US")}) {
        tasks.buildTaskList(&parent);
        tasks.buildHeading(&parent);
        tasks.buildTaskDetail(&parent);
        tasks.showEmptyTask();
    }

    QString bodyText() const { return view<TaskBodyView>("taskBody")->document()->toPlainText(); }
    int selectedRow() const { // -1 unless exactly one row is selected
        const QModelIndexList rows = view<QTableView>("taskTable")->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void clickRow(int row) {
        auto* table = view<QTableView>("taskTable");
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TasksController tasks{context, link};
};

inline QJsonObject taskList(const QString& items, qint64 activeCount = 0) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}
