#include "AreaHarness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/HostLink.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TasksController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>

namespace {

// The list, heading and detail built as the window builds them; sent commands wait in `commands` to be completed.
struct TasksArea : AreaHarness {
    TasksArea() : AreaHarness({QStringLiteral("en-US")}) {
        tasks.buildTaskList(&parent);
        tasks.buildHeading(&parent);
        tasks.buildTaskDetail(&parent);
        tasks.showEmptyTask();
    }

    QString bodyText() const { return view<TaskBodyView>("taskBody")->document()->toPlainText(); }
    int selectedRow() const { // -1 unless exactly one row is selected
        const QModelIndexList rows = view<QTableView>("taskTable")->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void clickRow(int row) {
        auto* table = view<QTableView>("taskTable");
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TasksController tasks{context, link};
};

inline QJsonObject taskList(const QString& items, qint64 activeCount = 0) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}

const QString kChecking = QStringLiteral("Checking status…");
const QString kUnavailable = QStringLiteral("Task content is unavailable. Refresh to try again.");
const QString kTasks = QStringLiteral(R"([{"key":"a","label":"<b>Alpha</b>","state":"running"}, )"
                                      R"({"key":"b","label":"Beta","state":"failed"},{"id":"c","label":"Gamma"}])");
const QString kOneTask = QStringLiteral(R"([{"key":"t1","label":"Weekly digest","state":"succeeded"}])");

// The task keys of the detail requests sent so far; every one without force or fields.
QStringList detailRequests(const TasksArea& area) {
    QStringList keys;
    for (const RecordingCommandSink::Command& command : area.commands.commands) {
        if (command.action == u"task_detail" && !command.force && command.fields.isEmpty()) {
            keys.append(command.taskKey.value_or(QStringLiteral("(none)")));
        }
    }
    return keys;
}

// The character format of the first occurrence of `text` in the body.
QTextCharFormat formatOf(const TasksArea& area, const QString& text) {
    QTextCursor probe(area.view<TaskBodyView>("taskBody")->document());
    probe.setPosition(probe.document()->find(text).selectionStart() + 1);
    return probe.charFormat();
}

TaskBodyView* selectBodyText(const TasksArea& area, int from, int to) {
    auto* body = area.view<TaskBodyView>("taskBody");
    QTextCursor selection(body->document());
    selection.setPosition(from);
    selection.setPosition(to, QTextCursor::KeepAnchor);
    body->setTextCursor(selection);
    return body;
}

} // namespace

class TaskViewsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first task is selected and asked for; a task without identity is listed, but selecting it changes nothing.
    // The selection follows its task when it moves; gone, the first task is selected.
    void listAndSelection() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kTasks, 2));
        QVERIFY(area.link.activeTaskCount == 2 && area.selectedRow() == 0);
        auto* title = area.view<QLabel>("taskTitle");
        QVERIFY(title->text() == u"<b>Alpha</b>" && title->textFormat() == Qt::PlainText &&
                area.bodyText() == kChecking);
        area.commands.complete(0, false);
        QCOMPARE(area.bodyText(), kUnavailable);
        area.tasks.renderTasks(taskList(R"([{"key":"a","label":"Alpha"},{"label":"Nameless"}])"));
        area.clickRow(1);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("a"));
        area.tasks.renderTasks(taskList(kTasks));
        area.clickRow(2);
        area.tasks.renderTasks(taskList(R"([{"key":"x"},{"key":"a"},{"id":"c","label":"Gamma 2"}])"));
        QVERIFY(area.selectedRow() == 2 && title->text() == u"Gamma 2");
        area.tasks.renderTasks(taskList(R"([{"key":"b","label":"Beta"},{"key":"a"}])"));
        QCOMPARE(detailRequests(area), (QStringList{"a", "a", "a", "c", "c", "b"}));
        area.tasks.renderTasks(taskList("[]"));
        QVERIFY(!area.tasks.selectedTaskKey() && title->text() == u"Select a task" && detailRequests(area).size() == 6);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Run a task from your web workspace")));
        QVERIFY(area.view<QWidget>("detailActions")->isHidden() && area.view<QWidget>("taskVisuals")->isHidden());
    }

    // Answers and failures count only for the newest request of the task that is still selected.
    void detailAnswersFollowTheSelection() {
        TasksArea area;
        const QString two = R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])";
        area.tasks.renderTasks(taskList(two));
        area.tasks.renderTasks(taskList(two));
        area.commands.complete(0, false); // superseded by the second
        area.commands.complete(1, true);  // answered: the detail itself comes as its own message
        QCOMPARE(area.bodyText(), kChecking);
        area.clickRow(1);
        area.tasks.handleTaskDetail(json(R"({"taskKey":"only-id","task":{"result":"Old"}})"));
        area.tasks.handleTaskDetail(json(R"({"taskKey":"b","task":"Do B"})"));
        QCOMPARE(area.bodyText(), kChecking);
        area.commands.complete(2, false, QStringLiteral("task_detail refused"));
        QCOMPARE(area.bodyText(), kUnavailable);
        area.tasks.handleTaskDetail(
            json(R"({"taskKey":"b","task":{"instruction":"Do B","report":{"testsRun":["t1",9,"t2"]}}})"));
        QVERIFY(area.bodyText() == u"Request\nDo B\nResult\nNo result yet.\nTests reported\n• t1\n• t2\n");
    }

    // A host that never answers task_detail keeps at most one of them waiting; the others fail as superseded.
    void silentHostHoldsOneDetailRequest() {
        ScriptedLink host(QStringLiteral("no-results"));
        QVERIFY(host.start());
        int failed = 0;
        for (int request = 0; request < 30; ++request) {
            host.link.send("task_detail", false, "a", {}, [&failed](bool ok, const auto&) { failed += ok ? 0 : 1; });
        }
        QVERIFY(host.link.pendingCount() == 1 && failed == 29);
    }

    // Tab leaves the list, Home and End reach its ends, rows are read with their state, only the selected one is filled
    // (inset); a long report is drawn in one pass (it once took quadratic time); a new body keeps the reader's place.
    void keyboardScreenReadersAndLongBodies() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kTasks));
        auto* table = area.view<QTableView>("taskTable");
        area.parent.resize(760, 640);
        area.view<QWidget>("taskDetailArea")->resize(760, 640);
        area.parent.show();
        QVERIFY(QTest::qWaitForWindowActive(&area.parent));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_End);
        QCOMPARE(area.selectedRow(), 2);
        QTest::keyClick(table, Qt::Key_Home);
        QTest::keyClick(table, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() && !table->isAncestorOf(QApplication::focusWidget()) &&
                area.selectedRow() == 0);
        QCOMPARE(table->model()->index(1, 0).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Beta\nFailed"));
        table->resize(240, 3 * 64);
        const QImage image = table->viewport()->grab().toImage().scaled(table->viewport()->size());
        QCOMPARE(image.pixelColor(4, 6), Theme::selected.resolve(appearanceOf(table)));
        QVERIFY(image.pixelColor(4, 64 + 6) != image.pixelColor(4, 6) &&
                image.pixelColor(4, 0) != image.pixelColor(4, 6));

        QElapsedTimer clock;
        clock.start();
        area.tasks.renderTaskDetail(QJsonObject{{"result", QStringLiteral("*a* b ").repeated(4000)}});
        area.tasks.toggleResult();
        auto* body = selectBodyText(area, 10, 20);
        body->document()->pageCount(); // the layout is part of the drawing
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(area.bodyText(), "Full result\n" + QStringLiteral("a b ").repeated(4000).trimmed() + u'\n');
        const int middle = body->verticalScrollBar()->maximum() / 2;
        body->verticalScrollBar()->setValue(middle);
        body->showSections({{"Full result", QStringLiteral("*a* c ").repeated(4000)}});
        QCOMPARE(body->verticalScrollBar()->value(), middle);
        QVERIFY(!body->textCursor().hasSelection() && body->textCursor().position() == 0);
    }

    // The same detail again is not drawn again (the reader's selection stays); a switch, a failure or a new state
    // draws it again; another task starts with its switches off.
    void detailDrawnWhenItChangesAndLinks() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kOneTask));
        const QJsonObject detail = json(R"({"instruction":"Post the digest","result":"Posted **on time**.", )"
                                        R"("purpose":{"successCriteria":["a","b","c","d","e"]}})");
        area.tasks.renderTaskDetail(detail);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Request\nPost the digest\n")));
        auto* body = selectBodyText(area, 8, 12);
        area.tasks.renderTaskDetail(detail);
        QCOMPARE(body->textCursor().selectedText(), QStringLiteral("Post"));
        auto* criteria = area.view<QPushButton>("criteriaButton");
        criteria->click();
        QVERIFY(criteria->text() == u"Hide all criteria" && area.bodyText().contains("All success criteria\n1. a\n"));

        area.tasks.renderTasks(taskList(kOneTask));
        area.commands.complete(area.commands.commands.size() - 1, false);
        area.tasks.renderTaskDetail(detail);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Request\nPost the digest\n")));
        selectBodyText(area, 8, 12);
        area.tasks.renderTasks(taskList(R"([{"key":"t1","label":"Weekly digest","state":"failed"}])"));
        area.tasks.renderTaskDetail(detail);
        QVERIFY(!body->textCursor().hasSelection());

        area.tasks.renderTasks(taskList(R"([{"key":"t2","label":"Other"}])"));
        QVERIFY(area.view<QWidget>("detailActions")->isHidden() && area.view<QWidget>("taskVisuals")->isHidden());
        area.tasks.renderTaskDetail(detail);
        QCOMPARE(criteria->text(), QStringLiteral("Show all criteria"));

        // Rich text from inline Markdown without heading markers, recoloured in place when the appearance changes;
        // links open only when safe, as buttons or in the body, which never navigates itself.
        const QJsonArray links{QJsonObject{{"url", "https://docs.example.org/q3"}}};
        const QString result = "## Summary\n**118** of `120` *now*, [a](javascript:x) [b](https://x.example/b) end";
        area.tasks.renderTaskDetail(QJsonObject{{"truncated", true}, {"links", links}, {"result", result}});
        area.view<QPushButton>("resultButton")->click();
        QCOMPARE(area.bodyText(), QStringLiteral("Full result\nSummary\n118 of 120 now, a b end\n\n"
                                                 "Showing an excerpt of this long task.\n"));
        QVERIFY(formatOf(area, "118").fontWeight() == QFont::DemiBold && formatOf(area, "120").fontFixedPitch() &&
                formatOf(area, "now").fontItalic());
        selectBodyText(area, 0, 4);
        setWindowAppearance(&area.parent, Appearance::dark);
        QCOMPARE((QList<QColor>{formatOf(area, "Full").foreground().color(), formatOf(area, "118").foreground().color(),
                                formatOf(area, "b").foreground().color()}),
                 (QList<QColor>{Theme::secondary.resolve(Appearance::dark), Theme::text.resolve(Appearance::dark),
                                Theme::accent.resolve(Appearance::dark)}));
        QCOMPARE(body->textCursor().selectedText(), QStringLiteral("Full"));
        QCOMPARE(body->findChildren<QTextDocument*>().size(), 1); // documents do not pile up

        const QList<QPushButton*> buttons = area.view<QWidget>("taskLinks")->findChildren<QPushButton*>();
        QVERIFY(buttons.size() == 1 && buttons.first()->text() == u"docs.example.org");
        buttons.first()->click();
        Q_EMIT body->anchorClicked(QUrl(formatOf(area, "a").anchorHref()));
        Q_EMIT body->anchorClicked(QUrl(formatOf(area, "b").anchorHref()));
        QCOMPARE(area.platform.openedUrls,
                 (QList<QUrl>{QUrl("https://docs.example.org/q3"), QUrl("https://x.example/b")}));
        QVERIFY(body->source().isEmpty());
        area.tasks.renderTaskDetail(json(R"({"links":[{"url":"javascript:x"}]})"));
        QVERIFY(area.view<QWidget>("taskLinks")->isHidden());
    }
};

VODU_TEST_SUITE(TaskViewsTest)
#include "TaskViewsTest.moc"
