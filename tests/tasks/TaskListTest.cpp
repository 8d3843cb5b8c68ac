#include "Harness.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "ui/ThemedLabel.h"

#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject tasks(const QString& items, qint64 activeCount = 0) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}

QByteArray statusFrame(const QString& items) {
    return QJsonDocument(QJsonObject{{"type", "status"}, {"status", QJsonObject{{"tasks", tasks(items)}}}})
        .toJson(QJsonDocument::Compact);
}

int selectedRow(AppDelegate& app) {
    const QModelIndexList rows = app.taskTable->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

void clickRow(AppDelegate& app, int row) {
    app.taskTable->selectionModel()->select(app.taskTable->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString bodyText(AppDelegate& app) {
    return app.taskBody->document()->toPlainText();
}

// Commands the scripted host received, as objects.
QList<QJsonObject> received(const QString& logPath, const QString& action) {
    QList<QJsonObject> commands;
    QFile log(logPath);
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QJsonObject command = QJsonDocument::fromJson(line).object();
            if (command.value("action").toString() == action) {
                commands.append(command);
            }
        }
    }
    return commands;
}

const QString kUnavailable = QStringLiteral("Task content is unavailable. Refresh to try again.");
const QString kThreeTasks = QStringLiteral(
    R"([{"key":"a","label":"Alpha","state":"running"},{"key":"b","label":"Beta","state":"failed"},
        {"id":"c","label":"Gamma","state":"pr_ready_for_review"}])");

} // namespace

class TaskListTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWithTheEmptyState() {
        Harness harness;
        AppDelegate& app = harness.app();
        QCOMPARE(app.taskTitle->text(), QStringLiteral("Select a task"));
        QCOMPARE(app.taskState->text(), QStringLiteral("Tasks"));
        QCOMPARE(bodyText(app),
                 QStringLiteral("Run a task from your web workspace to see its content and results here."));
        QVERIFY(app.detailActions->isHidden());
        QVERIFY(app.taskVisuals->isHidden());
        QCOMPARE(app.taskTable->objectName(), QStringLiteral("taskTable"));
        QCOMPARE(app.taskTable->verticalHeader()->defaultSectionSize(), 64);
    }

    void firstSnapshotSelectsTheFirstTask() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(kThreeTasks, 2));
        QCOMPARE(app.activeTaskCount, qint64(2));
        QCOMPARE(app.taskItems.size(), 3);
        QCOMPARE(app.taskTable->model()->rowCount(), 3);
        QCOMPARE(selectedRow(app), 0);
        QCOMPARE(app.selectedTaskKey, QStringLiteral("a"));
        QCOMPARE(app.taskTitle->text(), QStringLiteral("Alpha"));
        QCOMPARE(app.taskState->text(), QStringLiteral("●  Running"));
        // Without a host the request fails at once, for the task that is still selected.
        QCOMPARE(bodyText(app), kUnavailable);
    }

    void selectionFollowsTheTaskAcrossSnapshots_data() {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("title");
        QTest::newRow("task moved down") << 1 << R"([{"key":"x"},{"key":"a"},{"key":"b","label":"Beta"}])" << 2 << "b"
                                         << "Beta";
        QTest::newRow("selected task disappeared") << 1 << R"([{"key":"c","label":"Gamma"},{"key":"a"}])" << 0 << "c"
                                                   << "Gamma";
        QTest::newRow("task with id only stays selected")
            << 2 << R"([{"id":"c","label":"Gamma 2"},{"key":"a"}])" << 0 << "c"
            << "Gamma 2";
        QTest::newRow("same key in another field") << 1 << R"([{"id":"z"},{"id":"b","label":"B by id"}])" << 1 << "b"
                                                   << "B by id";
    }

    void selectionFollowsTheTaskAcrossSnapshots() {
        QFETCH(int, clicked);
        QFETCH(QString, next);
        QFETCH(int, row);
        QFETCH(QString, key);
        QFETCH(QString, title);
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(kThreeTasks));
        clickRow(app, clicked);
        app.renderTasks(tasks(next));
        QCOMPARE(selectedRow(app), row);
        QCOMPARE(app.selectedTaskKey, key);
        QCOMPARE(app.taskTitle->text(), title);
    }

    void taskWithoutIdentityIsListedButChangesNothing() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(R"([{"key":"a","label":"Alpha"},{"label":"Nameless","state":"failed"}])"));
        QCOMPARE(app.taskTable->model()->rowCount(), 2);
        clickRow(app, 0);
        QCOMPARE(app.selectedTaskKey, QStringLiteral("a"));
        clickRow(app, 1);
        QCOMPARE(app.selectedTaskKey, QStringLiteral("a"));
        QCOMPARE(app.taskTitle->text(), QStringLiteral("Alpha"));
        // The next snapshot puts the selection back on the task that is shown.
        app.renderTasks(tasks(R"([{"key":"a","label":"Alpha"},{"label":"Nameless","state":"failed"}])"));
        QCOMPARE(selectedRow(app), 0);
    }

    void emptyListShowsTheEmptyState() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(kThreeTasks));
        app.renderTasks(tasks("[]"));
        QVERIFY(!app.selectedTaskKey);
        QCOMPARE(app.taskTitle->text(), QStringLiteral("Select a task"));
        QCOMPARE(bodyText(app),
                 QStringLiteral("Run a task from your web workspace to see its content and results here."));
        QCOMPARE(app.taskTable->model()->rowCount(), 0);
    }

    void stateLineAndColour() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(R"([{"key":"c","label":"Gamma","state":"pr_ready_for_review"}])"));
        QCOMPARE(app.taskState->text(), QStringLiteral("✓  Pr Ready For Review"));
        auto* state = qobject_cast<ThemedLabel*>(app.taskState);
        QVERIFY(state);
        QCOMPARE(state->color().resolve(Appearance::light), QColor(0x18, 0x7A, 0x2D));
        QCOMPARE(state->color().resolve(Appearance::dark), QColor(0x81, 0xD9, 0x9B));
    }

    void hostTextIsNeverMarkup() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.renderTasks(tasks(R"([{"key":"a","label":"<img src=x><b>Bold</b>"}])"));
        QCOMPARE(app.taskTitle->textFormat(), Qt::PlainText);
        QCOMPARE(app.taskTitle->text(), QStringLiteral("<img src=x><b>Bold</b>"));
    }

    void tasksLabelCountsRunningTasksOnTheTasksPage() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.selectSidebarNav(app.tasksNav);
        app.renderTasks(tasks(kThreeTasks, 7));
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("Tasks · 7 running"));
    }

    void selectedRowIsDrawnWithTheSelectedFill() {
        Harness harness;
        AppDelegate& app = harness.app();
        setWindowAppearance(app.window.data(), Appearance::light);
        app.renderTasks(tasks(kThreeTasks));
        app.taskTable->resize(240, 3 * 64);
        const QImage image = app.taskTable->viewport()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const auto pixel = [&](int x, int y) {
            return image.pixelColor(QPoint(qRound(x * ratio), qRound(y * ratio)));
        };
        QCOMPARE(pixel(4, 6), Theme::selected.resolve(Appearance::light));
        QVERIFY(pixel(4, 64 + 6) != Theme::selected.resolve(Appearance::light));
        // Only the rounded shape is filled: nothing above its 2-point inset, not even the style's row highlight.
        QVERIFY(pixel(4, 0) != Theme::selected.resolve(Appearance::light));
        setWindowAppearance(app.window.data(), Appearance::dark);
        const QImage dark = app.taskTable->viewport()->grab().toImage();
        QCOMPARE(dark.pixelColor(QPoint(qRound(4 * ratio), qRound(6 * ratio))),
                 Theme::selected.resolve(Appearance::dark));
        const QColor aboveDark = dark.pixelColor(QPoint(qRound(4 * ratio), 0));
        QVERIFY(aboveDark != Theme::selected.resolve(Appearance::dark));
        QVERIFY(aboveDark != Theme::selected.resolve(Appearance::light));
    }

    // With a real (scripted) host that records commands but never answers them.
    void detailRequestsFollowTheSelection() {
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        QTemporaryDir logs;
        const QString logPath = logs.filePath(QStringLiteral("received.log"));
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("no-results"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), logPath);
        app.startHost();
        QVERIFY(QTest::qWaitFor([&app] { return app.hostIsRunning(); }, 10000));
        QTRY_COMPARE(app.runningVersion, QStringLiteral("9.9.9")); // the host's own first snapshot is in

        // An empty list asks for nothing.
        app.handleLine(statusFrame("[]"));
        // Every snapshot asks again for the selected task; an id stands in for a missing key.
        app.handleLine(statusFrame(R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])"));
        app.handleLine(statusFrame(R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])"));
        QTRY_COMPARE(received(logPath, "task_detail").size(), 2);
        for (const QJsonObject& command : received(logPath, "task_detail")) {
            QCOMPARE(command.value("taskKey").toString(), QStringLiteral("only-id"));
            QVERIFY(!command.contains("force"));
        }
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…"));
        const QString firstId = received(logPath, "task_detail").first().value("id").toString();

        // The user moves on; the old request then fails. The new task's body is left alone.
        clickRow(app, 1);
        QTRY_COMPARE(received(logPath, "task_detail").size(), 3);
        const QString secondId = received(logPath, "task_detail").last().value("id").toString();
        QCOMPARE(received(logPath, "task_detail").last().value("taskKey").toString(), QStringLiteral("b"));
        app.handleLine(QJsonDocument(QJsonObject{{"type", "result"}, {"id", firstId}, {"ok", false}})
                           .toJson(QJsonDocument::Compact));
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…"));
        // A detail for the task that was left is dropped as well.
        app.handleLine(R"({"type":"task_detail","taskKey":"only-id","task":{"result":"Old"}})");
        QCOMPARE(bodyText(app), QStringLiteral("Checking status…"));
        QVERIFY(app.selectedDetail.isEmpty());

        // The selected task's own failure is shown.
        app.handleLine(QJsonDocument(QJsonObject{{"type", "result"}, {"id", secondId}, {"ok", false}})
                           .toJson(QJsonDocument::Compact));
        QCOMPARE(bodyText(app), kUnavailable);
        // And its detail, when it comes, replaces the failure.
        app.handleLine(R"({"type":"task_detail","taskKey":"b","task":{"instruction":"Do B"}})");
        QVERIFY(bodyText(app).contains(QStringLiteral("Do B")));
    }
};

VODU_TEST_SUITE(TaskListTest)
#include "TaskListTest.moc"
