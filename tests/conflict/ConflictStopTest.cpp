#include "host/ConflictStop.h"
#include "AreaHarness.h"
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/ConflictStopFlow.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
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

// Points `platform` at a bundle whose stop script answers from STOP_SCRIPT_PLAN and logs each request to `log`.
bool useStopScript(FakePlatform& platform, const TestBundle& bundle, const QString& plan, const QString& log) {
    platform.inheritSystemEnvironment();
    platform.bundleDir = bundle.path();
    platform.environment.insert("STOP_SCRIPT_PLAN", plan);
    platform.environment.insert("STOP_SCRIPT_LOG", log);
    return bundle.isValid() && QFile::copy(TestBundle::fixturePath("stop-conflicts-script.js"),
                                           bundle.path() + "/Contents/Resources/cli/src/desktop-stop-conflicts.js");
}

// The flow alone, just told of two conflicts, with a stop script that answers as planned and `confirmations`
// alerts that will be confirmed.
struct StopSetup {
    explicit StopSetup(const QString& plan, int confirmations = 0) {
        valid = useStopScript(area.platform, bundle, plan, log());
        area.platform.alertAnswers.fill(AlertAnswer{1, {}}, confirmations);
        flow.buildStopButton(&area.parent);
        flow.recordConflict(json(kTwoConflicts));
    }
    QString log() const { return logs.path() + "/stop.log"; }
    QPushButton* button() const { return area.view<QPushButton>("stopConflictButton"); }
    // Not stopping any more, and the button can be clicked again.
    bool settled() const { return !flow.isResolving() && button()->isEnabled(); }

    QTemporaryDir logs;
    TestBundle bundle;
    AreaHarness area;
    ConflictStopFlow flow{area.context};
    QSignalSpy startHost{&flow, &ConflictStopFlow::startHostRequested};
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

