// The task list and the task detail views.
#include "app/AppDelegate.h"

#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

QWidget* AppDelegate::buildTaskList(QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(QStringLiteral("taskListScroll"));
    scroll->setWidgetResizable(true);
    auto* table = new QTableView(scroll);
    table->setObjectName(QStringLiteral("taskTable"));
    scroll->setWidget(table);
    return scroll;
}

QWidget* AppDelegate::buildTaskDetail(QWidget* parent) {
    auto* detail = new QWidget(parent);
    new QVBoxLayout(detail);
    return detail;
}
