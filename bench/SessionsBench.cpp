// Snapshot to screen on a busy machine: 200 conversations (and 5,000 for a heavy user), 50 Dozadavi Zaro runs and
// 500 workspace tasks, with the Sessions page shown on a built window. Each iteration parses the status message and
// renders it, then lets the window lay out and paint. "Changed" alternates two snapshots that differ in one
// conversation, so the list is rebuilt every time; "Heartbeat" repeats the last snapshot unchanged, as the host does
// when nothing happened, and counts the widgets painted per heartbeat (it should be none); "HeartbeatStamped" is
// the same with a new "sampledAt", as the reference host stamps every emission.
#include "BenchApp.h"
#include "BenchRecords.h"
#include "host/HostLink.h"
#include "sessions/conversation/SessionsController.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <benchmark/benchmark.h>

namespace {

const char* const kStates[] = {"continue", "needs_user", "no_action", "queued", "failed", "waiting"};

QJsonObject conversation(int index) {
    const QString id = QStringLiteral("%1-8a42-4d67-9e10-2c7ab4f9d381").arg(index, 8, 16, QLatin1Char('0'));
    const QString mode = index % 7 == 0 ? QStringLiteral("managed") : QStringLiteral("unmanaged");
    return QJsonObject{
        {QStringLiteral("provider"), index % 2 ? QStringLiteral("claude") : QStringLiteral("codex")},
        {QStringLiteral("session"), id},
        {QStringLiteral("title"), QStringLiteral("Conversation %1 about the billing webhook retries").arg(index)},
        {QStringLiteral("cwd"), QStringLiteral("/home/alex/src/project-%1").arg(index % 17)},
        {QStringLiteral("isRunning"), index % 9 == 0},
        {QStringLiteral("autoContinue"), index % 5 == 0},
        {QStringLiteral("autoContinueStatus"), QStringLiteral("supervising")},
        {QStringLiteral("binding"), QJsonObject{{QStringLiteral("mode"), mode}}},
        {QStringLiteral("capabilities"), QJsonObject{{QStringLiteral("canAnalyze"), true},
                                                     {QStringLiteral("canAutoContinue"), true},
                                                     {QStringLiteral("canEnroll"), true}}},
        {QStringLiteral("analysis"),
         QJsonObject{
             {QStringLiteral("state"), QString::fromLatin1(kStates[index % 6])},
             {QStringLiteral("reason"), QStringLiteral("Two acceptance checks are still open.")},
             {QStringLiteral("objective"), QStringLiteral("Make the webhook retries safe to replay")},
             {QStringLiteral("remaining"), QJsonArray{QStringLiteral("Replay events"), QStringLiteral("Run CI")}},
             {QStringLiteral("basis"),
              QJsonArray{QJsonObject{{QStringLiteral("role"), QStringLiteral("user")},
                                     {QStringLiteral("snippet"), QStringLiteral("Please fix the retries")}}}}}},
        {QStringLiteral("providerGoal"), QJsonObject{{QStringLiteral("objective"), QStringLiteral("Safe retries")},
                                                     {QStringLiteral("status"), QStringLiteral("active")}}},
    };
}

// `variant` changes the analysis of one conversation, nothing else; `second` is the second of "sampledAt".
QByteArray statusMessage(int variant, int conversations = 200, int second = 0) {
    QJsonArray sessions;
    for (int index = 0; index < conversations; ++index) {
        QJsonObject record = conversation(index);
        if (index == 123 && variant % 2) {
            record.insert(QStringLiteral("analysis"), QJsonObject{{QStringLiteral("state"), QStringLiteral("failed")}});
        }
        sessions.append(record);
    }
    QJsonArray runs;
    for (int index = 0; index < 50; ++index) {
        runs.append(benchRun(index));
    }
    const QJsonArray items = benchTasks(500);
    const QJsonObject status{
        {QStringLiteral("auth"), QJsonObject{{QStringLiteral("state"), QStringLiteral("signed_in")},
                                             {QStringLiteral("userLabel"), QStringLiteral("Alex Rivera")}}},
        {QStringLiteral("connection"), QJsonObject{{QStringLiteral("state"), QStringLiteral("online")}}},
        {QStringLiteral("deliveryHooks"), QJsonObject{{QStringLiteral("runs"), runs}}},
        {QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), sessions}}},
        {QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), 12}, {QStringLiteral("items"), items}}},
        {QStringLiteral("update"), QJsonObject{{QStringLiteral("state"), QStringLiteral("current")}}},
        {QStringLiteral("version"), QStringLiteral("0.1.0")},
        {QStringLiteral("sampledAt"), QStringLiteral("2026-12-06T09:31:%1.250Z").arg(second, 2, 10, QLatin1Char('0'))},
    };
    return statusLine(status);
}

// One status line through the host link, as the host's output arrives: routed (parsed unless it repeats the last
// line), rendered, and the window laid out and painted.
void showStatusLine(AppDelegate& app, const QByteArray& line) {
    app.link().handleLine(line);
    QCoreApplication::processEvents();
}

// Counts paint events anywhere in the app while installed.
class PaintCounter final : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    std::int64_t paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

void SnapshotChanged(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const int conversations = static_cast<int>(state.range(0));
    const QByteArray lines[] = {statusMessage(0, conversations), statusMessage(1, conversations)};
    int turn = 0;
    for (auto _ : state) {
        showStatusLine(app, lines[turn++ % 2]);
    }
}
BENCHMARK(SnapshotChanged)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);

void SnapshotHeartbeat(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QByteArray line = statusMessage(0);
    showStatusLine(app, line);
    const PaintCounter counter;
    for (auto _ : state) {
        showStatusLine(app, line);
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SnapshotHeartbeat)->Unit(benchmark::kMillisecond);

// A heartbeat as the reference host sends it: the same snapshot stamped with the time of this emission.
void SnapshotHeartbeatStamped(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QByteArray lines[] = {statusMessage(0, 200, 0), statusMessage(0, 200, 5)};
    showStatusLine(app, lines[1]);
    const PaintCounter counter;
    int turn = 0;
    for (auto _ : state) {
        showStatusLine(app, lines[turn++ % 2]);
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SnapshotHeartbeatStamped)->Unit(benchmark::kMillisecond);

// The heartbeat without the parse: what the areas themselves spend on an unchanged snapshot.
void HeartbeatRenderOnly(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QJsonObject status =
        QJsonDocument::fromJson(statusMessage(0)).object().value(QStringLiteral("status")).toObject();
    app.render(status);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        app.render(status);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(HeartbeatRenderOnly)->Unit(benchmark::kMicrosecond);

// The conversation area's own share of a heartbeat: comparing the records with the list's and drawing the pane.
void HeartbeatSessionsOnly(benchmark::State& state) {
    AppDelegate& app = benchApp();
    const QJsonObject status =
        QJsonDocument::fromJson(statusMessage(0)).object().value(QStringLiteral("status")).toObject();
    const QJsonObject again =
        QJsonDocument::fromJson(statusMessage(0)).object().value(QStringLiteral("status")).toObject();
    app.render(status);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        app.sessions().renderSessionSupervision(again);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(HeartbeatSessionsOnly)->Unit(benchmark::kMicrosecond);

// Parsing alone, for comparison: the status line of the busy machine.
void ParseOnly(benchmark::State& state) {
    const QByteArray line = statusMessage(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(QJsonDocument::fromJson(line).object());
    }
}
BENCHMARK(ParseOnly)->Unit(benchmark::kMicrosecond);

} // namespace
