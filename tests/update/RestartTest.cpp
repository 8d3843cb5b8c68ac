#include "InstallationHome.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kStatusChanged = QStringLiteral("Status changed. Refresh and try again.");
const QString kCheckTasks = QStringLiteral("Check that tasks have finished, then try again.");

int modeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

// An app with release 1.3.0 selected over the bundle's 1.2.3, a host that answers "quit" as `quitMode` says, and a
// launcher that records how the install process was started.
struct RestartSetup {
    explicit RestartSetup(const QString& quitMode = QStringLiteral("accept"))
        : bundle(QStringLiteral("update-host.js")) {
        valid = home.select(home.addRelease("1.3.0")) && bundle.isValid() && installRecordingLauncher(bundle.path());
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert("VODU_HOME", home.path());
        harness.fake->environment.insert("LAUNCHER_RECORD", record());
        harness.fake->environment.insert("UPDATE_HOST_QUIT", quitMode);
    }

    AppDelegate& app() { return harness.app(); }
    QString record() const { return home.path() + "/record"; }

    // A running host and a status that has just arrived.
    bool connect() {
        app().startHost();
        if (!valid || !QTest::qWaitFor([this] { return app().link().hostIsRunning(); }, 10000)) {
            return false;
        }
        app().link().handleLine(R"({"type":"status","status":{"version":"1.2.3"}})");
        return app().linkState().connected && app().update().updateNeedsRestart() &&
               view<QPushButton>(app(), "updateButton")->isEnabled();
    }

    InstallationHome home;
    TestBundle bundle;
    Harness harness;
    bool valid = false;
};

} // namespace

class RestartTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Without a host, an attempt that passes the checks fails at once on "quit", which the row tells apart.
    void preconditions_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("attempted");
        QTest::newRow("all met, status 9.9 s old") << "status 9.9 s old" << true;
        for (const char* refused : {"status 12 s old", "no status", "preview", "quit in flight", "disconnected",
                                    "one task", "selected equal", "no release"}) {
            QTest::newRow(refused) << QString::fromLatin1(refused) << false;
        }
    }

    void preconditions() {
        QFETCH(QString, change);
        QFETCH(bool, attempted);
        InstallationHome home;
        AreaHarness area;
        UpdateController update(area.context, std::nullopt);
        update.buildUpdateRow()->setParent(&area.parent);
        QObject::connect(&update, &UpdateController::quitInFlightChanged,
                         [&area](bool inFlight) { area.link.quitInFlight = inFlight; });
        TestRelease release;
        release.version = change == u"selected equal" ? "1.2.3" : "1.3.0";
        if (change != u"no release") {
            QVERIFY(home.select(home.addRelease("r", release)));
        }
        area.platform.environment.insert("VODU_HOME", home.path());
        area.link.connected = change != u"disconnected";
        area.link.fixtureMode = change == u"preview";
        area.link.quitInFlight = change == u"quit in flight";
        area.link.activeTaskCount = change == u"one task" ? 1 : 0;
        if (change != u"no status") {
            const double age = change.startsWith(u"status ") ? change.section(' ', 1, 1).toDouble() : 9.9;
            area.link.lastStatusReceivedAt = area.platform.clock.addMSecs(qRound64(-age * 1000));
        }

        update.restartToUpdate();
        QCOMPARE(area.commands.actions(), attempted ? QStringList{QStringLiteral("quit")} : QStringList());
        area.commands.complete(0, false, QStringLiteral("no"));
        QCOMPARE(area.view<QLabel>("updateLabel")->text(), attempted ? kCheckTasks : kStatusChanged);
        QVERIFY(!update.restartRequest() && !update.restartGuardRunning());
        QCOMPARE(area.link.quitInFlight, change == u"quit in flight");
        QVERIFY(area.platform.exitStatuses.isEmpty());
    }

    // The app waits for the host to end, then starts the install process detached and exits.
    void acceptedQuitStartsTheInstallProcessOnceTheHostEnds() {
        RestartSetup setup(QStringLiteral("accept-stay"));
        QVERIFY(setup.connect());
        AppDelegate& app = setup.app();
        view<QPushButton>(app, "updateButton")->click();
        QVERIFY(app.linkState().quitInFlight && !view<QPushButton>(app, "updateButton")->isEnabled());
        QCOMPARE(view<QLabel>(app, "updateLabel")->text(), QStringLiteral("Restarting…"));
        QVERIFY(app.update().restartGuardRunning());
        QTRY_COMPARE(view<QLabel>(app, "updateLabel")->text(), QStringLiteral("Waiting for service to stop…"));
        QVERIFY(!app.update().restartGuardRunning()); // the guard ended with the answer
        QVERIFY(setup.harness.fake->exitStatuses.isEmpty() && !QFileInfo::exists(setup.record()));

        app.link().process()->kill();
        QTRY_COMPARE(setup.harness.fake->exitStatuses, QList<int>{0});
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
        const QStringList record = fileLines(setup.record());
        QCOMPARE(record.mid(0, 5), QStringList({"arg --install-selected-desktop", "arg 4242", "stdin /dev/null",
                                                "stdout /dev/null", "stderr " + setup.home.log()}));
        // Its own session, so it outlives the app.
        QVERIFY(record.value(5) != QStringLiteral("session %1").arg(::getsid(0)));
        QCOMPARE(modeOf(setup.home.log()), 0600);
    }

    void unsuccessfulQuit_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("label");
        QTest::newRow("refused") << QStringLiteral("refuse") << kCheckTasks;
        QTest::newRow("unanswered") << QStringLiteral("ignore")
                                    << QStringLiteral("Service did not respond. Check its status and try again.");
    }

    // The app stays and its row says why (not in the service's words); a stale attempt's guard or answer does nothing.
    void unsuccessfulQuit() {
        QFETCH(QString, mode);
        QFETCH(QString, label);
        RestartSetup setup(mode);
        QVERIFY(setup.connect());
        AppDelegate& app = setup.app();
        const QString footer = view<QLabel>(app, "footer")->text();
        app.update().setRestartGuardInterval(std::chrono::milliseconds(mode == u"ignore" ? 1 : 15000));
        view<QPushButton>(app, "updateButton")->click();
        const QUuid first = *app.update().restartRequest();
        QTRY_COMPARE(view<QLabel>(app, "updateLabel")->text(), label);
        QCOMPARE(view<QLabel>(app, "footer")->text(), footer);
        QVERIFY(!app.linkState().quitInFlight && !app.update().restartRequest() &&
                !app.update().restartGuardRunning() && view<QPushButton>(app, "updateButton")->isEnabled());
        QVERIFY(app.link().statusWatchdogRunning());
        QVERIFY(app.link().hostIsRunning() && setup.harness.fake->exitStatuses.isEmpty());
        QVERIFY(!QFileInfo::exists(setup.record()));

        app.update().setRestartGuardInterval(std::chrono::milliseconds(15000));
        view<QPushButton>(app, "updateButton")->click(); // a newer attempt
        QVERIFY(app.update().restartRequest() && *app.update().restartRequest() != first);
        app.update().restartTimedOut(first);
        app.update().restartQuitAnswered(first, false);
        QVERIFY(app.linkState().quitInFlight && !app.update().restartError() && app.update().restartGuardRunning());
        QCOMPARE(view<QLabel>(app, "updateLabel")->text(), QStringLiteral("Restarting…"));
    }

    // The install directories, even the missing home above them, are created 0700 and the log 0600 (what is already
    // at the log's place is checked with the install process itself).
    void installFoldersAreCreatedPrivate() {
        RestartSetup setup;
        QVERIFY(setup.valid);
        const QString fresh = setup.home.path() + "/fresh";
        const QString log = fresh + "/home/installer/desktop-update.log";
        setup.harness.fake->environment.insert("VODU_HOME", fresh + "/home");
        QVERIFY(setup.app().update().launchSelectedAfterExit());
        QCOMPARE(modeOf(fresh), 0700);
        QCOMPARE(modeOf(fresh + "/home/installer"), 0700);
        QCOMPARE(modeOf(log), 0600);
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
    }

    void launcherThatCannotRunRestartsTheService() {
        InstallationHome home;
        QVERIFY(home.select(home.addRelease("1.3.0")));
        QTemporaryDir emptyBundle;
        AreaHarness area;
        area.platform.bundleDir = emptyBundle.path();
        area.platform.environment.insert("VODU_HOME", home.path());
        area.link.connected = true;
        area.link.hostProcessAlive = true;
        area.link.lastStatusReceivedAt = area.platform.clock;
        UpdateController update(area.context, std::nullopt);
        update.buildUpdateRow()->setParent(&area.parent);
        QSignalSpy quitInFlight(&update, &UpdateController::quitInFlightChanged);
        QSignalSpy startHost(&update, &UpdateController::startHostRequested);
        QSignalSpy watchdog(&update, &UpdateController::statusWatchdogStartRequested);
        update.restartToUpdate();
        area.commands.complete(0, true); // the host agreed to quit and is still ending
        QVERIFY(update.restartAfterHostExit());
        QVERIFY(startHost.isEmpty());

        QVERIFY(update.handOverIfWaiting()); // the host has ended
        QVERIFY(area.platform.exitStatuses.isEmpty());
        QVERIFY(!update.restartAfterHostExit());
        QCOMPARE(quitInFlight.size(), 2);
        QCOMPARE(quitInFlight.last().first().toBool(), false);
        QCOMPARE(startHost.size(), 1);
        QCOMPARE(watchdog.size(), 1);
        QCOMPARE(area.view<QLabel>("updateLabel")->text(),
                 QStringLiteral("Could not restart the app. Open VODU again."));
        QVERIFY(!update.handOverIfWaiting()); // nothing is waiting any more
    }
};

VODU_TEST_SUITE(RestartTest)
#include "RestartTest.moc"
