// The workspace tasks of the snapshot.
#include "app/AppDelegate.h"

#include "model/SnapshotReading.h"

void AppDelegate::renderTasks(const QJsonObject& tasks) {
    activeTaskCount = integerAt(tasks, u"activeCount");
    taskItems = objectsAt(tasks, u"items");
}

// The task detail view is filled by the task pages; until then a detail has nowhere to go.
void AppDelegate::renderTaskDetail(const QJsonObject&) {}
