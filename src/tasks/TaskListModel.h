#pragma once

#include "ui/Copy.h"

#include "ui/KeyedRowsModel.h"

#include <QJsonObject>
#include <QList>

// The rows of the task table: one per task, in the host's order.
class TaskListModel final : public KeyedRowsModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TaskListModel)

public:
    enum Role { StateRole = Qt::UserRole + 1, StateLineRole };

    TaskListModel(Copy copy, QObject* parent);

    // Replaces the rows by task identity: rows that stay keep their place in the view.
    void setTasks(const QList<QJsonObject>& tasks);
    const QList<QJsonObject>& tasks() const { return m_tasks; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    Copy m_copy;
    QList<QJsonObject> m_tasks;
};
