#include "Harness.h"
#include "ReferenceHost.h"
#include "TestRegistry.h"
#include "model/RecordIdentity.h"
#include "sessions/home/SupervisionModel.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

const QString kEnded = QStringLiteral("Service connection ended");

// Presents the first conversation that shows the supervision form and types a goal into it; false when none does
// (a silent host never sends any).
bool typeDraft(AppDelegate& app, const QString& goal) {
    for (const QJsonObject& record : app.supervision().sessionCandidates) {
        app.sessions().presetSelection(sessionIdentity(record));
        app.sessions().renderSelectedSession();
        if (!view<QWidget>(app, "sessionForm")->isHidden()) {
            view<QPlainTextEdit>(app, "sessionGoal")->setPlainText(goal);
            return true;
        }
    }
    return false;
}

} // namespace

// The reference host misbehaving in each of its fault modes, and killed outright: the app keeps running, shows what
// happened, completes every command it sent exactly once and keeps what the user typed.
class FaultDrillTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drill_data() {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("action");  // sent once the host runs; "quit" goes through the app's quit
        QTest::addColumn<bool>("killHost");   // SIGKILL right after sending
        QTest::addColumn<QString>("outcome"); // "ok", "failed", "once" (either, but exactly once), "" (none sent)
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("connectionDetail"); // empty: not checked
        QTest::addColumn<QString>("footer");           // empty: not checked
        QTest::newRow("silent: commands still answered, stale after 15 s")
            << "silent"
            << "refresh" << false << "ok" << false << "No recent status from service"
            << "No recent status from service";
        QTest::newRow("no results, then the host is killed")
            << "no-results"
            << "refresh" << true << "failed" << false << kEnded << QString();
        QTest::newRow("slow results") << "slow-results=400"
                                      << "refresh" << false << "ok" << true << QString() << QString();
        QTest::newRow("oversized line before the first status")
            << "oversized-line"
            << "refresh" << false << "ok" << true << QString() << QString();
        QTest::newRow("garbage after every frame") << "garbage"
                                                   << "refresh" << false << "ok" << true << QString() << QString();
        QTest::newRow("crash after three frames") << "crash-after=3"
                                                  << "refresh" << false << "once" << false << kEnded << QString();
        // The refusal's footer text gives way to the demo's attention text at the next snapshot.
        QTest::newRow("refused quit") << "refuse-quit"
                                      << "quit" << false << "" << true << QString() << QString();
        QTest::newRow("killed while a slow result is on its way")
            << "slow-results=5000"
            << "refresh" << true << "failed" << false << kEnded << QString();
        QTest::newRow("another host holds the installation")
            << "conflict" << QString() << false << "" << false << "Another CLI is running" << QString();
    }

    void drill() {
        QFETCH(QString, faults);
        QFETCH(QString, action);
        QFETCH(bool, killHost);
        QFETCH(QString, outcome);
        QFETCH(bool, connected);
        QFETCH(QString, connectionDetail);
        QFETCH(QString, footer);

        // A conflict needs a first app whose host holds the installation home.
        std::unique_ptr<Harness> first;
        std::unique_ptr<ReferenceHost> holder;
        if (faults == u"conflict") {
            first = std::make_unique<Harness>();
            holder = std::make_unique<ReferenceHost>(*first, ReferenceHost::Options{});
            QVERIFY(holder->ready());
        }
        Harness harness;
        AppDelegate& app = harness.app();
        QSignalSpy stale(&app.link(), &HostLink::stale);
        ReferenceHost::Options options;
        options.faults = faults == u"conflict" ? QString() : faults;
        options.home = holder ? holder->home() : QString();
        options.waitForStatus = faults != u"silent" && !holder;
        const ReferenceHost host(harness, options);
        if (holder) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.link().process(), 15000);
        } else {
            QVERIFY(host.ready());
        }
        if (faults == u"oversized-line") {
            QCOMPARE(stale.size(), 1);
            QCOMPARE(stale.first().first().toString(), QStringLiteral("Service response was too large"));
        }
        const QString goal = QStringLiteral("Ship the release notes");
        const bool drafted = typeDraft(app, goal);
        QVERIFY(drafted || faults == u"silent" || holder); // only these never see a conversation

        int completions = 0;
        std::optional<bool> result;
        const qint64 pid = app.link().process() ? app.link().process()->processId() : 0;
        if (action == u"quit") {
            harness.fake->alertAnswers = {AlertAnswer{1, {}}}; // "Quit VODU" while the demo's tasks run
            app.requestQuit();
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().quitInFlight, 15000);
            QCOMPARE(harness.fake->terminations, 0);
            QVERIFY(app.link().hostIsRunning());
        } else if (!action.isEmpty()) {
            app.context().commands.send(action, false, std::nullopt, {}, [&](bool ok, const std::optional<QString>&) {
                ++completions;
                result = ok;
            });
            if (killHost) {
                QVERIFY(pid > 0);
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            }
            QTRY_VERIFY_WITH_TIMEOUT(completions > 0, 15000);
        }
        if (faults == u"silent") {
            harness.fake->clock = harness.fake->clock.addSecs(16);
            app.link().checkStatusFreshness();
        }
        if (!connected) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().connected, 15000);
        }
        if (connectionDetail == kEnded) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.link().process(), 15000);
        }
        QTest::qWait(300); // a late second completion or snapshot would arrive by now

        QCOMPARE(completions, outcome.isEmpty() ? 0 : 1);
        if (outcome == u"ok" || outcome == u"failed") {
            QCOMPARE(result, std::optional<bool>(outcome == u"ok"));
        }
        QCOMPARE(app.link().pendingCount(), 0);
        QCOMPARE(app.linkState().connected, connected);
        if (!connectionDetail.isEmpty()) {
            QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), connectionDetail);
        }
        if (!footer.isEmpty()) {
            QCOMPARE(view<QLabel>(app, "footer")->text(), footer);
        }
        if (drafted) {
            QCOMPARE(view<QPlainTextEdit>(app, "sessionGoal")->toPlainText(), goal);
            app.sessions().renderSelectedSession();
            QCOMPARE(view<QPlainTextEdit>(app, "sessionGoal")->toPlainText(), goal);
        }
    }
};

VODU_TEST_SUITE(FaultDrillTest)
#include "FaultDrillTest.moc"
