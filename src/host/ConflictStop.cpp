#include "host/ConflictStop.h"

#include "model/SnapshotReading.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

QString conflictLines(const QList<QJsonObject>& conflicts) {
    QStringList lines;
    for (const QJsonObject& conflict : conflicts) {
        const QJsonValue pid = conflict.value(u"pid");
        const QJsonValue entryPath = conflict.value(u"entryPath");
        lines.append(QStringLiteral("PID ") + (pid.isUndefined() ? QStringLiteral("?") : jsonText(pid)) +
                     QStringLiteral(" \u2014 ") +
                     (entryPath.isUndefined() ? QStringLiteral("VODU") : jsonText(entryPath)));
    }
    return lines.join(QLatin1Char('\n'));
}

QString stopAlertMessage(bool force, const Copy& copy) {
    return force ? copy.text("応答しない VODU プロセスを強制終了しますか？",
                             "Force quit the unresponsive VODU processes?")
                 : copy.text("別の VODU が実行中です", "Another VODU service is running");
}

QString stopAlertInformativeText(const QList<QJsonObject>& conflicts, const Copy& copy) {
    return conflictLines(conflicts) + QStringLiteral("\n\n") +
           copy.text("実行中のタスク数は確認できません。終了するとタスクが中断される可能性があります。",
                     "The active task count is unavailable. Stopping these processes may interrupt their tasks.");
}

QString stopAlertConfirmTitle(bool force, const Copy& copy) {
    return force ? copy.text("強制終了", "Force quit") : copy.text("停止して再開", "Stop and restart");
}

QByteArray stopRequest(const QList<QJsonObject>& conflicts, bool force) {
    QJsonArray list;
    for (const QJsonObject& conflict : conflicts) {
        list.append(conflict);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("conflicts"), list}, {QStringLiteral("force"), force}})
        .toJson(QJsonDocument::Compact);
}

StopVerdict stopVerdict(bool exited, int exitCode, const QByteArray& output, bool forced) {
    const QJsonDocument document = QJsonDocument::fromJson(output);
    if (!exited || exitCode != 0 || !document.isObject() || !boolAt(document.object(), u"ok")) {
        return {};
    }
    const QList<QJsonObject> remaining = objectsAt(document.object(), u"remaining");
    if (remaining.isEmpty()) {
        return {StopOutcome::startHost, {}};
    }
    return {forced ? StopOutcome::couldNotStop : StopOutcome::forceRemaining, remaining};
}

QString stopFooterText(StopOutcome outcome, const Copy& copy) {
    switch (outcome) {
    case StopOutcome::couldNotStop:
        return copy.text("終了できませんでした。状態を確認して再試行してください。",
                         "Could not stop the service. Check its status and try again.");
    case StopOutcome::identityUnverified:
        return copy.text("プロセスの状態が変わったため停止できません。再接続して確認してください。",
                         "Could not verify the process identity. Reconnect to check again.");
    case StopOutcome::startHost:
    case StopOutcome::forceRemaining:
        break;
    }
    return {};
}
