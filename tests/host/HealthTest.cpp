#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "context/LinkState.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class HealthTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void staleOnlyStrictlyAfterFifteenSeconds_data() {
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<bool>("stale");
        QTest::newRow("14.999 s") << qint64(14999) << false;
        QTest::newRow("exactly 15 s") << qint64(15000) << false;
        QTest::newRow("15.001 s") << qint64(15001) << true;
        QTest::newRow("18 s") << qint64(18000) << true;
    }

    void staleOnlyStrictlyAfterFifteenSeconds() {
        QFETCH(qint64, elapsedMs);
        QFETCH(bool, stale);
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(host.ready());
        // Measured from the launch while no snapshot has arrived.
        harness.fake->clock = app.link().hostStartedAt()->addMSecs(elapsedMs);
        app.link().checkStatusFreshness();
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text() ==
                     QStringLiteral("Connection needs attention"),
                 stale);
        QCOMPARE(app.linkState().connected, !stale);
        if (stale) {
            QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(),
                     QStringLiteral("No recent status from service"));
            QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("No recent status from service"));
            QCOMPARE(view<QLabel>(app, "tasksLabel")->text(), QStringLiteral("Task status unknown"));
            QCOMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Status unknown"));
            QVERIFY(!view<StatusRow>(app, "connectionRow")->action()->isHidden());
            QCOMPARE(view<QAction>(app, "menuStatus")->text(), QStringLiteral("No recent status from service"));
        }
    }

    void staleTicksRepeatOnlyTheSummaryAndASnapshotRestores() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(host.ready());
        app.link().handleLine(
            R"({"type":"status","status":{"auth":{"state":"signed_in"},"connection":{"state":"online"}}})");
        QCOMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.link().checkStatusFreshness();
        QVERIFY(!app.linkState().connected);

        // Later ticks set the summary again but leave rows and footer as the user may have changed them.
        view<QLabel>(app, "footer")->setText(QStringLiteral("Copied"));
        harness.fake->clock = harness.fake->clock.addSecs(3);
        app.link().checkStatusFreshness();
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Copied"));
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                 QStringLiteral("Connection needs attention"));

        app.link().handleLine(
            R"({"type":"status","status":{"auth":{"state":"signed_in"},"connection":{"state":"online"}}})");
        QVERIFY(app.linkState().connected);
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(), QStringLiteral("Online"));
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.link().checkStatusFreshness();
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(),
                 QStringLiteral("No recent status from service"));
    }

    void watchdogDoesNothingWithoutARunningHostOrInPreview() {
        for (const bool preview : {false, true}) {
            FakePlatform platform;
            LinkState state;
            state.connected = true;
            state.fixtureMode = preview;
            state.lastStatusReceivedAt = platform.clock.addSecs(-60);
            HostLink link(platform, Copy{}, state);
            QSignalSpy stale(&link, &HostLink::stale);
            link.checkStatusFreshness();
            QVERIFY(state.connected);
            QCOMPARE(stale.size(), 0);
        }
    }

    void oversizedFrameMarksTheStatusStale() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.link().handleLine(R"({"type":"status","status":{}})");
        app.link().consumeOnMain(QByteArray(8388609, 'x'));
        QVERIFY(!app.linkState().connected);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(),
                 QStringLiteral("Service response was too large"));
        app.link().consumeOnMain("\n{\"type\":\"status\",\"status\":{}}\n");
        QVERIFY(app.linkState().connected);
    }

    void hostEndAfterAConflictExplainsIt() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(host.ready());
        app.link().handleLine(
            R"({"type":"error","code":"process_conflict","conflicts":[{"pid":12,"entryPath":"/x"}]})");
        app.link().process()->kill();
        QTRY_VERIFY(!app.link().process());
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Another CLI is running"));
        QCOMPARE(view<QLabel>(app, "footer")->text(), *app.conflictStop().message());
        QVERIFY(!view<QPushButton>(app, "stopConflictButton")->isHidden());

        // Starting again forgets the conflict.
        app.reconnect();
        QTRY_VERIFY(app.link().hostIsRunning());
        QVERIFY(!app.conflictStop().message());
        QVERIFY(app.conflictStop().conflictingProcesses().isEmpty());
        QVERIFY(view<QPushButton>(app, "stopConflictButton")->isHidden());
    }

    void disconnectedInPreviewKeepsTheStartActionHidden() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.setFixtureMode(true);
        app.renderDisconnected(QStringLiteral("gone"));
        QVERIFY(view<StatusRow>(app, "connectionRow")->action()->isHidden());
        QCOMPARE(app.linkState().activeTaskCount, 0);
        QVERIFY(!app.overview().webRoot());
        QCOMPARE(view<QLabel>(app, "deliveryHeadline")->text(), QStringLiteral("Status unavailable"));
        QCOMPARE(view<QLabel>(app, "deliveryNext")->text(), QStringLiteral("gone"));
    }
};

VODU_TEST_SUITE(HealthTest)
#include "HealthTest.moc"
