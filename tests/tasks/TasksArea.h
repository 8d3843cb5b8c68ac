#pragma once

#include "AreaHarness.h"
#include "TestData.h"
#include "tasks/TasksController.h"

#include <QJsonObject>
#include <QString>

// The tasks area on its own: the list, the heading and the detail built into the harness's parent as the window
// builds them, starting from the empty task. Commands it sends wait in `commands` until the test completes them.
struct TasksArea : AreaHarness {
    explicit TasksArea(const QStringList& languages = {QStringLiteral("en-US")});

    QString bodyText() const;
    int selectedRow() const; // -1 unless exactly one row is selected
    void clickRow(int row);
    // The most recent command, which the test may complete.
    qsizetype lastCommand() const { return commands.commands.size() - 1; }

    TasksController tasks{context, link};
};

// {"activeCount": activeCount, "items": <items as JSON>}
QJsonObject taskList(const QString& items, qint64 activeCount = 0);
