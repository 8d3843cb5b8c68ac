#include "Harness.h"
#include "ReferenceHost.h"
#include "TestRegistry.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kEnded = QStringLiteral("Service connection ended");

// Selects the first listed row that shows the supervision form and types a goal into it; false when none does (a
// silent host never lists any).
bool typeDraft(AppDelegate& app, const QString& goal) {
    auto* list = view<QAbstractItemView>(app, "deliveryTable");
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        list->setCurrentIndex(list->model()->index(row, 0));
        if (!view<QWidget>(app, "sessionForm")->isHidden()) {
            view<QPlainTextEdit>(app, "sessionGoal")->setPlainText(goal);
            return true;
        }
    }
    return false;
}

} // namespace

// The reference host misbehaving in each of its fault modes: the app keeps running, shows what happened, completes
// every command it sent exactly once and keeps what the user typed.
class FaultDrillTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drill_data() {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("action");  // sent once the host runs; "quit" goes through the app's quit
        QTest::addColumn<QString>("outcome"); // "ok", "once" (either, but exactly once), "" (none sent)
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("connectionDetail"); // empty: not checked
        const auto row = [](const char* name, const char* faults, const char* action, const char* outcome,
                            bool connected, const QString& detail = {}) {
            QTest::newRow(name) << QString::fromLatin1(faults) << QString::fromLatin1(action)
                                << QString::fromLatin1(outcome) << connected << detail;
        };
        row("silent: commands still answered", "silent", "refresh", "ok", true);
        row("slow results", "slow-results=400", "refresh", "ok", true);
        row("oversized line before the first status", "oversized-line", "refresh", "ok", true);
        row("garbage after every frame", "garbage", "refresh", "ok", true);
        row("crash after three frames", "crash-after=3", "refresh", "once", false, kEnded);
        row("refused quit", "refuse-quit", "quit", "", true);
        // Shown at once, and still explained when the host has ended.
        row("another host holds the installation", "conflict", "", "", false, QStringLiteral("Another CLI is running"));
    }

    void drill() {
        QFETCH(QString, faults);
        QFETCH(QString, action);
        QFETCH(QString, outcome);
        QFETCH(bool, connected);
        QFETCH(QString, connectionDetail);

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
        ReferenceHost::Options options;
        options.faults = faults == u"conflict" ? QString() : faults;
        options.home = holder ? holder->home() : QString();
        options.waitForStatus = faults != u"silent" && !holder;
        const ReferenceHost host(harness, options);
        if (holder) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().hostProcessAlive, 15000);
        } else {
            QVERIFY(host.ready());
        }
        const QString goal = QStringLiteral("Ship the release notes");
        const bool drafted = typeDraft(app, goal);
        QVERIFY(drafted || faults == u"silent" || holder); // only these never see a conversation

        QList<bool> results;
        if (action == u"quit") {
            harness.fake->alertAnswers = {AlertAnswer{1, {}}}; // "Quit VODU" while the demo's tasks run
            app.requestQuit();
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().quitInFlight, 15000);
            QCOMPARE(harness.fake->terminations, 0);
            QVERIFY(app.linkState().hostProcessAlive);
        } else if (!action.isEmpty()) {
            app.context().commands.send(action, false, std::nullopt, {},
                                        [&results](bool ok, const std::optional<QString>&) { results.append(ok); });
            QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty(), 15000);
        }
        if (!connected) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().connected, 15000);
        }
        if (connectionDetail == kEnded) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().hostProcessAlive, 15000);
        }
        QTest::qWait(300); // a late second completion or snapshot would arrive by now

        QCOMPARE(results.size(), outcome.isEmpty() ? 0 : 1);
        QVERIFY(outcome != u"ok" || results == QList<bool>{true});
        QCOMPARE(app.linkState().connected, connected);
        if (!connectionDetail.isEmpty()) {
            QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), connectionDetail);
        }
        if (holder) {
            QVERIFY(view<QLabel>(app, "footer")->text().startsWith(u"A CLI is already using this connection."));
            QVERIFY(!view<QPushButton>(app, "stopConflictButton")->isHidden());
        }
        if (drafted) {
            QCOMPARE(view<QPlainTextEdit>(app, "sessionGoal")->toPlainText(), goal);
        }
    }
};

VODU_TEST_SUITE(FaultDrillTest)
#include "FaultDrillTest.moc"
