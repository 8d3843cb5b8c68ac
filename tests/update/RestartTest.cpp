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
        if (!valid || !QTest::qWaitFor([this] { return app().hostIsRunning(); }, 10000)) {
            return false;
        }
        app().handleLine(R"({"type":"status","status":{"version":"1.2.3"}})");
        return app().connected && app().updateNeedsRestart && app().updateButton->isEnabled();
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
        Harness harness;
        AppDelegate& app = harness.app();
        TestRelease release;
        release.version = change == u"selected equal" ? "1.2.3" : "1.3.0";
        if (change != u"no release") {
            QVERIFY(home.select(home.addRelease("r", release)));
        }
        harness.fake->environment.insert("VODU_HOME", home.path());
        app.connected = change != u"disconnected";
        app.fixtureMode = change == u"preview";
        app.quitInFlight = change == u"quit in flight";
        app.activeTaskCount = change == u"one task" ? 1 : 0;
        if (change != u"no status") {
            const double age = change.startsWith(u"status ") ? change.section(' ', 1, 1).toDouble() : 9.9;
            app.lastStatusReceivedAt = harness.fake->clock.addMSecs(qRound64(-age * 1000));
        }

        app.restartToUpdate();
        QCOMPARE(app.updateLabel->text(), attempted ? kCheckTasks : kStatusChanged);
        QVERIFY(!app.restartRequest && !app.restartTimer);
        QCOMPARE(app.quitInFlight, change == u"quit in flight");
        QVERIFY(harness.fake->exitStatuses.isEmpty());
    }

    // The app waits for the host to end, then starts the install process detached and exits.
    void acceptedQuitStartsTheInstallProcessOnceTheHostEnds() {
        RestartSetup setup(QStringLiteral("accept-stay"));
        QVERIFY(setup.connect());
        AppDelegate& app = setup.app();
        app.updateButton->click();
        QVERIFY(app.quitInFlight && !app.updateButton->isEnabled());
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Restarting…"));
        QVERIFY(app.restartTimer && app.restartTimer->isActive());
        QCOMPARE(app.restartTimer->interval(), 15000);
        QTRY_COMPARE(app.updateLabel->text(), QStringLiteral("Waiting for service to stop…"));
        QVERIFY(!app.restartTimer); // the guard ended with the answer
        QVERIFY(setup.harness.fake->exitStatuses.isEmpty() && !QFileInfo::exists(setup.record()));

        app.process->kill();
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
        const QString footer = app.footer->text();
        app.restartGuardInterval = std::chrono::milliseconds(mode == u"ignore" ? 1 : 15000);
        app.updateButton->click();
        const QUuid first = *app.restartRequest;
        QTRY_COMPARE(app.updateLabel->text(), label);
        QCOMPARE(app.footer->text(), footer);
        QVERIFY(!app.quitInFlight && !app.restartRequest && !app.restartTimer && app.updateButton->isEnabled());
        QVERIFY(app.statusWatchdog && app.statusWatchdog->isActive());
        QVERIFY(app.hostIsRunning() && setup.harness.fake->exitStatuses.isEmpty());
        QVERIFY(!QFileInfo::exists(setup.record()));

        app.restartGuardInterval = std::chrono::milliseconds(15000);
        app.updateButton->click(); // a newer attempt
        QVERIFY(app.restartRequest && *app.restartRequest != first);
        app.restartTimedOut(first);
        app.restartQuitAnswered(first, false);
        QVERIFY(app.quitInFlight && !app.restartError && app.restartTimer && app.restartTimer->isActive());
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Restarting…"));
    }

    // The install directory is created 0700 and the log 0600; a log that is a symbolic link is not followed, and the
    // install process is started all the same.
    void installLogIsPrivateAndNeverFollowsALink() {
        RestartSetup setup;
        QVERIFY(setup.valid);
        const QString fresh = setup.home.path() + "/fresh";
        const QString log = fresh + "/home/installer/desktop-update.log";
        setup.harness.fake->environment.insert("VODU_HOME", fresh + "/home");
        QVERIFY(setup.app().launchSelectedAfterExit());
        QCOMPARE(modeOf(fresh), 0700);
        QCOMPARE(modeOf(fresh + "/home/installer"), 0700);
        QCOMPARE(modeOf(log), 0600);
        QTRY_VERIFY(QFileInfo::exists(setup.record()));

        const QString victim = setup.home.path() + "/victim";
        QVERIFY(QFile::remove(setup.record()) && QFile::remove(log));
        QVERIFY(writeFile(victim, "keep\n") && QFile::link(victim, log));
        QVERIFY(setup.app().launchSelectedAfterExit());
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
        QVERIFY(fileLines(setup.record()).contains("stderr /dev/null"));
        QCOMPARE(fileLines(victim), QStringList{"keep"});
    }

    void launcherThatCannotRunRestartsTheService() {
        InstallationHome home;
        QTemporaryDir emptyBundle;
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = emptyBundle.path();
        harness.fake->environment.insert("VODU_HOME", home.path());
        app.quitInFlight = app.restartAfterHostExit = true; // the host has just ended after accepting "quit"
        app.hostEnded(0);
        QVERIFY(harness.fake->exitStatuses.isEmpty());
        QVERIFY(!app.restartAfterHostExit && !app.quitInFlight);
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Could not restart the app. Open VODU again."));
        QVERIFY(app.statusWatchdog && app.statusWatchdog->isActive());
        // The service was started again (its files are missing here, which the connection row says).
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Service files are missing"));
    }
};

VODU_TEST_SUITE(RestartTest)
#include "RestartTest.moc"
