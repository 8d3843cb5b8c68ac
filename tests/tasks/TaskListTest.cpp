#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskStates.h"
#include "ui/ThemedLabel.h"

#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject tasks(const QString& items, qint64 activeCount = 0) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray statusFrame(const QString& items) {
    return compact(QJsonObject{{"type", "status"}, {"status", QJsonObject{{"tasks", tasks(items)}}}});
}

int selectedRow(AppDelegate& app) {
    const QModelIndexList rows = view<QTableView>(app, "taskTable")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

void clickRow(AppDelegate& app, int row) {
    view<QTableView>(app, "taskTable")
        ->selectionModel()
        ->select(view<QTableView>(app, "taskTable")->model()->index(row, 0),
                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString bodyText(AppDelegate& app) {
    return view<TaskBodyView>(app, "taskBody")->document()->toPlainText();
}

// The task_detail commands the scripted host received.
QList<QJsonObject> detailRequests(const ScriptedHost& host) {
    QList<QJsonObject> commands;
    for (const QJsonObject& command : host.received()) {
        if (command.value("action").toString() == u"task_detail") {
            commands.append(command);
        }
    }
    return commands;
}

void verifyEmptyState(AppDelegate& app) {
    QVERIFY(!app.tasks().selectedTaskKey());
    QCOMPARE(view<QLabel>(app, "taskTitle")->text(), QStringLiteral("Select a task"));
    QCOMPARE(bodyText(app), QStringLiteral("Run a task from your web workspace to see its content and results here."));
    QVERIFY(view<QWidget>(app, "detailActions")->isHidden());
    QVERIFY(view<QWidget>(app, "taskVisuals")->isHidden());
}

const QString kUnavailable = QStringLiteral("Task content is unavailable. Refresh to try again.");
const QString kThreeTasks = QStringLiteral(
    R"([{"key":"a","label":"Alpha","state":"running"},{"key":"b","label":"Beta","state":"failed"},
        {"id":"c","label":"Gamma","state":"pr_ready_for_review"}])");

} // namespace

class TaskListTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstSnapshotSelectsTheFirstTask() {
        Harness harness;
        AppDelegate& app = harness.app();
        verifyEmptyState(app);
        QCOMPARE(view<QTableView>(app, "taskTable")->verticalHeader()->defaultSectionSize(), 64);
        view<QPushButton>(app, "tasksNav")->click();
        app.render(QJsonObject{{QStringLiteral("tasks"), tasks(kThreeTasks, 2)}});
        QCOMPARE(view<QLabel>(app, "tasksLabel")->text(), QStringLiteral("Tasks · 2 running"));
        QCOMPARE(view<QTableView>(app, "taskTable")->model()->rowCount(), 3);
        QCOMPARE(selectedRow(app), 0);
        QCOMPARE(app.tasks().selectedTaskKey(), QStringLiteral("a"));
        QCOMPARE(view<QLabel>(app, "taskTitle")->text(), QStringLiteral("Alpha"));
        QCOMPARE(view<QLabel>(app, "taskState")->text(), QStringLiteral("●  Running"));
        auto* state = qobject_cast<ThemedLabel*>(view<QLabel>(app, "taskState"));
        QVERIFY(state);
        QCOMPARE(state->color().resolve(Appearance::dark), taskStateColor("running").resolve(Appearance::dark));
        // Without a host the request fails at once, for the task that is still selected.
        QCOMPARE(bodyText(app), kUnavailable);

        app.tasks().renderTasks(tasks("[]"));
        verifyEmptyState(app);
        QCOMPARE(view<QTableView>(app, "taskTable")->model()->rowCount(), 0);
    }

    void selectionFollowsTheTaskAcrossSnapshots() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.tasks().renderTasks(tasks(kThreeTasks));
        clickRow(app, 2);
        QCOMPARE(app.tasks().selectedTaskKey(), QStringLiteral("c"));
        // The task with an id but no key moved down: still selected, and shown as it is now.
        app.tasks().renderTasks(tasks(R"([{"key":"x"},{"key":"a"},{"id":"c","label":"Gamma 2"}])"));
        QCOMPARE(selectedRow(app), 2);
        QCOMPARE(app.tasks().selectedTaskKey(), QStringLiteral("c"));
        QCOMPARE(view<QLabel>(app, "taskTitle")->text(), QStringLiteral("Gamma 2"));
        // It disappeared: the first task is selected.
        app.tasks().renderTasks(tasks(R"([{"key":"b","label":"Beta"},{"key":"a"}])"));
        QCOMPARE(selectedRow(app), 0);
        QCOMPARE(app.tasks().selectedTaskKey(), QStringLiteral("b"));
        QCOMPARE(view<QLabel>(app, "taskTitle")->text(), QStringLiteral("Beta"));
    }

    // A task with neither key nor id is listed, but selecting it changes nothing. Host text is never markup.
    void taskWithoutIdentityIsListedButChangesNothing() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QString items = R"([{"key":"a","label":"<img src=x><b>Alpha</b>"},{"label":"Nameless"}])";
        app.tasks().renderTasks(tasks(items));
        QCOMPARE(view<QTableView>(app, "taskTable")->model()->rowCount(), 2);
        clickRow(app, 0);
        clickRow(app, 1);
        QCOMPARE(app.tasks().selectedTaskKey(), QStringLiteral("a"));
        QCOMPARE(view<QLabel>(app, "taskTitle")->text(), QStringLiteral("<img src=x><b>Alpha</b>"));
        QCOMPARE(view<QLabel>(app, "taskTitle")->textFormat(), Qt::PlainText);
        // The next snapshot puts the selection back on the task that is shown.
        app.tasks().renderTasks(tasks(items));
        QCOMPARE(selectedRow(app), 0);
    }

    // Only the rounded shape of the selected row is filled, inset from its top, in both appearances.
    void selectedRowIsDrawnWithTheSelectedFill() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.tasks().renderTasks(tasks(kThreeTasks));
        view<QTableView>(app, "taskTable")->resize(240, 3 * 64);
        for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
            setWindowAppearance(app.window(), appearance);
            const QImage image = view<QTableView>(app, "taskTable")->viewport()->grab().toImage();
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

    // With a scripted host that records commands but never answers them.
    void detailRequestsFollowTheSelection() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("no-results"));
        QVERIFY(host.ready());
        QTRY_COMPARE(app.linkState().runningVersion, QStringLiteral("9.9.9")); // the host's own first snapshot is in

        // An empty list asks for nothing; every other snapshot asks again, an id standing in for a missing key.
        app.link().handleLine(statusFrame("[]"));
        const QString two = R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])";
        app.link().handleLine(statusFrame(two));
        app.link().handleLine(statusFrame(two));
        QTRY_COMPARE(detailRequests(host).size(), 2);
        for (const QJsonObject& command : detailRequests(host)) {
            QCOMPARE(command.value("taskKey").toString(), QStringLiteral("only-id"));
            QVERIFY(!command.contains("force"));
        }
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…"));
        const QString firstId = detailRequests(host).first().value("id").toString();

        // The user moves on; the old request then fails or answers late. The new task's body is left alone.
        clickRow(app, 1);
        QTRY_COMPARE(detailRequests(host).size(), 3);
        const QJsonObject second = detailRequests(host).last();
        QCOMPARE(second.value("taskKey").toString(), QStringLiteral("b"));
        app.link().handleLine(compact(QJsonObject{{"type", "result"}, {"id", firstId}, {"ok", false}}));
        app.link().handleLine(R"({"type":"task_detail","taskKey":"only-id","task":{"result":"Old"}})");
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…"));
        QVERIFY(app.tasks().selectedDetail().isEmpty());

        // The selected task's own failure is shown, and replaced by its detail when that comes.
        app.link().handleLine(compact(QJsonObject{{"type", "result"}, {"id", second.value("id")}, {"ok", false}}));
        QCOMPARE(bodyText(app), kUnavailable);
        app.link().handleLine(R"({"type":"task_detail","taskKey":"b","task":{"instruction":"Do B"}})");
        QVERIFY(bodyText(app).contains(QStringLiteral("Do B")));
    }

    // A host that never answers task_detail keeps at most one of them waiting, however many snapshots arrive.
    void silentHostHoldsOneDetailRequest() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("no-results"));
        QVERIFY(host.ready());
        const qsizetype before = app.link().pendingCount();
        for (int snapshot = 0; snapshot < 30; ++snapshot) {
            app.link().handleLine(statusFrame(R"([{"key":"a","label":"Alpha"}])"));
        }
        QTRY_COMPARE(detailRequests(host).size(), 30);
        QCOMPARE(app.link().pendingCount(), before + 1);
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…")); // superseded requests are not failures
    }
};

VODU_TEST_SUITE(TaskListTest)
#include "TaskListTest.moc"
