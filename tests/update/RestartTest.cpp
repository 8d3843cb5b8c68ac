#include "Harness.h"
#include "InstallationHome.h"
#include "TestRegistry.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
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

// An app with a newer release selected (1.3.0 over the bundle's 1.2.3), a host that answers "quit" as `quitMode`
// says, and a launcher that records how the install process was started.
struct RestartSetup {
    explicit RestartSetup(const QString& quitMode = QStringLiteral("accept"))
        : bundle(QStringLiteral("update-host.js")) {
        home.select(home.addRelease(QStringLiteral("1.3.0")));
        const QString launcher = bundle.path() + QStringLiteral("/Contents/MacOS/vodu");
        QFile::remove(launcher);
        valid = bundle.isValid() &&
                QFile::copy(TestBundle::fixturePath(QStringLiteral("recording-launcher.sh")), launcher) &&
                QFile::setPermissions(launcher, QFile::ReadOwner | QFile::ExeOwner);
        FakePlatform& fake = *harness.fake;
        fake.bundleDir = bundle.path();
        fake.environment.insert(QStringLiteral("VODU_HOME"), home.path());
        fake.environment.insert(QStringLiteral("LAUNCHER_RECORD"), record());
        fake.environment.insert(QStringLiteral("UPDATE_HOST_QUIT"), quitMode);
        fake.environment.insert(QStringLiteral("UPDATE_HOST_LOG"), hostLog());
    }

    AppDelegate& app() { return harness.app(); }
    QString record() const { return home.path() + QStringLiteral("/record"); }
    QString hostLog() const { return home.path() + QStringLiteral("/host.log"); }
    QString log() const { return home.installer() + QStringLiteral("/desktop-update.log"); }
    QStringList actionsSent() const {
        QStringList actions;
        for (const QString& line : fileLines(hostLog())) {
            actions.append(line.section(QStringLiteral("\"action\":\""), 1).section(QLatin1Char('"'), 0, 0));
        }
        return actions;
    }

    // A running host and a status that has just arrived.
    bool connect() {
        app().startHost();
        if (!QTest::qWaitFor([this] { return app().hostIsRunning(); }, 10000)) {
            return false;
        }
        app().handleLine(R"({"type":"status","status":{"version":"1.2.3"}})");
        return app().connected && app().updateNeedsRestart;
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
        QTest::newRow("all met, status 9.9 s old") << "none" << true;
        QTest::newRow("status exactly 10 s old") << "age 10000" << false;
        QTest::newRow("status 12 s old") << "age 12000" << false;
        QTest::newRow("no status yet") << "no status" << false;
        QTest::newRow("preview") << "preview" << false;
        QTest::newRow("a quit is outstanding") << "quit in flight" << false;
        QTest::newRow("disconnected") << "disconnected" << false;
        QTest::newRow("a task is running") << "one task" << false;
        QTest::newRow("selected release not newer") << "selected equal" << false;
        QTest::newRow("no verified release") << "no release" << false;
    }

    void preconditions() {
        QFETCH(QString, change);
        QFETCH(bool, attempted);
        InstallationHome home;
        Harness harness;
        AppDelegate& app = harness.app();
        InstallationHome::Release release;
        if (change == u"selected equal") {
            release.version = QStringLiteral("1.2.3");
        }
        if (change != u"no release") {
            QVERIFY(home.select(home.addRelease(QStringLiteral("r"), release)));
        }
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home.path());
        app.connected = change != u"disconnected";
        app.fixtureMode = change == u"preview";
        app.quitInFlight = change == u"quit in flight";
        app.activeTaskCount = change == u"one task" ? 1 : 0;
        if (change != u"no status") {
            const qint64 age = change.startsWith(u"age ") ? change.mid(4).toLongLong() : 9900;
            app.lastStatusReceivedAt = harness.fake->clock.addMSecs(-age);
        }

