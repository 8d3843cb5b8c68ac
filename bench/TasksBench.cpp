// Snapshot to screen on the Tasks page, from the status line's bytes: the host link routes the line (parsing it
// unless it repeats the last one), the app renders it, and the window lays out and paints. Each case alternates two
// snapshots of N tasks that differ in one task's state, so every iteration is a real change.
#include "BenchApp.h"
#include "BenchRecords.h"
#include "host/HostLink.h"

#include <QJsonArray>

#include <benchmark/benchmark.h>

namespace {

QByteArray statusLine(int tasks, int variant) {
    const QJsonArray items = benchTasks(tasks, variant % 2 ? tasks / 2 : -1);
    const QJsonObject status{
        {QStringLiteral("connection"), QJsonObject{{QStringLiteral("state"), QStringLiteral("online")}}},
        {QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), 3}, {QStringLiteral("items"), items}}},
        {QStringLiteral("sampledAt"), QStringLiteral("2026-12-06T09:31:00.250Z")},
    };
    return statusLine(status);
}

void SnapshotChanged(benchmark::State& state) {
    AppDelegate& app = benchApp("tasksNav");
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
