// Start-up inside the process: the controller created, the window and tray item built and shown ("WindowShown"),
// and then the English preview fixture rendered on it ("FirstSnapshotShown"), each time from nothing. Process
// start and library loading are not included; they do not depend on our code.
#include "app/AppDelegate.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QMainWindow>

#include <benchmark/benchmark.h>

namespace {

void start(benchmark::State& state, bool withSnapshot) {
    const QString fixture = QStringLiteral(VODU_BENCH_SOURCE_DIR "/fixtures/preview-en.json");
    for (auto _ : state) {
        auto app = std::make_unique<AppDelegate>(std::make_unique<QtPlatform>());
        app->buildWindow();
        app->buildStatusItem();
        app->showWindow();
        if (withSnapshot) {
            app->setFixtureMode(true);
            app->loadFixture(fixture);
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        app.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void WindowShown(benchmark::State& state) {
    start(state, false);
}
BENCHMARK(WindowShown)->Unit(benchmark::kMillisecond);

void FirstSnapshotShown(benchmark::State& state) {
    start(state, true);
}
BENCHMARK(FirstSnapshotShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
