#include "tasks/TaskListModel.h"

#include "model/SnapshotReading.h"
#include "tasks/TaskStates.h"

TaskListModel::TaskListModel(Copy copy, QObject* parent) : KeyedRowsModel(parent), m_copy(copy) {}

void TaskListModel::setTasks(const QList<QJsonObject>& tasks) {
    replaceRows(m_tasks, tasks, [](const QJsonObject& task) { return taskIdentity(task).value_or(QString()); });
}

int TaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_tasks.size());
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_tasks.size()) {
        return {};
    }
    const QJsonObject& task = m_tasks.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return taskLabel(task);
    case Qt::AccessibleTextRole:
        // Read aloud as shown: the title, then the state under it (its symbol is decoration).
        return taskLabel(task) + QLatin1Char('\n') + taskStateName(stateAt(task), m_copy);
    case StateRole:
        return stateAt(task);
    case StateLineRole:
        return taskStateLine(stateAt(task), m_copy);
    default:
        return {};
    }
}
