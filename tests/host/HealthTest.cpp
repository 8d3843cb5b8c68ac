#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "context/LinkState.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray kSignedInOnline =
    R"({"type":"status","status":{"auth":{"state":"signed_in"},"connection":{"state":"online"}}})";

} // namespace

// Noticing a silent or lost host, and what the app shows then.
class HealthTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Stale only strictly after 15 s, measured from the last snapshot shown, else from the launch; nothing is said
    // in preview or without a running host.
    void watchdog_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<qint64>("sinceLaunch");
        QTest::addColumn<qint64>("sinceStatus"); // -1: no snapshot yet
        QTest::addColumn<bool>("stale");
        QTest::newRow("no snapshot, 15 s after the launch") << true << false << qint64(15000) << qint64(-1) << false;
        QTest::newRow("no snapshot, 15.001 s after the launch") << true << false << qint64(15001) << qint64(-1) << true;
        QTest::newRow("snapshot 10 s ago, launched a minute ago")
            << true << false << qint64(60000) << qint64(10000) << false;
        QTest::newRow("snapshot 16 s ago") << true << false << qint64(20000) << qint64(16000) << true;
        QTest::newRow("preview") << true << true << qint64(60000) << qint64(60000) << false;
        QTest::newRow("no running host") << false << false << qint64(60000) << qint64(60000) << false;
    }

    void watchdog() {
        QFETCH(bool, running);
        QFETCH(bool, preview);
        QFETCH(qint64, sinceLaunch);
        QFETCH(qint64, sinceStatus);
        QFETCH(bool, stale);
        ScriptedLink host(QStringLiteral("silent")); // only the clock decides freshness
        QVERIFY(!running || host.start());
        const QDateTime launched = host.link.hostStartedAt().value_or(host.platform.clock);
        if (sinceStatus >= 0) {
            host.platform.clock = launched.addMSecs(sinceLaunch - sinceStatus);
            host.link.noteStatusRendered();
        }
        host.state.fixtureMode = preview;
        host.platform.clock = launched.addMSecs(sinceLaunch);
        QSignalSpy stales(&host.link, &HostLink::stale);
        host.link.checkStatusFreshness();
        QCOMPARE(stales.size(), stale ? 1 : 0);
        if (stale) {
            QCOMPARE(stales.first().first().toString(), QStringLiteral("No recent status from service"));
        }
    }

    // A line longer than the frame limit is dropped and reported; the next line is read as usual.
    void oversizedFrameIsReportedAsStale() {
        FakePlatform platform;
        LinkState state;
        const Copy english;
        HostLink link(platform, english, state);
        QSignalSpy statuses(&link, &HostLink::statusReceived);
        QSignalSpy stale(&link, &HostLink::stale);
        link.consumeOnMain(QByteArray(8388609, 'x'));
        QCOMPARE(stale.size(), 1);
        QCOMPARE(stale.first().first().toString(), QStringLiteral("Service response was too large"));
        QVERIFY(link.bufferedBytes() == 0);
        link.consumeOnMain("\n{\"type\":\"status\",\"status\":{}}\n");
        QCOMPARE(statuses.size(), 1);
        QCOMPARE(stale.size(), 1);
    }

    // The whole app: a silent host turns every view to "unknown" once; later ticks only repeat the summary, and the
    // next snapshot brings everything back.
    void staleTicksRepeatOnlyTheSummaryAndASnapshotRestores() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent"));
        QVERIFY(host.ready());
        app.link().handleLine(kSignedInOnline);
        QCOMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.link().checkStatusFreshness();
        QVERIFY(!app.linkState().connected);
        const QString noStatus = QStringLiteral("No recent status from service");
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                 QStringLiteral("Connection needs attention"));
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), noStatus);
        QVERIFY(!view<StatusRow>(app, "connectionRow")->action()->isHidden());
        QCOMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Status unknown"));
        QCOMPARE(view<QLabel>(app, "footer")->text(), noStatus);
        QCOMPARE(view<QLabel>(app, "tasksLabel")->text(), QStringLiteral("Task status unknown"));
        QCOMPARE(view<QAction>(app, "menuStatus")->text(), noStatus);

        // Later ticks set the summary again but leave rows and footer as the user may have changed them.
        view<QLabel>(app, "footer")->setText(QStringLiteral("Copied"));
        view<ConnectionButton>(app, "connectionSummary")->setText(QString());
        harness.fake->clock = harness.fake->clock.addSecs(3);
        app.link().checkStatusFreshness();
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Copied"));
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                 QStringLiteral("Connection needs attention"));

        // The same bytes as before the silence: still drawn again, since the screen shows something else now.
        app.link().handleLine(kSignedInOnline);
        QVERIFY(app.linkState().connected);
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(), QStringLiteral("Online"));
        QVERIFY(view<StatusRow>(app, "accountRow")->detail()->text() != QStringLiteral("Status unknown"));
        QVERIFY(view<QLabel>(app, "tasksLabel")->text() != QStringLiteral("Task status unknown"));
        harness.fake->clock = harness.fake->clock.addSecs(16);
        app.link().checkStatusFreshness();
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), noStatus);
    }

    // The whole app: a conflict shows the disconnected state at once and is still explained when the host ends;
    // "Start service" then starts a new host and forgets the conflict.
    void hostEndAfterAConflictExplainsIt() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("silent"));
        QVERIFY(host.ready());
        app.link().handleLine(R"({"type":"status","status":{"tasks":{"activeCount":2}}})");
        QCOMPARE(app.linkState().activeTaskCount, 2);
        app.link().handleLine(
            R"({"type":"error","code":"process_conflict","conflicts":[{"pid":12,"entryPath":"/x"}]})");
        const auto verifyConflictShown = [&app] {
            QVERIFY(!app.linkState().connected);
            QCOMPARE(app.linkState().activeTaskCount, 0);
            QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Another CLI is running"));
            QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                     QStringLiteral("Not connected · View details"));
            QCOMPARE(view<QLabel>(app, "deliveryHeadline")->text(), QStringLiteral("Status unavailable"));
            QCOMPARE(view<QLabel>(app, "deliveryNext")->text(), QStringLiteral("Another CLI is running"));
            QVERIFY(view<QLabel>(app, "footer")->text().startsWith(u"A CLI is already using this connection."));
            QVERIFY(!view<QPushButton>(app, "stopConflictButton")->isHidden());
        };
        verifyConflictShown();
        app.link().process()->kill();
        QTRY_VERIFY(!app.link().process());
        verifyConflictShown();

        view<StatusRow>(app, "connectionRow")->action()->click();
        QTRY_VERIFY(app.link().hostIsRunning());
        QVERIFY(!app.conflictStop().message());
        QVERIFY(view<QPushButton>(app, "stopConflictButton")->isHidden());
        QCOMPARE(view<QLabel>(app, "footer")->text(), QString());
    }
};

VODU_TEST_SUITE(HealthTest)
#include "HealthTest.moc"
