// The workspace tasks of the snapshot: the list, the selected task and its empty state.
#include "tasks/TasksController.h"

#include "context/AppContext.h"
#include "context/LinkState.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

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

TasksController::TasksController(AppContext& context, LinkState& state, QObject* parent)
    : QObject(parent), m_context(context), m_state(state) {}

void TasksController::forgetRunningTasks() {
    m_state.activeTaskCount = 0;
}

void TasksController::handleTaskDetail(const QJsonObject& message) {
    // A detail for a task that is no longer selected is dropped.
    if (stringAt(message, u"taskKey") != m_selectedTaskKey) {
        return;
    }
    const QJsonValue task = message.value(u"task");
    if (task.isObject()) {
        renderTaskDetail(task.toObject());
    }
}

void TasksController::renderTasks(const QJsonObject& tasks) {
    m_state.activeTaskCount = integerAt(tasks, u"activeCount");
    // A list that repeats the last one is not read again: with thousands of tasks that is most of the work.
    const QJsonArray items = arrayAt(tasks, u"items");
    if (items != m_taskItemsSource) {
        m_taskItems = objectsAt(tasks, u"items");
        m_taskItemsSource = items;
    }
    if (!m_taskTable) {
        return;
    }

    const qsizetype row = taskRowToSelect(m_taskItems, m_selectedTaskKey);
    // A snapshot every few seconds must not move the list under the user's eyes.
    const int scrolled = m_taskTable->verticalScrollBar()->value();
    m_refreshingTaskList = true;
    m_taskListModel->setTasks(m_taskItems);
    if (!m_taskItems.isEmpty()) {
        const QModelIndex index = m_taskListModel->index(static_cast<int>(row));
        m_taskTable->selectionModel()->setCurrentIndex(index,
                                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_taskTable->verticalScrollBar()->setValue(scrolled);
    m_refreshingTaskList = false;

    if (m_taskItems.isEmpty()) {
        showEmptyTask();
    } else {
        selectTask();
    }
}

void TasksController::selectTask() {
    const QModelIndexList rows = m_taskTable->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_taskItems.size()) {
        return;
    }
    const QJsonObject task = m_taskItems.at(rows.first().row());
    const std::optional<QString> identity = taskIdentity(task);
    if (!identity) {
        return;
    }
    const bool sameTask = identity == m_selectedTaskKey;
    m_selectedTaskKey = identity;

    const QString state = stateAt(task);
    setPlainText(m_taskTitle, taskLabel(task));
    setPlainText(m_taskState, taskStateLine(state, m_context.copy));
    setLabelColor(m_taskState, taskStateColor(state));

    if (!sameTask) {
        forgetTaskDetail();
        m_taskBody->showMessage(m_context.copy.text("状態を確認中…", "Checking status…"), Theme::secondary);
        removeChildWidgets(m_taskLinks);
        m_taskLinks->hide();
        m_taskBody->verticalScrollBar()->setValue(0);
    }

    if (m_context.link.fixtureMode) {
        const QJsonValue detail = task.value(u"detail");
        if (detail.isObject()) {
            renderTaskDetail(detail.toObject());
            return;
        }
    }

    const QPointer<TasksController> self(this);
    const QString key = *identity;
    const quint64 request = ++m_taskDetailRequest;
    m_context.commands.send(
        QStringLiteral("task_detail"), false, key, {}, [self, key, request](bool ok, const std::optional<QString>&) {
            // A request a newer one replaced says nothing about the task shown now.
            if (!self || ok || self->m_selectedTaskKey != key || self->m_taskDetailRequest != request) {
                return;
            }
            self->m_taskBody->showMessage(
                self->m_context.copy.text("タスクの内容を取得できません。「更新」を押して再試行してください。",
                                          "Task content is unavailable. Refresh to try again."),
                Theme::secondary);
            // The body no longer shows the rendered detail, so the next reply must draw it again even if unchanged.
            self->m_renderedDetail.clear();
        });
}

void TasksController::forgetTaskDetail() {
    m_renderedDetail.clear();
    m_selectedDetail = {};
    m_showFullResult = false;
    m_showAllCriteria = false;
    m_showTechnical = false;
    m_detailActions->hide();
    removeChildWidgets(m_taskVisuals);
    m_taskVisuals->hide();
}

void TasksController::showEmptyTask() {
    m_selectedTaskKey.reset();
    forgetTaskDetail();
    setPlainText(m_taskTitle, m_context.copy.text("タスクを選択", "Select a task"));
    setPlainText(m_taskState, m_context.copy.text("タスク", "Tasks"));
    setLabelColor(m_taskState, Theme::secondary);
    m_taskBody->showMessage(
        m_context.copy.text("Web ワークスペースからタスクを実行すると、ここで内容と結果を確認できます。",
                            "Run a task from your web workspace to see its content and results here."),
        Theme::secondary);
    removeChildWidgets(m_taskLinks);
    m_taskLinks->hide();
}