    // Only a list of process records offers the stop button; the message is kept either way, until a new start.
    void conflictsRecorded_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("conflicts");
        QTest::newRow("no conflicts key") << QByteArray(R"({"type":"error","code":"process_conflict"})") << 0;
        QTest::newRow("conflicts not objects")
            << QByteArray(R"({"type":"error","code":"process_conflict","conflicts":[1,{"pid":2}]})") << 0;
        QTest::newRow("conflicts not a list")
            << QByteArray(R"({"type":"error","code":"process_conflict","conflicts":{"pid":2}})") << 0;
        QTest::newRow("two conflicts") << QByteArray(kTwoConflicts) << 2;
    }

    void conflictsRecorded() {
        QFETCH(QByteArray, message);
        QFETCH(int, conflicts);
        AreaHarness area;
        ConflictStopFlow flow(area.context);
        auto* button = flow.buildStopButton(&area.parent);
        QVERIFY(button->isHidden());
        flow.recordConflict(QJsonDocument::fromJson(message).object());
        QCOMPARE(flow.conflictingProcesses().size(), conflicts);
        QCOMPARE(button->isHidden(), conflicts == 0);
        QVERIFY(flow.message() &&
                flow.message()->startsWith(QStringLiteral("A CLI is already using this connection.")));
        flow.reset();
        QVERIFY(!flow.message() && flow.conflictingProcesses().isEmpty() && button->isHidden());
        flow.confirmStopConflicts(); // nothing left to stop: not even asked
        QVERIFY(area.platform.alerts.isEmpty());
    }

    // Cancelled, nothing happens; confirmed, the script is run once and, with nothing left, the service starts.
    void cancelThenStop() {
        StopSetup setup(QStringLiteral("ok:0"));
        QVERIFY(setup.valid);
        setup.area.platform.alertAnswers = {AlertAnswer{0, {}}, AlertAnswer{1, {}}};
        setup.button()->click();
        const AlertRequest& alert = setup.area.platform.alerts.value(0);
        QCOMPARE(alert.message, QStringLiteral("Another VODU service is running"));
        QCOMPARE(alert.informativeText, kTwoLines + "The active task count is unavailable. Stopping these processes "
                                                    "may interrupt their tasks.");
        QCOMPARE(alert.buttons, QStringList({"Cancel", "Stop and restart"}));
        QVERIFY(setup.settled() && !QFile::exists(setup.log()));

        setup.button()->click();
        QVERIFY(setup.flow.isResolving() && !setup.button()->isEnabled());
        QVERIFY(setup.startHost.wait(10000));
        QVERIFY(setup.settled());
        QVERIFY(setup.area.feedback.texts.isEmpty());
        const QJsonArray requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0][u"force"], QJsonValue(false));
        QCOMPARE(requests[0][u"conflicts"].toArray().size(), 2);
    }

    // Two left after the first round are forced once; one still left is reported, with no third alert.
    void survivorsAreForcedOnceThenReported() {
        StopSetup setup(QStringLiteral("ok:2,ok:1"), 3);
        QVERIFY(setup.valid);
        setup.button()->click();
        QTRY_COMPARE(setup.area.feedback.footerText(),
                     QStringLiteral("Could not stop the service. Check its status and try again."));
        QCOMPARE(setup.area.platform.alerts.size(), 2);
        const AlertRequest& forced = setup.area.platform.alerts.at(1);
        QCOMPARE(forced.message, QStringLiteral("Force quit the unresponsive VODU processes?"));
        QCOMPARE(forced.buttons.last(), QStringLiteral("Force quit"));
        QVERIFY(forced.informativeText.startsWith(kTwoLines));
        const QJsonArray requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[1][u"force"], QJsonValue(true));
        QCOMPARE(requests[1][u"conflicts"].toArray().size(), 2);
        QVERIFY(setup.settled() && setup.startHost.isEmpty());
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
        setup.button()->click();
        QTRY_COMPARE(setup.area.feedback.footerText(), footer);
        QCOMPARE(setup.area.platform.alerts.size(), 1);
        QVERIFY(setup.settled() && setup.startHost.isEmpty());
    }

    void aSecondClickWhileStoppingIsIgnored() {
        StopSetup setup(QStringLiteral("exit1"), 2);
        QVERIFY(setup.valid);
        setup.button()->click();
        QVERIFY(setup.flow.isResolving() && !setup.button()->isEnabled());
        setup.flow.confirmStopConflicts(); // as a click that slipped through would
        QCOMPARE(setup.area.platform.alerts.size(), 1);
        QTRY_VERIFY(!setup.flow.isResolving());
        QCOMPARE(requestsIn(setup.log()).size(), 1);
    }

    // The whole app: a conflict reported by the host, stopped from the footer, and our own service started in its
    // place, the conflict forgotten.
    void stoppingTheOtherServiceStartsOurs() {
        QTemporaryDir logs;
        TestBundle bundle;
        Harness harness;
        AppDelegate& app = harness.app();
        QVERIFY(useStopScript(*harness.fake, bundle, QStringLiteral("ok:0"), logs.path() + "/stop.log"));
        harness.fake->environment.insert("SCRIPTED_HOST_MODE", "silent");
        harness.fake->alertAnswers = {AlertAnswer{1, {}}};
        app.link().handleLine(kTwoConflicts);
        QVERIFY(!view<QPushButton>(app, "stopConflictButton")->isHidden());
        view<QPushButton>(app, "stopConflictButton")->click();
        QTRY_VERIFY(app.link().hostIsRunning());
        QVERIFY(view<QPushButton>(app, "stopConflictButton")->isHidden());
        QVERIFY(app.conflictStop().conflictingProcesses().isEmpty() && !app.conflictStop().message());
        QCOMPARE(view<QLabel>(app, "footer")->text(), QString());
    }
};

VODU_TEST_SUITE(ConflictStopTest)
#include "ConflictStopTest.moc"
