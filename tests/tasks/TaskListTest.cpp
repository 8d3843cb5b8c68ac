#include "Harness.h"
#include "ScriptedHost.h"
#include "TasksArea.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskStates.h"
#include "ui/ThemedLabel.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTableView>
#include <QTest>

namespace {

const QString kChecking = QStringLiteral("Checking status…");
const QString kUnavailable = QStringLiteral("Task content is unavailable. Refresh to try again.");
const QString kThreeTasks = QStringLiteral(
    R"([{"key":"a","label":"Alpha","state":"running"},{"key":"b","label":"Beta","state":"failed"},
        {"id":"c","label":"Gamma","state":"pr_ready_for_review"}])");

void verifyEmptyState(const TasksArea& area) {
    QVERIFY(!area.tasks.selectedTaskKey());
    QCOMPARE(area.view<QLabel>("taskTitle")->text(), QStringLiteral("Select a task"));
    QCOMPARE(area.bodyText(),
             QStringLiteral("Run a task from your web workspace to see its content and results here."));
    QVERIFY(area.view<QWidget>("detailActions")->isHidden());
    QVERIFY(area.view<QWidget>("taskVisuals")->isHidden());
}

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

} // namespace

class TaskListTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstSnapshotSelectsTheFirstTask() {
        TasksArea area;
        verifyEmptyState(area);
        area.tasks.renderTasks(taskList(kThreeTasks, 2));
        QCOMPARE(area.link.activeTaskCount, 2);
        QCOMPARE(area.view<QTableView>("taskTable")->model()->rowCount(), 3);
        QCOMPARE(area.selectedRow(), 0);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("a"));
        QCOMPARE(area.view<QLabel>("taskTitle")->text(), QStringLiteral("Alpha"));
        QCOMPARE(area.view<QLabel>("taskState")->text(), QStringLiteral("●  Running"));
        auto* state = area.view<ThemedLabel>("taskState");
        QVERIFY(state);
        QCOMPARE(state->color().resolve(Appearance::dark), taskStateColor("running").resolve(Appearance::dark));
        QCOMPARE(detailRequests(area), QStringList{"a"});
        QCOMPARE(area.bodyText(), kChecking);
        area.commands.complete(0, false);
        QCOMPARE(area.bodyText(), kUnavailable);

        area.tasks.renderTasks(taskList("[]"));
        verifyEmptyState(area);
        QCOMPARE(area.view<QTableView>("taskTable")->model()->rowCount(), 0);
        QCOMPARE(area.commands.commands.size(), 1); // an empty list asks for nothing
        // Disconnected: nothing counts as running any more, so quitting asks no question.
        area.tasks.renderTasks(taskList(kThreeTasks, 2));
        area.tasks.forgetRunningTasks();
        QCOMPARE(area.link.activeTaskCount, 0);
    }

    void selectionFollowsTheTaskAcrossSnapshots() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kThreeTasks));
        area.clickRow(2);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("c"));
        // The task with an id but no key moved down: still selected, and shown as it is now.
        area.tasks.renderTasks(taskList(R"([{"key":"x"},{"key":"a"},{"id":"c","label":"Gamma 2"}])"));
        QCOMPARE(area.selectedRow(), 2);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("c"));
        QCOMPARE(area.view<QLabel>("taskTitle")->text(), QStringLiteral("Gamma 2"));
        // It disappeared: the first task is selected.
        area.tasks.renderTasks(taskList(R"([{"key":"b","label":"Beta"},{"key":"a"}])"));
        QCOMPARE(area.selectedRow(), 0);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("b"));
        QCOMPARE(area.view<QLabel>("taskTitle")->text(), QStringLiteral("Beta"));
    }

    // A task with neither key nor id is listed, but selecting it changes nothing. Host text is never markup.
    void taskWithoutIdentityIsListedButChangesNothing() {
        TasksArea area;
        const QString items = R"([{"key":"a","label":"<img src=x><b>Alpha</b>"},{"label":"Nameless"}])";
        area.tasks.renderTasks(taskList(items));
        QCOMPARE(area.view<QTableView>("taskTable")->model()->rowCount(), 2);
        area.clickRow(0);
        area.clickRow(1);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("a"));
        QCOMPARE(detailRequests(area), QStringList{"a"});
        QCOMPARE(area.view<QLabel>("taskTitle")->text(), QStringLiteral("<img src=x><b>Alpha</b>"));
        QCOMPARE(area.view<QLabel>("taskTitle")->textFormat(), Qt::PlainText);
        // The next snapshot puts the selection back on the task that is shown.
        area.tasks.renderTasks(taskList(items));
        QCOMPARE(area.selectedRow(), 0);
    }

    // Only the rounded shape of the selected row is filled, inset from its top, in both appearances.
    void selectedRowIsDrawnWithTheSelectedFill() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kThreeTasks));
        auto* table = area.view<QTableView>("taskTable");
        table->resize(240, 3 * 64);
        for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
            setWindowAppearance(&area.parent, appearance);
            const QImage image = table->viewport()->grab().toImage();
            const auto pixel = [&image](int x, int y) {
                return image.pixelColor(
                    QPoint(qRound(x * image.devicePixelRatio()), qRound(y * image.devicePixelRatio())));
            };
            const QColor selected = Theme::selected.resolve(appearance);
            QCOMPARE(pixel(4, 6), selected);
            QVERIFY(pixel(4, 64 + 6) != selected);
            QVERIFY(pixel(4, 0) != Theme::selected.resolve(Appearance::light));
            QVERIFY(pixel(4, 0) != Theme::selected.resolve(Appearance::dark));
        }
    }

    // Every snapshot asks for the selected task's detail again; answers and failures count only for the task that is
    // still selected.
    void detailRequestsFollowTheSelection() {
        TasksArea area;
        const QString two = R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])";
        area.tasks.renderTasks(taskList(two));
        area.tasks.renderTasks(taskList(two));
        QCOMPARE(detailRequests(area), (QStringList{"only-id", "only-id"})); // an id stands in for a missing key
        QCOMPARE(area.bodyText(), kChecking);
        area.commands.complete(1, true); // answered: the detail itself comes as its own message
        QCOMPARE(area.bodyText(), kChecking);

        // The user moves on; the old request then fails or answers late. The new task's body is left alone.
        area.clickRow(1);
        QCOMPARE(detailRequests(area), (QStringList{"only-id", "only-id", "b"}));
        area.commands.complete(0, false);
        area.tasks.handleTaskDetail(json(R"({"taskKey":"only-id","task":{"result":"Old"}})"));
        QCOMPARE(area.bodyText(), kChecking);
        QVERIFY(area.tasks.selectedDetail().isEmpty());
        // A detail that is no object, or for no task, draws nothing.
        area.tasks.handleTaskDetail(json(R"({"taskKey":"b","task":"Do B"})"));
        area.tasks.handleTaskDetail(json(R"({"task":{"instruction":"Do B"}})"));
        QCOMPARE(area.bodyText(), kChecking);

        // The selected task's own failure is shown, and replaced by its detail when that comes.
        area.commands.complete(2, false, QStringLiteral("task_detail refused"));
        QCOMPARE(area.bodyText(), kUnavailable);
        area.tasks.handleTaskDetail(json(R"({"taskKey":"b","task":{"instruction":"Do B"}})"));
        QVERIFY(area.bodyText().contains(QStringLiteral("Do B")));
    }

    // A list of rows, not a grid: Tab leaves it (no task is selected or asked for on the way), Home and End go to
    // the ends, and each row is read aloud with the state shown under its title.
    void keyboardAndScreenReaders() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kThreeTasks));
        auto* table = area.view<QTableView>("taskTable");
        area.parent.show();
        QVERIFY(QTest::qWaitForWindowActive(&area.parent));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_End);
        QCOMPARE(area.selectedRow(), 2);
        QTest::keyClick(table, Qt::Key_Home);
        QCOMPARE(area.selectedRow(), 0);
        const qsizetype requests = detailRequests(area).size();
        QTest::keyClick(table, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() && QApplication::focusWidget() != table &&
                !table->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(area.selectedRow(), 0);
        QCOMPARE(detailRequests(area).size(), requests);

        const QModelIndex failed = table->model()->index(1, 0);
        QCOMPARE(failed.data(Qt::AccessibleTextRole).toString(), QStringLiteral("Beta\nFailed"));
    }

    // A host that never answers task_detail keeps at most one of them waiting, however many snapshots arrive.
    void silentHostHoldsOneDetailRequest() {
        const auto statusFrame = [](const char* items) {
            return QJsonDocument(
                       QJsonObject{
                           {"type", "status"},
                           {"status",
                            QJsonObject{{"tasks", QJsonObject{{"items", QJsonDocument::fromJson(items).array()}}}}}})
                .toJson(QJsonDocument::Compact);
        };
        const auto detailRequests = [](const ScriptedHost& host) {
            QList<QJsonObject> commands;
            for (const QJsonObject& command : host.received()) {
                if (command.value("action").toString() == u"task_detail") {
                    commands.append(command);
                }
            }
            return commands;
        };
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("no-results"));
        QVERIFY(host.ready());
        const qsizetype before = app.link().pendingCount();
        for (int snapshot = 0; snapshot < 30; ++snapshot) {
            // Each snapshot differs (a heartbeat repeating the last one asks nothing again).
            const QByteArray items = "[{\"key\":\"a\",\"label\":\"Alpha " + QByteArray::number(snapshot) + "\"}]";
            app.link().handleLine(statusFrame(items.constData()));
        }
        QTRY_COMPARE(detailRequests(host).size(), 30);
        QCOMPARE(app.link().pendingCount(), before + 1);
        // Superseded requests are not failures.
        QCOMPARE(view<TaskBodyView>(app, "taskBody")->document()->toPlainText(), kChecking);
    }
};

VODU_TEST_SUITE(TaskListTest)
#include "TaskListTest.moc"
