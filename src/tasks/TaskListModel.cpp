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
    case Qt::AccessibleTextRole:
        return taskLabel(task);
    case StateRole:
        return stateAt(task);
    case StateLineRole:
        return taskStateLine(stateAt(task), m_copy);
    default:
        return {};
    }
}
