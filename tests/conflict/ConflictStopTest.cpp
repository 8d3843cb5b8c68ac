#include "host/ConflictStop.h"
#include "AreaHarness.h"
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/ConflictStopFlow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class ConflictStopTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a list of process records offers the stop; a new start forgets it; a script's word counts if it ended well.
    void conflictsAndVerdicts() {
        AreaHarness area;
        ConflictStopFlow flow(area.context);
        auto* button = flow.buildStopButton(&area.parent);
        for (const auto& [conflicts, count] :
             {std::pair{"null", 0}, {R"([1,{"pid":2}])", 0}, {R"([{"pid":1},{}])", 2}}) {
            flow.recordConflict(json(QByteArray(R"({"conflicts":)") + conflicts + "}"));
            QVERIFY(flow.message() && flow.conflictingProcesses().size() == count && button->isHidden() == !count);
        }
        flow.reset();
        flow.confirmStopConflicts(); // nothing left to stop: not even asked
        QVERIFY(!flow.message() && button->isHidden() && area.platform.alerts.isEmpty());
        for (const auto& [exited, code, output] : {std::tuple{false, 0, R"({"ok":true,"remaining":[]})"},
                                                   {true, 1, R"({"ok":true,"remaining":[]})"},
                                                   {true, 0, R"({"ok":false})"},
                                                   {true, 0, "stopped"}}) {
            QCOMPARE(stopVerdict(exited, code, output, false).outcome, StopOutcome::identityUnverified);
        }
    }

    // Each alert, then each request the script got, and the footer (empty: the host is asked to start, unless
    // cancelled).
    void stopping_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QStringList>("rounds");
        QTest::addColumn<QString>("footer");
        const QString ask = "Another VODU service is running";
        const QString request = R"({"conflicts":[{"entryPath":"/opt/a/host.js","pid":101},{"pid":"102"}],"force":%1})";
        QTest::newRow("cancelled") << "cancel" << QStringList{ask} << "";
        QTest::newRow("stopped") << "ok:0" << QStringList{ask, request.arg("false")} << "";
        QTest::newRow("forced once, then reported") << "ok:2,ok:1"
                                                    << QStringList{ask, "Force quit the unresponsive VODU processes?",
                                                                   request.arg("false"), request.arg("true")}
                                                    << "Could not stop the service. Check its status and try again.";
        QTest::newRow("no runtime") << "" << QStringList{ask} << "Could not start the stop request";
    }
    void stopping() {
        QFETCH(QString, plan);
        QFETCH(QString, footer);
        QTemporaryDir logs;
        TestBundle bundle;
        AreaHarness area;
        area.platform.inheritSystemEnvironment();
        area.platform.bundleDir = bundle.path(); // with a stop script that answers as planned and logs each request
        area.platform.environment.insert("STOP_SCRIPT_PLAN", plan);
        area.platform.environment.insert("STOP_SCRIPT_LOG", logs.filePath("stop.log"));
        QVERIFY(bundle.isValid() &&
                QFile::copy(TestBundle::fixturePath("stop-conflicts-script.js"),
                            bundle.path() + "/Contents/Resources/cli/src/desktop-stop-conflicts.js"));
        QVERIFY(!plan.isEmpty() || QFile::remove(bundle.path() + "/Contents/Resources/runtime/bin/node"));
        ConflictStopFlow flow(area.context);
        QSignalSpy started(&flow, &ConflictStopFlow::startHostRequested);
        QPushButton* button = flow.buildStopButton(&area.parent);
        flow.recordConflict(json(R"({"conflicts":[{"pid":101,"entryPath":"/opt/a/host.js"},{"pid":"102"}]})"));
        area.platform.alertAnswers = {{plan == u"cancel" ? 0 : 1, {}}, {1, {}}, {1, {}}};
        button->click();
        if (flow.isResolving()) {
            flow.confirmStopConflicts(); // a second click while stopping is ignored
        }
        QTRY_VERIFY(!flow.isResolving() && button->isEnabled() &&
                    started.size() == int(footer.isEmpty() && plan != u"cancel"));
        QStringList rounds;
        for (const AlertRequest& alert : area.platform.alerts) {
            rounds.append(alert.message);
        }
        QTEST(rounds + QString::fromUtf8(readFile(logs.filePath("stop.log"))).split(u'\n', Qt::SkipEmptyParts),
              "rounds");
        QVERIFY(area.platform.alerts.first().informativeText.startsWith("PID 101 — /opt/a/host.js\nPID 102 — VODU\n"));
        QCOMPARE(area.feedback.footerText(), footer);
    }
};

VODU_TEST_SUITE(ConflictStopTest)
#include "ConflictStopTest.moc"
