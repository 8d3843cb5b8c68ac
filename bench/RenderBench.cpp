// Time of one render for a busy snapshot: 200 conversations, 50 Dozadavi Zaro runs and 500 workspace tasks,
// applied to the fully built window; the Time column is the time per render. "Render" is the call alone;
// "RenderAndSettle" also runs the layout and paint work the call queues on a shown window.
#include "BenchApp.h"
#include "BenchRecords.h"

#include <QJsonArray>

#include <benchmark/benchmark.h>

namespace {

QJsonObject busySnapshot(int conversations, int runs, int tasks) {
    QJsonArray sessions;
    for (int index = 0; index < conversations; ++index) {
        const QString id = QStringLiteral("%1-8a42-4d67-9e10-2c7ab4f9d381").arg(index, 8, 16, QLatin1Char('0'));
        sessions.append(QJsonObject{
            {QStringLiteral("provider"), index % 2 ? QStringLiteral("claude") : QStringLiteral("codex")},
            {QStringLiteral("session"), id},
            {QStringLiteral("title"), QStringLiteral("Conversation %1 about the billing webhook retries").arg(index)},
            {QStringLiteral("cwd"), QStringLiteral("/home/alex/src/project-%1").arg(index % 17)},
            {QStringLiteral("isRunning"), index % 9 == 0},
            {QStringLiteral("autoContinue"), index % 5 == 0},
            {QStringLiteral("binding"),
             QJsonObject{{QStringLiteral("mode"), index % 7 ? QStringLiteral("monitor") : QStringLiteral("managed")}}},
            {QStringLiteral("analysis"),
             QJsonObject{
                 {QStringLiteral("state"), QStringLiteral("continue")},
                 {QStringLiteral("reason"), QStringLiteral("Two acceptance checks are still open.")},
                 {QStringLiteral("remaining"), QJsonArray{QStringLiteral("Replay events"), QStringLiteral("Run CI")}}}},
        });
    }
    QJsonArray runList;
    for (int index = 0; index < runs; ++index) {
        runList.append(benchRun(index));
    }
    const QJsonArray items = benchTasks(tasks);
    return QJsonObject{
        {QStringLiteral("webOrigin"), QStringLiteral("https:"
                                                     "//app.vodu.ai")},
        {QStringLiteral("auth"), QJsonObject{{QStringLiteral("state"), QStringLiteral("signed_in")},
                                             {QStringLiteral("userLabel"), QStringLiteral("Alex Rivera")}}},
        {QStringLiteral("connection"),
         QJsonObject{{QStringLiteral("state"), QStringLiteral("online")},
                     {QStringLiteral("lastSuccessAt"), QStringLiteral("2026-12-06T09:30:00Z")}}},
        {QStringLiteral("providers"),
         QJsonObject{{QStringLiteral("codex"), QJsonObject{{QStringLiteral("state"), QStringLiteral("ready")},
                                                           {QStringLiteral("version"), QStringLiteral("0.46.0")}}},
                     {QStringLiteral("claude"), QJsonObject{{QStringLiteral("state"), QStringLiteral("signed_out")}}}}},
        {QStringLiteral("pluginSetup"), QJsonObject{{QStringLiteral("state"), QStringLiteral("ready")}}},
        {QStringLiteral("deliveryHooks"),
         QJsonObject{{QStringLiteral("providers"),
                      QJsonObject{{QStringLiteral("codex"),
                                   QJsonObject{{QStringLiteral("state"), QStringLiteral("observed")}}}}},
                     {QStringLiteral("runs"), runList}}},
        {QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), sessions}}},
        {QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), 12}, {QStringLiteral("items"), items}}},
        {QStringLiteral("update"), QJsonObject{{QStringLiteral("state"), QStringLiteral("current")}}},
        {QStringLiteral("version"), QStringLiteral("0.1.0")},
        {QStringLiteral("sampledAt"), QStringLiteral("2026-12-06T09:31:00.250Z")},
    };
}

void Render(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QJsonObject snapshot = busySnapshot(200, 50, 500);
    for (auto _ : state) {
        app.render(snapshot);
    }
}
BENCHMARK(Render)->Unit(benchmark::kMillisecond);

void RenderAndSettle(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QJsonObject snapshot = busySnapshot(200, 50, 500);
    for (auto _ : state) {
        app.render(snapshot);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(RenderAndSettle)->Unit(benchmark::kMillisecond);

} // namespace
