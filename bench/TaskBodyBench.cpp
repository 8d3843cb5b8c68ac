// Time to draw the body of one task detail on the shown Tasks page; the Time column is per drawing. "Render..." runs
// the whole detail through the controller and lays the document out to the end. "Show..." is the body alone, built
// whole by TaskBodyView::showSections: laidOut:0 is what the call blocks for (the view lays out the rest in steps),
// laidOut:1 adds the rest of the layout. Budgets on a Release build: 100 KB with 20,000 inline runs under 50 ms,
// 17 KB of prose under 5 ms. "...OneParagraph" is the same runs without a line break: one paragraph is laid out
// whole, so it is the hardest case for the layout.
#include "app/AppDelegate.h"
#include "platform/QtPlatform.h"
#include "tasks/InlineMarkdown.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskDetailContent.h"
#include "tasks/TasksController.h"

#include <QApplication>
#include <QJsonArray>
#include <QMainWindow>
#include <QPushButton>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

AppDelegate& controller() {
    static AppDelegate* app = [] {
        auto* created = new AppDelegate(std::make_unique<QtPlatform>());
        created->buildWindow();
        created->window()->resize(1200, 800);
        created->window()->show();
        // The Tasks page, so the body is laid out as it is written.
        created->window()->findChild<QPushButton*>(QStringLiteral("tasksNav"))->click();
        created->tasks().renderTasks(
            QJsonObject{{QStringLiteral("items"),
                         QJsonArray{QJsonObject{{QStringLiteral("key"), QStringLiteral("tsk_1")},
                                                {QStringLiteral("label"), QStringLiteral("Weekly revenue digest")},
                                                {QStringLiteral("state"), QStringLiteral("succeeded")}}}}});
        QCoreApplication::processEvents();
        return created;
    }();
    return *app;
}

// About 100 KB in lines of a report: every line mixes plain text with emphasis, strong emphasis and code.
QString inlineRuns(bool lineBreaks) {
    static const char* const marked[] = {"*note*", "**done**", "`cfg`", "*retry*", "**ok**"};
    QString text;
    for (int unit = 0; unit < 10000; ++unit) {
        text += QString::fromLatin1(marked[unit % 5]);
        text += (lineBreaks && unit % 6 == 5) ? QStringLiteral(" so\n") : QStringLiteral(" to ");
    }
    return text;
}

// About 17 KB of plain paragraphs, as a long result report reads.
QString prose() {
    const QString sentence = QStringLiteral(
        "The weekly digest was assembled from the billing export, checked against last week's totals and posted "
        "to the team channel once the reviewers had signed off on the numbers. ");
    QString text;
    for (int paragraph = 0; paragraph < 25; ++paragraph) {
        text += sentence.repeated(4).trimmed() + QStringLiteral("\n\n");
    }
    return text;
}

TaskBodyView* taskBody(AppDelegate& app) {
    return app.window()->findChild<TaskBodyView*>(QStringLiteral("taskBody"));
}

// The whole detail through the controller, laid out to the end. Two details that differ in one character take
// turns, so each round draws a changed detail with the full result shown.
void renderDetail(benchmark::State& state, const QString& result) {
    AppDelegate& app = controller();
    const QJsonObject details[] = {{{QStringLiteral("result"), result}},
                                   {{QStringLiteral("result"), result + QStringLiteral(".")}}};
    app.tasks().forgetTaskDetail();
    app.tasks().renderTaskDetail(details[0]);
    app.tasks().toggleResult();
    state.counters["chars"] = static_cast<double>(result.size());
    state.counters["runs"] = static_cast<double>(parseInlineMarkdown(result).size());
    int round = 0;
    for (auto _ : state) {
        app.tasks().renderTaskDetail(details[++round % 2]);
        benchmark::DoNotOptimize(taskBody(app)->document()->pageCount()); // finishes the layout
    }
}

// The body alone, built whole and then set; `laidOut` also finishes the layout the view otherwise does in steps.
void showBody(benchmark::State& state, const QString& result, bool laidOut) {
    AppDelegate& app = controller();
    const QList<TaskSection> sections =
        taskDetailSections(QJsonObject{{QStringLiteral("result"), result}}, QStringLiteral("Weekly revenue digest"),
                           TaskDetailSwitches{true, false, false}, app.copy());
    for (auto _ : state) {
        taskBody(app)->showSections(sections);
        if (laidOut) {
            benchmark::DoNotOptimize(taskBody(app)->document()->pageCount());
        }
    }
}

void RenderInlineRuns(benchmark::State& state) {
    renderDetail(state, inlineRuns(true));
}
BENCHMARK(RenderInlineRuns)->Unit(benchmark::kMillisecond);

void RenderInlineRunsOneParagraph(benchmark::State& state) {
    renderDetail(state, inlineRuns(false));
}
BENCHMARK(RenderInlineRunsOneParagraph)->Unit(benchmark::kMillisecond);

void RenderProse(benchmark::State& state) {
    renderDetail(state, prose());
}
BENCHMARK(RenderProse)->Unit(benchmark::kMillisecond);

void ShowInlineRuns(benchmark::State& state) {
    showBody(state, inlineRuns(true), state.range(0) != 0);
}
BENCHMARK(ShowInlineRuns)->ArgName("laidOut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ShowInlineRunsOneParagraph(benchmark::State& state) {
    showBody(state, inlineRuns(false), state.range(0) != 0);
}
BENCHMARK(ShowInlineRunsOneParagraph)->ArgName("laidOut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ShowProse(benchmark::State& state) {
    showBody(state, prose(), state.range(0) != 0);
}
BENCHMARK(ShowProse)->ArgName("laidOut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
