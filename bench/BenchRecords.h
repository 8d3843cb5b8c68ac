#pragma once

// Records the benchmarks fill their snapshots with: the shapes the host sends, with plausible texts.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// A managed run of the conversation numbered index * 4; every fourth one waits for an approval.
inline QJsonObject benchRun(int index) {
    return QJsonObject{
        {QStringLiteral("provider"), index % 2 ? QStringLiteral("claude") : QStringLiteral("codex")},
        {QStringLiteral("session"),
         QStringLiteral("%1-8a42-4d67-9e10-2c7ab4f9d381").arg(index * 4, 8, 16, QLatin1Char('0'))},
        {QStringLiteral("taskId"), QStringLiteral("task_%1").arg(index)},
        {QStringLiteral("objective"), QStringLiteral("Publish fix %1 to staging and confirm retries").arg(index)},
        {QStringLiteral("state"), index % 4 == 0 ? QStringLiteral("blocked") : QStringLiteral("active")},
        {QStringLiteral("reason"), QStringLiteral("Deploying changes a shared environment; approval needed.")},
        {QStringLiteral("needsAttention"), index % 4 == 0},
        {QStringLiteral("managed"), true},
    };
}

// `count` workspace tasks in six states; the task numbered `failed`, if any, has failed whatever its turn.
inline QJsonArray benchTasks(int count, int failed = -1) {
    const char* states[] = {"running", "queued", "succeeded", "failed", "completed", "stopped"};
    QJsonArray items;
    for (int index = 0; index < count; ++index) {
        items.append(QJsonObject{
            {QStringLiteral("key"), QStringLiteral("tsk_%1").arg(index)},
            {QStringLiteral("label"), QStringLiteral("Weekly revenue digest number %1").arg(index)},
            {QStringLiteral("state"), QString::fromLatin1(index == failed ? "failed" : states[index % 6])}});
    }
    return items;
}
