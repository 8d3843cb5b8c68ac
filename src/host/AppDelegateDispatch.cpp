// Parsing one host frame and routing it by its "type".
#include "app/AppDelegate.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QJsonDocument>
#include <QPushButton>

void AppDelegate::handleLine(QByteArrayView frame) {
    // The view is only read during parsing, so no copy of a large frame is made.
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(frame.data(), frame.size()));
    if (!document.isObject()) {
        return;
    }
    const QJsonObject message = document.object();
    const std::optional<QString> type = stringAt(message, u"type");
    if (!type) {
        return;
    }
    if (*type == u"status") {
        const QJsonValue status = message.value(u"status");
        if (status.isObject()) {
            connected = true;
            render(status.toObject());
        }
    } else if (*type == u"error") {
        if (stringAt(message, u"code") == QStringLiteral("process_conflict")) {
            handleProcessConflict(message);
        } else {
            setFooterText(safeMessage(stringAt(message, u"message"), kShortTextLimit)
                              .value_or(copy.text("サービスエラー", "Service error")));
        }
    } else if (*type == u"task_detail") {
        // A detail for a task that is no longer selected is dropped.
        if (stringAt(message, u"taskKey") == selectedTaskKey) {
            const QJsonValue task = message.value(u"task");
            if (task.isObject()) {
                renderTaskDetail(task.toObject());
            }
        }
    } else if (*type == u"result") {
        completePending(message);
    }
}

void AppDelegate::handleProcessConflict(const QJsonObject& message) {
    const QJsonValue conflicts = message.value(u"conflicts");
    QList<QJsonObject> processes;
    bool allObjects = conflicts.isArray();
    for (const QJsonValue& element : conflicts.toArray()) {
        allObjects = allObjects && element.isObject();
        processes.append(element.toObject());
    }
    conflictingProcesses = allObjects ? processes : QList<QJsonObject>();
    if (stopConflictButton) {
        stopConflictButton->setHidden(conflictingProcesses.isEmpty());
    }
    hostConflictMessage = copy.text(
        "同じ接続先で CLI が実行中です。既存のタスクが完了してから、その CLI を終了し「サービスを開始」を押してください。",
        "A CLI is already using this connection. Let its tasks finish, stop that CLI, then choose Start service.");
    renderDisconnected(copy.text("別の CLI が実行中です", "Another CLI is running"));
    setFooterText(*hostConflictMessage);
}

void AppDelegate::completePending(const QJsonObject& message) {
    const std::optional<QString> id = stringAt(message, u"id");
    if (!id) {
        return;
    }
    const auto entry = pending.constFind(*id);
    if (entry == pending.constEnd()) {
        return; // unknown or already answered
    }
    const Completion completion = entry.value();
    pending.erase(entry);
    if (completion) {
        completion(boolAt(message, u"ok"), safeMessage(stringAt(message, u"message"), kShortTextLimit));
    }
}
