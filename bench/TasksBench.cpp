// Snapshot to screen on the Tasks page, from the status line's bytes: the host link routes the line (parsing it
// unless it repeats the last one), the app renders it, and the window lays out and paints. Each case alternates two
// snapshots of N tasks that differ in one task's state, so every iteration is a real change.
#include "BenchRecords.h"
#include "app/AppDelegate.h"
#include "host/HostLink.h"
#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMainWindow>

#include <benchmark/benchmark.h>

namespace {

QByteArray statusLine(int tasks, int variant) {
    const QJsonArray items = benchTasks(tasks, variant % 2 ? tasks / 2 : -1);
    const QJsonObject status{
        {QStringLiteral("connection"), QJsonObject{{QStringLiteral("state"), QStringLiteral("online")}}},
        {QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), 3}, {QStringLiteral("items"), items}}},
        {QStringLiteral("sampledAt"), QStringLiteral("2026-12-06T09:31:00.250Z")},
    };
    return QJsonDocument(
               QJsonObject{{QStringLiteral("type"), QStringLiteral("status")}, {QStringLiteral("status"), status}})
        .toJson(QJsonDocument::Compact);
}

AppDelegate& controller() {
    static AppDelegate* app = [] {
        auto* created = new AppDelegate(std::make_unique<QtPlatform>());
        created->buildWindow();
        created->buildStatusItem();
        created->window()->show();
        if (auto* tasks = created->window()->findChild<QAbstractButton*>(QStringLiteral("tasksNav"))) {
            tasks->click();
        }
        QCoreApplication::processEvents();
        return created;
    }();
    return *app;
}

void SnapshotChanged(benchmark::State& state) {
    AppDelegate& app = controller();
    const QByteArray lines[] = {statusLine(static_cast<int>(state.range(0)), 0),
                                statusLine(static_cast<int>(state.range(0)), 1)};
    int turn = 0;
    for (auto _ : state) {
        app.link().handleLine(lines[turn++ % 2]);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(SnapshotChanged)->Arg(8)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
