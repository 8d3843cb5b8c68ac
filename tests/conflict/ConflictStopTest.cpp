#include "host/ConflictStop.h"
#include "AreaHarness.h"
#include "DataTables.h"
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/ConflictStopFlow.h"

#include <QPushButton>
#include <QSignalSpy>

class ConflictStopTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conflictsAndVerdicts() {
        AreaHarness area;
        ConflictStopFlow flow(area.context);
        auto* button = flow.buildStopButton(&area.parent);
        for (const auto& [list, count] : {std::pair{"null", 0}, {R"([1,{"pid":2}])", 0}, {R"([{"pid":1},{}])", 2}}) {
            flow.recordConflict(json(QByteArray(R"({"conflicts":)") + list + "}"));
            QVERIFY(flow.message() && flow.conflictingProcesses().size() == count && button->isHidden() == !count);
        }
        flow.reset();
        flow.confirmStopConflicts(); // nothing left to stop: not even asked
        QVERIFY(!flow.message() && button->isHidden() && area.platform.alerts.isEmpty());
        const char* fine = R"({"ok":true,"remaining":[]})";
        for (const auto& [exited, code, output] :
             {std::tuple{false, 0, fine}, {true, 1, fine}, {true, 0, R"({"ok":false})"}, {true, 0, "stopped"}})
            QCOMPARE(stopVerdict(exited, code, output, false).outcome, StopOutcome::identityUnverified);
    }

    void stopping_data() {
        columns<QString, QStringList, QString>({"plan", "rounds", "footer"});
        const QString ask = "Another VODU service is running", force = "Force quit the unresponsive VODU processes?";
        const QString request = R"({"conflicts":[{"entryPath":"/opt/a/host.js","pid":101},{"pid":"102"}],"force":%1})";
        dataRow("cancelled", "cancel", QStringList{ask}, "");
        dataRow("stopped", "ok:0", QStringList{ask, request.arg("false")}, "");
        dataRow("forced once, then reported", "ok:2,ok:1",
                QStringList{ask, force, request.arg("false"), request.arg("true")},
                "Could not stop the service. Check its status and try again.");
        dataRow("no runtime", "", QStringList{ask}, "Could not start the stop request");
    }
    void stopping() {
        const auto [plan, rounds, footer] = fetch<QString, QStringList, QString>({"plan", "rounds", "footer"});
        TestBundle bundle;
        AreaHarness area;
        area.platform.inheritSystemEnvironment();
        area.platform.bundleDir = bundle.path(); // with a stop script that answers as planned and logs each request
        const QString log = bundle.path() + "/stop.log";
        area.platform.environment.insert({{"STOP_SCRIPT_PLAN", plan}, {"STOP_SCRIPT_LOG", log}});
        QVERIFY(QFile::copy(TestBundle::fixturePath("stop-conflicts-script.js"),
                            bundle.path() + "/Contents/Resources/cli/src/desktop-stop-conflicts.js"));
        QVERIFY(!plan.isEmpty() || QFile::remove(bundle.path() + "/Contents/Resources/runtime/bin/node"));
        ConflictStopFlow flow(area.context);
        QSignalSpy started(&flow, &ConflictStopFlow::startHostRequested);
        QPushButton* button = flow.buildStopButton(&area.parent);
        flow.recordConflict(json(R"({"conflicts":[{"pid":101,"entryPath":"/opt/a/host.js"},{"pid":"102"}]})"));
        area.platform.alertAnswers = {{plan == u"cancel" ? 0 : 1, {}}, {1, {}}, {1, {}}};
        button->click();
        if (flow.isResolving()) // a second click while stopping is ignored
            flow.confirmStopConflicts();
        QTRY_VERIFY(!flow.isResolving() && button->isEnabled() &&
                    started.size() == int(footer.isEmpty() && plan != u"cancel"));
        QStringList seen;
        for (const AlertRequest& alert : area.platform.alerts)
            seen.append(alert.message);
        QCOMPARE(seen + fileLines(log), rounds);
        QVERIFY(area.platform.alerts.first().informativeText.startsWith("PID 101 — /opt/a/host.js\nPID 102 — VODU\n"));
        QCOMPARE(area.feedback.footerText(), footer);
    }
};

VODU_TEST_SUITE(ConflictStopTest)
#include "ConflictStopTest.moc"
