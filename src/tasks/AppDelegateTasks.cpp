// The workspace tasks of the snapshot: the list, the selected task and its empty state.
#include "app/AppDelegate.h"

#include "model/SnapshotReading.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskListModel.h"
#include "tasks/TaskStates.h"
#include "ui/SegmentedControl.h"
#include "ui/ThemedLabel.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace {

// Host text in a label is never read as markup.
void setPlainText(QLabel* label, const QString& text) {
    if (label) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    }
}

void setLabelColor(QLabel* label, ThemeColor color) {
    if (auto* themed = qobject_cast<ThemedLabel*>(label)) {
        themed->setColor(color);
    }
}

void removeChildWidgets(QWidget* container) {
    if (!container) {
        return;
    }
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        delete child;
    }
}

} // namespace

void AppDelegate::renderTasks(const QJsonObject& tasks) {
    activeTaskCount = integerAt(tasks, u"activeCount");
    taskItems = objectsAt(tasks, u"items");
    if (homeNavigation && homeNavigation->currentIndex() != 0) {
        const QString count = QString::number(activeTaskCount);
        tasksLabel->setText(copy.text(QStringLiteral("タスク · ") + count + QStringLiteral(" 件を実行中"),
                                      QStringLiteral("Tasks · ") + count + QStringLiteral(" running")));
    }
    if (!taskTable) {
        return;
    }

    const qsizetype row = taskRowToSelect(taskItems, selectedTaskKey);
    // A snapshot every few seconds must not move the list under the user's eyes.
    const int scrolled = taskTable->verticalScrollBar()->value();
    refreshingTaskList = true;
    taskListModel->setTasks(taskItems);
    if (!taskItems.isEmpty()) {
        const QModelIndex index = taskListModel->index(static_cast<int>(row));
        taskTable->selectionModel()->setCurrentIndex(index,
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    taskTable->verticalScrollBar()->setValue(scrolled);
    refreshingTaskList = false;

    if (taskItems.isEmpty()) {
        showEmptyTask();
    } else {
        selectTask();
    }
}

void AppDelegate::selectTask() {
    const QModelIndexList rows = taskTable->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= taskItems.size()) {
        return;
    }
    const QJsonObject task = taskItems.at(rows.first().row());
    const std::optional<QString> identity = taskIdentity(task);
    if (!identity) {
        return;
    }
    const bool sameTask = identity == selectedTaskKey;
    selectedTaskKey = identity;

    const QString state = stateAt(task);
    setPlainText(taskTitle, taskLabel(task));
    setPlainText(taskState, taskStateLine(state, copy));
    setLabelColor(taskState, taskStateColor(state));

    if (!sameTask) {
        forgetTaskDetail();
        taskBody->showMessage(copy.text("状態を確認中…", "Checking status…"), Theme::secondary);
        removeChildWidgets(taskLinks);
        taskLinks->hide();
        taskBody->verticalScrollBar()->setValue(0);
    }

    if (fixtureMode) {
        const QJsonValue detail = task.value(u"detail");
        if (detail.isObject()) {
            renderTaskDetail(detail.toObject());
            return;
        }
    }

    const QPointer<AppDelegate> self(this);
    const QString key = *identity;
    send(QStringLiteral("task_detail"), false, key, {}, [self, key](bool ok, const std::optional<QString>&) {
        if (!self || ok || self->selectedTaskKey != key) {
            return;
        }
        self->taskBody->showMessage(
            self->copy.text("タスクの内容を取得できません。「更新」を押して再試行してください。",
                            "Task content is unavailable. Refresh to try again."),
            Theme::secondary);
        // The body no longer shows the rendered detail, so the next reply must draw it again even if unchanged.
        self->renderedDetail.clear();
    });
}

void AppDelegate::forgetTaskDetail() {
    renderedDetail.clear();
    selectedDetail = {};
    showFullResult = false;
    showAllCriteria = false;
    showTechnical = false;
    detailActions->hide();
    removeChildWidgets(taskVisuals);
    taskVisuals->hide();
}

void AppDelegate::showEmptyTask() {
    selectedTaskKey.reset();
    forgetTaskDetail();
    setPlainText(taskTitle, copy.text("タスクを選択", "Select a task"));
    setPlainText(taskState, copy.text("タスク", "Tasks"));
    setLabelColor(taskState, Theme::secondary);
    taskBody->showMessage(copy.text("Web ワークスペースからタスクを実行すると、ここで内容と結果を確認できます。",
                                    "Run a task from your web workspace to see its content and results here."),
                          Theme::secondary);
    removeChildWidgets(taskLinks);
    taskLinks->hide();
}
