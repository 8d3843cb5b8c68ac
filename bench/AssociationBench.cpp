// Opening the Action picker of a conversation whose workspace offers 2,000 Actions, on a built window. Each iteration
// renders a snapshot whose Action list differs from the last one (so the picker is refilled), presses the area's
// button and lets the sheet lay out and paint; closing it again is not counted.
#include "app/AppDelegate.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QJsonArray>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

QJsonObject status(int variant) {
    QJsonArray candidates;
    for (int index = 0; index < 2000; ++index) {
        candidates.append(QJsonObject{
            {QStringLiteral("id"), QStringLiteral("act_%1_%2").arg(variant).arg(index)},
            {QStringLiteral("title"), QStringLiteral("Quarterly infrastructure hygiene, part %1").arg(index)},
            {QStringLiteral("revision"), index},
        });
    }
    const QJsonObject session{
        {QStringLiteral("provider"), QStringLiteral("codex")},
        {QStringLiteral("session"), QStringLiteral("7d1b4e8a-3c62-4f95-b0a7-e5c2d9f1a346")},
        {QStringLiteral("taskId"), QStringLiteral("task_staging_rotation")},
        {QStringLiteral("title"), QStringLiteral("Rotate the staging database credentials")},
        {QStringLiteral("binding"), QJsonObject{{QStringLiteral("mode"), QStringLiteral("unmanaged")}}},
        {QStringLiteral("actionAssociation"),
         QJsonObject{{QStringLiteral("status"), QStringLiteral("ambiguous")},
                     {QStringLiteral("contextRevision"), 1},
                     {QStringLiteral("candidateRevision"), variant},
                     {QStringLiteral("binding"), QJsonObject{{QStringLiteral("revision"), 0}}},
                     {QStringLiteral("candidates"), candidates}}},
    };
    return QJsonObject{
        {QStringLiteral("connection"), QJsonObject{{QStringLiteral("state"), QStringLiteral("online")}}},
        {QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), QJsonArray{session}}}},
    };
}

void PickerOpen2000(benchmark::State& state) {
    auto* app = new AppDelegate(std::make_unique<QtPlatform>());
    app->buildWindow();
    app->window()->resize(1200, 800);
    app->window()->show();
    const QJsonObject statuses[] = {status(0), status(1)};
    app->render(statuses[0]);
    QCoreApplication::processEvents();
    app->window()->findChild<QTableView*>(QStringLiteral("deliveryTable"))->selectRow(0);
    QCoreApplication::processEvents();
    auto* toggle = app->window()->findChild<QPushButton*>(QStringLiteral("actionAssociationToggle"));
    auto* cancel = app->window()->findChild<QPushButton*>(QStringLiteral("associationCancel"));
    auto* panel = app->window()->findChild<QWidget*>(QStringLiteral("associationPanel"));
    int turn = 1;
    for (auto _ : state) {
        app->render(statuses[turn++ % 2]);
        toggle->click();
        QCoreApplication::processEvents();
        if (!panel->isVisible()) {
            state.SkipWithError("the picker did not open");
            break;
        }
        state.PauseTiming();
        cancel->click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    delete app;
}
BENCHMARK(PickerOpen2000)->Unit(benchmark::kMillisecond);

} // namespace