        app.restartToUpdate();
        QCOMPARE(app.updateLabel->text(), attempted ? kCheckTasks : kStatusChanged);
        QCOMPARE(app.restartError, std::optional<QString>(app.updateLabel->text()));
        QCOMPARE(app.updateDot->color().light, Theme::systemRed.light);
        QVERIFY(!app.restartRequest);
        QVERIFY(!app.restartTimer);
        QCOMPARE(app.quitInFlight, change == u"quit in flight");
        QVERIFY(harness.fake->exitStatuses.isEmpty());
    }

    void acceptedQuitStartsTheInstallProcessAndExits() {
        RestartSetup setup;
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        QVERIFY(setup.connect());
        QVERIFY(app.updateButton->isEnabled());

        // A status gone old meanwhile: nothing is sent.
        setup.harness.fake->clock = setup.harness.fake->clock.addSecs(12);
        app.updateButton->click();
        QCOMPARE(app.updateLabel->text(), kStatusChanged);
        app.handleLine(R"({"type":"status","status":{"version":"1.2.3"}})");
        QCOMPARE(app.updateLabel->text(), kStatusChanged); // kept while a restart is still needed

        app.updateButton->click();
        QVERIFY(app.quitInFlight);
        QVERIFY(!app.updateButton->isEnabled());
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Restarting…"));
        QVERIFY(!app.statusWatchdog);
        QVERIFY(app.restartTimer && app.restartTimer->isActive() && app.restartTimer->isSingleShot());
        QCOMPARE(app.restartTimer->interval(), 15000);

        QTRY_COMPARE(setup.harness.fake->exitStatuses, QList<int>{0});
        QCOMPARE(setup.actionsSent(), QStringList({QStringLiteral("refresh"), QStringLiteral("quit")}));
        QVERIFY(!app.restartTimer);
        QVERIFY(!app.restartAfterHostExit);
        QVERIFY(!app.process);

        QTRY_VERIFY(QFileInfo::exists(setup.record()));
        const QStringList record = fileLines(setup.record());
        QCOMPARE(record.mid(0, 5),
                 QStringList({QStringLiteral("arg --install-selected-desktop"), QStringLiteral("arg 4242"),
                              QStringLiteral("stdin /dev/null"), QStringLiteral("stdout /dev/null"),
                              QStringLiteral("stderr ") + setup.log()}));
        // Its own session, so it outlives the app.
        QVERIFY(record.value(5) != QStringLiteral("session ") + QString::number(::getsid(0)));
        QCOMPARE(modeOf(setup.log()), 0600);
        QTRY_COMPARE(fileLines(setup.log()), QStringList{QStringLiteral("install step recorded")});
    }

    void acceptedQuitWaitsForTheHostToEnd() {
        RestartSetup setup(QStringLiteral("accept-stay"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        QVERIFY(setup.connect());
        app.updateButton->click();
        QTRY_COMPARE(app.updateLabel->text(), QStringLiteral("Waiting for service to stop…"));
        QVERIFY(app.restartAfterHostExit);
        QVERIFY(!app.restartTimer); // the guard ended with the answer
        QVERIFY(setup.harness.fake->exitStatuses.isEmpty());

        app.process->kill();
        QTRY_COMPARE(setup.harness.fake->exitStatuses, QList<int>{0});
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
    }

    void refusedQuitLeavesTheAppRunning() {
        RestartSetup setup(QStringLiteral("refuse"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        QVERIFY(setup.connect());
        const QString footerBefore = app.footer->text();
        app.updateButton->click();
        QTRY_COMPARE(app.updateLabel->text(), kCheckTasks);
        QCOMPARE(app.restartError, std::optional<QString>(kCheckTasks));
        QCOMPARE(app.footer->text(), footerBefore); // the service's own words are not shown
        QVERIFY(!app.quitInFlight);
        QVERIFY(!app.restartRequest);
        QVERIFY(!app.restartTimer);
        QVERIFY(app.updateButton->isEnabled());
        QVERIFY(app.statusWatchdog && app.statusWatchdog->isActive());
        QCOMPARE(app.statusWatchdog->interval(), 3000);
        QVERIFY(app.hostIsRunning());
        QVERIFY(setup.harness.fake->exitStatuses.isEmpty());
        QVERIFY(!QFileInfo::exists(setup.record()));
    }

    void unansweredQuitTimesOutAndALateGuardDoesNothing() {
        RestartSetup setup(QStringLiteral("ignore"));
        QVERIFY(setup.valid);
        AppDelegate& app = setup.app();
        QVERIFY(setup.connect());
        app.restartGuardInterval = std::chrono::milliseconds(1);
        app.restartToUpdate();
        const QUuid first = *app.restartRequest;
        QTRY_COMPARE(app.updateLabel->text(),
                     QStringLiteral("Service did not respond. Check its status and try again."));
        QVERIFY(!app.quitInFlight);
        QVERIFY(!app.restartRequest);
        QVERIFY(app.updateButton->isEnabled());
        QVERIFY(app.statusWatchdog && app.statusWatchdog->isActive());

        // A newer attempt; the first attempt's guard and answer arriving now change nothing.
        app.restartGuardInterval = std::chrono::milliseconds(15000);
        app.restartToUpdate();
        QVERIFY(app.restartRequest && *app.restartRequest != first);
        app.restartTimedOut(first);
        app.restartQuitAnswered(first, false);
        QVERIFY(app.quitInFlight);
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Restarting…"));
        QVERIFY(app.restartTimer && app.restartTimer->isActive());
        QVERIFY(!app.restartError);
    }

    void logThatIsASymbolicLinkIsNotFollowed() {
        RestartSetup setup;
        QVERIFY(setup.valid);
        const QString victim = setup.home.path() + QStringLiteral("/victim");
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep\n");
        file.close();
        QVERIFY(QFile::link(victim, setup.log()));

        QVERIFY(setup.app().launchSelectedAfterExit());
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
        QVERIFY(fileLines(setup.record()).contains(QStringLiteral("stderr /dev/null")));
        QCOMPARE(fileLines(victim), QStringList{QStringLiteral("keep")});
        QVERIFY(QFileInfo(setup.log()).isSymLink());
    }

    void installDirectoryAndLogAreCreatedPrivate() {
        RestartSetup setup;
        QVERIFY(setup.valid);
        const QString home = setup.home.path() + QStringLiteral("/fresh/home");
        setup.harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home);
        QVERIFY(setup.app().launchSelectedAfterExit());
        QCOMPARE(modeOf(setup.home.path() + QStringLiteral("/fresh")), 0700);
        QCOMPARE(modeOf(home + QStringLiteral("/installer")), 0700);
        QCOMPARE(modeOf(home + QStringLiteral("/installer/desktop-update.log")), 0600);
        QTRY_VERIFY(QFileInfo::exists(setup.record()));
    }

    void launcherThatCannotRunRestartsTheService() {
        InstallationHome home;
        QTemporaryDir emptyBundle;
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = emptyBundle.path();
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home.path());
        QVERIFY(!app.launchSelectedAfterExit());

        // The host already ended after accepting "quit".
        app.quitInFlight = true;
        app.restartAfterHostExit = true;
        app.hostEnded(0);
        QVERIFY(harness.fake->exitStatuses.isEmpty());
        QVERIFY(!app.restartAfterHostExit);
        QVERIFY(!app.quitInFlight);
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Could not restart the app. Open VODU again."));
        QCOMPARE(app.updateDot->color().light, Theme::systemRed.light);
        QVERIFY(app.statusWatchdog && app.statusWatchdog->isActive());
        // The service was started again (its files are missing here, which the connection row says).
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Service files are missing"));
    }
};

VODU_TEST_SUITE(RestartTest)
#include "RestartTest.moc"
