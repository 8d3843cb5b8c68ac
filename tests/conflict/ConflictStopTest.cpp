#include "host/ConflictStop.h"
#include "Harness.h"
#include "TestRegistry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(StopOutcome)

namespace {

const char* const kTwoConflicts =
    R"({"type":"error","code":"process_conflict","conflicts":[{"pid":101,"entryPath":"/opt/a/host.js"},)"
    R"({"pid":"102","entryPath":"/opt/b/host.js"}]})";

QList<QJsonObject> requestsIn(const QString& log) {
    QList<QJsonObject> requests;
    QFile file(log);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                requests.append(QJsonDocument::fromJson(line).object());
            }
        }
    }
    return requests;
}

// A bundle whose stop script answers from STOP_SCRIPT_PLAN, on an app that has just been told of two conflicts.
struct StopSetup {
    explicit StopSetup(const QString& plan) {
        const QString stopScript =
            bundle.path() + QStringLiteral("/Contents/Resources/cli/src/desktop-stop-conflicts.js");
        valid = bundle.isValid() &&
                QFile::copy(TestBundle::fixturePath(QStringLiteral("stop-conflicts-script.js")), stopScript);
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("STOP_SCRIPT_PLAN"), plan);
        harness.fake->environment.insert(QStringLiteral("STOP_SCRIPT_LOG"), log());
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("silent"));
        harness.app().handleLine(kTwoConflicts);
    }
    AppDelegate& app() { return harness.app(); }
    QString log() const { return logs.path() + QStringLiteral("/stop.log"); }
    void confirm(int times) {
        for (int index = 0; index < times; ++index) {
            harness.fake->alertAnswers.append(AlertAnswer{1, {}});
        }
    }

    QTemporaryDir logs;
    TestBundle bundle;
    Harness harness;
    bool valid = false;
};

} // namespace

class ConflictStopTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conflictLines_data() {
        QTest::addColumn<QString>("conflicts");
        QTest::addColumn<QString>("lines");
        QTest::newRow("number and path") << R"([{"pid":42,"entryPath":"/opt/vodu/host.js"}])"
                                         << "PID 42 — /opt/vodu/host.js";
        QTest::newRow("neither key") << "[{}]"
                                     << "PID ? — VODU";
        QTest::newRow("other types printed as text") << R"([{"pid":"7","entryPath":true}])"
                                                     << "PID 7 — true";
        QTest::newRow("one line each, in order") << R"([{"pid":1},{"entryPath":"/x"}])"
                                                 << "PID 1 — VODU\nPID ? — /x";
    }

    void conflictLines() {
        QFETCH(QString, conflicts);
        QList<QJsonObject> list;
        for (const QJsonValue& value : QJsonDocument::fromJson(conflicts.toUtf8()).array()) {
            list.append(value.toObject());
        }
        QTEST(::conflictLines(list), "lines");
    }

    void requestKeepsTheConflictsAsTheyCame() {
        const QJsonObject odd{{"pid", 5}, {"entryPath", "/a"}, {"extra", QJsonArray{1, 2}}};
        const QByteArray request = stopRequest({odd}, true);
        QVERIFY(!request.contains('\n'));
        QCOMPARE(QJsonDocument::fromJson(request).object(),
                 (QJsonObject{{"conflicts", QJsonArray{odd}}, {"force", true}}));
    }

    void verdict_data() {
        QTest::addColumn<bool>("exited");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<StopOutcome>("outcome");
        QTest::addColumn<int>("remaining");
        const QByteArray two = R"({"ok":true,"remaining":[{"pid":1},{"pid":2}]})";
        QTest::newRow("all stopped") << true << 0 << QByteArray(R"({"ok":true,"remaining":[]})") << false
                                     << StopOutcome::startHost << 0;
        QTest::newRow("remaining of the wrong type counts as none")
            << true << 0 << QByteArray(R"({"ok":true,"remaining":{"pid":1}})") << true << StopOutcome::startHost << 0;
        QTest::newRow("two left: force them") << true << 0 << two << false << StopOutcome::forceRemaining << 2;
        QTest::newRow("left after forcing") << true << 0 << two << true << StopOutcome::couldNotStop << 2;
        QTest::newRow("exit 1 with a valid answer") << true << 1 << QByteArray(R"({"ok":true,"remaining":[]})") << false
                                                    << StopOutcome::identityUnverified << 0;
        QTest::newRow("crashed") << false << 0 << QByteArray(R"({"ok":true,"remaining":[]})") << false
                                 << StopOutcome::identityUnverified << 0;
        QTest::newRow("not JSON") << true << 0 << QByteArray("done") << false << StopOutcome::identityUnverified << 0;
        QTest::newRow("ok false") << true << 0 << QByteArray(R"({"ok":false,"remaining":[]})") << false
                                  << StopOutcome::identityUnverified << 0;
    }

    void verdict() {
        QFETCH(bool, exited);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(bool, forced);
        const StopVerdict verdict = stopVerdict(exited, exitCode, output, forced);
        QTEST(verdict.outcome, "outcome");
        QTEST(int(verdict.remaining.size()), "remaining");
    }

    void cancelChangesNothing() {
        StopSetup setup(QStringLiteral("ok:0"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        app.stopConflictButton->click();
        QCOMPARE(setup.harness.fake->alerts.size(), 1);
        const AlertRequest& alert = setup.harness.fake->alerts.first();
        QCOMPARE(alert.message, QStringLiteral("Another VODU service is running"));
        QCOMPARE(alert.informativeText,
                 QStringLiteral("PID 101 — /opt/a/host.js\nPID 102 — /opt/b/host.js\n\nThe active task count is "
                                "unavailable. Stopping these processes may interrupt their tasks."));
        QCOMPARE(alert.buttons, QStringList({QStringLiteral("Cancel"), QStringLiteral("Stop and restart")}));
        QVERIFY(!app.resolvingConflict);
        QVERIFY(app.stopConflictButton->isEnabled());
        QVERIFY(!QFile::exists(setup.log()));
    }

    void nothingLeftStartsTheService() {
        StopSetup setup(QStringLiteral("ok:0"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        setup.confirm(1);
        app.stopConflictButton->click();
        QTRY_VERIFY(app.hostIsRunning());
        QVERIFY(!app.resolvingConflict);
        QVERIFY(app.conflictingProcesses.isEmpty());
        QVERIFY(app.stopConflictButton->isHidden());
        const QList<QJsonObject> requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().value(u"force"), QJsonValue(false));
        QCOMPARE(requests.first().value(u"conflicts").toArray().size(), 2);
    }

    void survivorsAreForcedOnceThenReported() {
        StopSetup setup(QStringLiteral("ok:2,ok:1"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        setup.confirm(3);
        app.stopConflictButton->click();
        QTRY_COMPARE(app.footer->text(), QStringLiteral("Could not stop the service. Check its status and try again."));
        QCOMPARE(setup.harness.fake->alerts.size(), 2); // no third alert
        const AlertRequest& forced = setup.harness.fake->alerts.at(1);
        QCOMPARE(forced.message, QStringLiteral("Force quit the unresponsive VODU processes?"));
        QCOMPARE(forced.buttons.last(), QStringLiteral("Force quit"));
        QVERIFY(forced.informativeText.startsWith(
            QStringLiteral("PID 101 — /opt/a/host.js\nPID 102 — /opt/b/host.js\n\n")));
        const QList<QJsonObject> requests = requestsIn(setup.log());
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(1).value(u"force"), QJsonValue(true));
        QCOMPARE(requests.at(1).value(u"conflicts").toArray().size(), 2);
        QVERIFY(!app.resolvingConflict);
        QVERIFY(app.stopConflictButton->isEnabled());
        QVERIFY(!app.process);
    }

    void scriptFailuresCannotVerifyTheProcess_data() {
        QTest::addColumn<QString>("plan");
        QTest::newRow("exit 1 with a valid answer") << "exit1";
        QTest::newRow("refused") << "refused";
        QTest::newRow("unreadable answer") << "garbage";
    }

    void scriptFailuresCannotVerifyTheProcess() {
        QFETCH(QString, plan);
        StopSetup setup(plan);
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        setup.confirm(2);
        app.stopConflictButton->click();
        QTRY_COMPARE(app.footer->text(),
                     QStringLiteral("Could not verify the process identity. Reconnect to check again."));
        QCOMPARE(setup.harness.fake->alerts.size(), 1);
        QVERIFY(app.stopConflictButton->isEnabled());
        QVERIFY(!app.process);
    }

    void aSecondClickWhileStoppingIsIgnored() {
        StopSetup setup(QStringLiteral("exit1"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        setup.confirm(2);
        app.stopConflictButton->click();
        QVERIFY(app.resolvingConflict);
        QVERIFY(!app.stopConflictButton->isEnabled());
        app.confirmStopConflicts(); // as a click that slipped through would
        QCOMPARE(setup.harness.fake->alerts.size(), 1);
        QTRY_VERIFY(!app.resolvingConflict);
        QCOMPARE(requestsIn(setup.log()).size(), 1);
    }

    void missingRuntimeReportsTheStartFailure() {
        QTemporaryDir emptyBundle;
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = emptyBundle.path();
        app.handleLine(kTwoConflicts);
        harness.fake->alertAnswers.append(AlertAnswer{1, {}});
        app.stopConflictButton->click();
        QTRY_COMPARE(app.footer->text(), QStringLiteral("Could not start the stop request"));
        QVERIFY(!app.resolvingConflict);
        QVERIFY(app.stopConflictButton->isEnabled());
    }

    void japaneseForcedAlert() {
        Harness harness(QStringList{QStringLiteral("ja-JP")});
        AppDelegate& app = harness.app();
        app.stopConflicts({QJsonObject{}}, true);
        const AlertRequest& alert = harness.fake->alerts.first();
        QCOMPARE(alert.message, QStringLiteral("応答しない VODU プロセスを強制終了しますか？"));
        QCOMPARE(
            alert.informativeText,
            QStringLiteral(
                "PID ? — VODU\n\n実行中のタスク数は確認できません。終了するとタスクが中断される可能性があります。"));
        QCOMPARE(alert.buttons, QStringList({QStringLiteral("キャンセル"), QStringLiteral("強制終了")}));
    }
};

VODU_TEST_SUITE(ConflictStopTest)
#include "ConflictStopTest.moc"
