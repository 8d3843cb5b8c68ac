#include "host/ConflictStop.h"
#include "Harness.h"
#include "TestRegistry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const char* const kTwoConflicts =
    R"({"type":"error","code":"process_conflict","conflicts":[{"pid":101,"entryPath":"/opt/a/host.js"},)"
    R"({"pid":"102","entryPath":"/opt/b/host.js"}]})";
const QString kTwoLines = QStringLiteral("PID 101 — /opt/a/host.js\nPID 102 — /opt/b/host.js\n\n");

// The requests the stop script was given, one per run.
QJsonArray requestsIn(const QString& log) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly)
               ? QJsonDocument::fromJson("[" + file.readAll().trimmed().replace('\n', ',') + "]").array()
               : QJsonArray();
}

// A bundle whose stop script answers from STOP_SCRIPT_PLAN, on an app that has just been told of two conflicts and
// will confirm `confirmations` alerts.
struct StopSetup {
    explicit StopSetup(const QString& plan, int confirmations = 0) {
        valid =
            bundle.isValid() && QFile::copy(TestBundle::fixturePath("stop-conflicts-script.js"),
                                            bundle.path() + "/Contents/Resources/cli/src/desktop-stop-conflicts.js");
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert("STOP_SCRIPT_PLAN", plan);
        harness.fake->environment.insert("STOP_SCRIPT_LOG", log());
        harness.fake->environment.insert("SCRIPTED_HOST_MODE", "silent");
        harness.fake->alertAnswers.fill(AlertAnswer{1, {}}, confirmations);
        harness.app().link().handleLine(kTwoConflicts);
    }
    AppDelegate& app() { return harness.app(); }
    QString log() const { return logs.path() + "/stop.log"; }

    QTemporaryDir logs;
    TestBundle bundle;
    Harness harness;
    bool valid = false;
};

} // namespace

class ConflictStopTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conflictLinesAndRequest() {
        const QList<QJsonObject> conflicts{{{"pid", "7"}, {"entryPath", true}}, {}};
        QCOMPARE(conflictLines(conflicts), QStringLiteral("PID 7 — true\nPID ? — VODU"));
        // The conflicts go to the script as they came, on one line.
        const QJsonObject odd{{"pid", 5}, {"entryPath", "/a"}, {"extra", QJsonArray{1, 2}}};
        const QByteArray request = stopRequest({odd}, true);
        QVERIFY(!request.contains('\n'));
        QCOMPARE(QJsonDocument::fromJson(request).object(),
                 (QJsonObject{{"conflicts", QJsonArray{odd}}, {"force", true}}));
    }

    void crashedScriptIsNotTakenAtItsWord() {
        QCOMPARE(stopVerdict(false, 0, R"({"ok":true,"remaining":[]})", false).outcome,
                 StopOutcome::identityUnverified);
    }

    // Cancelled, nothing happens; confirmed, the script is run once and, with nothing left, the service starts.
    void cancelThenStop() {
        StopSetup setup(QStringLiteral("ok:0"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        setup.harness.fake->alertAnswers = {AlertAnswer{0, {}}, AlertAnswer{1, {}}};
        view<QPushButton>(app, "stopConflictButton")->click();
        const AlertRequest& alert = setup.harness.fake->alerts.value(0);
        QCOMPARE(alert.message, QStringLiteral("Another VODU service is running"));
        QCOMPARE(alert.informativeText, kTwoLines + "The active task count is unavailable. Stopping these processes "
                                                    "may interrupt their tasks.");
        QCOMPARE(alert.buttons, QStringList({"Cancel", "Stop and restart"}));
        QVERIFY(!app.conflictStop().isResolving() && view<QPushButton>(app, "stopConflictButton")->isEnabled() &&
                !QFile::exists(setup.log()));

        view<QPushButton>(app, "stopConflictButton")->click();
        QTRY_VERIFY(app.link().hostIsRunning());
        QVERIFY(!app.conflictStop().isResolving() && app.conflictStop().conflictingProcesses().isEmpty() &&
                view<QPushButton>(app, "stopConflictButton")->isHidden());
        const QJsonArray requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0][u"force"], QJsonValue(false));
        QCOMPARE(requests[0][u"conflicts"].toArray().size(), 2);
    }

    // Two left after the first round are forced once; one still left is reported, with no third alert.
    void survivorsAreForcedOnceThenReported() {
        StopSetup setup(QStringLiteral("ok:2,ok:1"), 3);
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        view<QPushButton>(app, "stopConflictButton")->click();
        QTRY_COMPARE(view<QLabel>(app, "footer")->text(),
                     QStringLiteral("Could not stop the service. Check its status and try again."));
        QCOMPARE(setup.harness.fake->alerts.size(), 2);
        const AlertRequest& forced = setup.harness.fake->alerts.at(1);
        QCOMPARE(forced.message, QStringLiteral("Force quit the unresponsive VODU processes?"));
        QCOMPARE(forced.buttons.last(), QStringLiteral("Force quit"));
        QVERIFY(forced.informativeText.startsWith(kTwoLines));
        const QJsonArray requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[1][u"force"], QJsonValue(true));
        QCOMPARE(requests[1][u"conflicts"].toArray().size(), 2);
        QVERIFY(!app.conflictStop().isResolving() && view<QPushButton>(app, "stopConflictButton")->isEnabled() &&
                !app.link().process());
    }

    void failedStopIsReported_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("footer");
        const QString identity = QStringLiteral("Could not verify the process identity. Reconnect to check again.");
        QTest::newRow("exit 1 with a valid answer") << "exit1" << identity;
        QTest::newRow("refused") << "refused" << identity;
        QTest::newRow("unreadable answer") << "garbage" << identity;
        QTest::newRow("no runtime") << "no runtime" << QStringLiteral("Could not start the stop request");
    }

    void failedStopIsReported() {
        QFETCH(QString, plan);
        QFETCH(QString, footer);
        StopSetup setup(plan, 2);
        QVERIFY(setup.valid);
        if (plan == u"no runtime") {
            QVERIFY(QFile::remove(setup.bundle.path() + "/Contents/Resources/runtime/bin/node"));
        }
        AppDelegate& app = setup.app();
        view<QPushButton>(app, "stopConflictButton")->click();
        QTRY_COMPARE(view<QLabel>(app, "footer")->text(), footer);
        QCOMPARE(setup.harness.fake->alerts.size(), 1);
        QVERIFY(!app.conflictStop().isResolving() && view<QPushButton>(app, "stopConflictButton")->isEnabled() &&
                !app.link().process());
    }

    void aSecondClickWhileStoppingIsIgnored() {
        StopSetup setup(QStringLiteral("exit1"), 2);
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        view<QPushButton>(app, "stopConflictButton")->click();
        QVERIFY(app.conflictStop().isResolving() && !view<QPushButton>(app, "stopConflictButton")->isEnabled());
        app.conflictStop().confirmStopConflicts(); // as a click that slipped through would
        QCOMPARE(setup.harness.fake->alerts.size(), 1);
        QTRY_VERIFY(!app.conflictStop().isResolving());
        QCOMPARE(requestsIn(setup.log()).size(), 1);
    }
};

VODU_TEST_SUITE(ConflictStopTest)
#include "ConflictStopTest.moc"
