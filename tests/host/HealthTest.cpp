#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
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
        harness.fake->clock = app.hostStartedAt->addMSecs(elapsedMs);
        app.checkStatusFreshness();
        QCOMPARE(app.connectionSummary->text() == QStringLiteral("Connection needs attention"), stale);
        QCOMPARE(app.connected, !stale);
        if (stale) {
            QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("No recent status from service"));
            QCOMPARE(app.footer->text(), QStringLiteral("No recent status from service"));
            QCOMPARE(app.tasksLabel->text(), QStringLiteral("Task status unknown"));
            QCOMPARE(app.accountRow->detail()->text(), QStringLiteral("Status unknown"));
            QVERIFY(!app.connectionRow->action()->isHidden());
            QCOMPARE(app.menuStatus->text(), QStringLiteral("No recent status from service"));
        }
    }

    void staleTicksRepeatOnlyTheSummaryAndASnapshotRestores() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(host.ready());
        app.handleLine(R"({"type":"status","status":{"auth":{"state":"signed_in"},"connection":{"state":"online"}}})");
        QCOMPARE(app.lastStatusReceivedAt, harness.fake->clock);
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.checkStatusFreshness();
        QVERIFY(!app.connected);

        // Later ticks set the summary again but leave rows and footer as the user may have changed them.
        app.footer->setText(QStringLiteral("Copied"));
        harness.fake->clock = harness.fake->clock.addSecs(3);
        app.checkStatusFreshness();
        QCOMPARE(app.footer->text(), QStringLiteral("Copied"));
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Connection needs attention"));

        app.handleLine(R"({"type":"status","status":{"auth":{"state":"signed_in"},"connection":{"state":"online"}}})");
        QVERIFY(app.connected);
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Online"));
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.checkStatusFreshness();
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("No recent status from service"));
    }

    void watchdogDoesNothingWithoutARunningHostOrInPreview() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.connected = true;
        app.hostStartedAt = harness.fake->clock.addSecs(-60);
        app.checkStatusFreshness();
        QVERIFY(app.connected);
        QVERIFY(app.connectionSummary->text() != QStringLiteral("Connection needs attention"));
    }

    void oversizedFrameMarksTheStatusStale() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.connected = true;
        app.consumeOnMain(QByteArray(8388609, 'x'));
        QVERIFY(!app.connected);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Service response was too large"));
        app.consumeOnMain("\n{\"type\":\"status\",\"status\":{}}\n");
        QVERIFY(app.connected);
    }

    void hostEndAfterAConflictExplainsIt() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(host.ready());
        app.handleLine(R"({"type":"error","code":"process_conflict","conflicts":[{"pid":12,"entryPath":"/x"}]})");
        app.process->kill();
        QTRY_VERIFY(!app.process);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Another CLI is running"));
        QCOMPARE(app.footer->text(), *app.hostConflictMessage);
        QVERIFY(!app.stopConflictButton->isHidden());

        // Starting again forgets the conflict.
        app.reconnect();
        QTRY_VERIFY(app.hostIsRunning());
        QVERIFY(!app.hostConflictMessage);
        QVERIFY(app.conflictingProcesses.isEmpty());
        QVERIFY(app.stopConflictButton->isHidden());
    }

    void disconnectedInPreviewKeepsTheStartActionHidden() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.fixtureMode = true;
        app.renderDisconnected(QStringLiteral("gone"));
        QVERIFY(app.connectionRow->action()->isHidden());
        QCOMPARE(app.activeTaskCount, 0);
        QVERIFY(!app.webRoot);
        QCOMPARE(app.deliveryHeadline->text(), QStringLiteral("Status unavailable"));
        QCOMPARE(app.deliveryNext->text(), QStringLiteral("gone"));
    }
};

VODU_TEST_SUITE(HealthTest)
#include "HealthTest.moc"
