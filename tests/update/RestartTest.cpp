#include "AreaHarness.h"
#include "InstallationHome.h"
#include "ScriptedHost.h"
#include "update/UpdateController.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <unistd.h>

namespace {

const QString kStatusChanged = QStringLiteral("Status changed. Refresh and try again.");
const QString kCheckTasks = QStringLiteral("Check that tasks have finished, then try again.");

// Release 1.3.0 selected over the bundle's 1.2.3, connected, idle, a status just in, and a bundle whose launcher
// records how the install process was started.
struct RestartArea : AreaHarness {
    RestartArea() {
        QVERIFY(!home.selectRelease().isEmpty() && installRecordingLauncher(bundle.path()));
        platform.bundleDir = bundle.path();
        platform.environment.insert("VODU_HOME", home.path());
        platform.environment.insert("LAUNCHER_RECORD", record());
        link.connected = link.hostProcessAlive = true;
        link.lastStatusReceivedAt = platform.clock.addMSecs(-9900);
        update.buildUpdateRow()->setParent(&parent);
        QObject::connect(&update, &UpdateController::quitInFlightChanged, [this](bool on) { link.quitInFlight = on; });
    }
    QString label() const { return view<QLabel>("updateLabel")->text(); }
    QString record() const { return home.path() + "/record"; }

    InstallationHome home;
    QTemporaryDir bundle;
    UpdateController update{context, std::nullopt};
};

} // namespace

class RestartTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only an attempt that passes every check asks the host to quit.
    void preconditions_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("all met, status 9.9 s old") << "";
        for (const char* refused : {"status 12 s old", "no status", "preview", "quit in flight", "disconnected",
                                    "one task", "selected equal", "no release"}) {
            QTest::newRow(refused) << QString::fromLatin1(refused);
        }
    }

    void preconditions() {
        QFETCH(QString, change);
        RestartArea area;
        if (change.startsWith(u"selected") || change == u"no release") {
            QVERIFY(change == u"no release"
                        ? QFile::remove(area.home.current())
                        : area.home.select(makeBundle(area.home.releases() + "/r/VODU.app", "1.2.3")));
        }
        area.link.connected = change != u"disconnected";
        area.link.fixtureMode = change == u"preview";
        area.link.quitInFlight = change == u"quit in flight";
        area.link.activeTaskCount = change == u"one task" ? 1 : 0;
        area.link.lastStatusReceivedAt = change == u"no status"         ? std::nullopt
                                         : change.startsWith(u"status") ? area.platform.clock.addSecs(-12)
                                                                        : area.link.lastStatusReceivedAt;
        area.update.restartToUpdate();
        QCOMPARE(area.commands.actions(), change.isEmpty() ? QStringList{"quit"} : QStringList());
        QCOMPARE(area.link.quitInFlight, change.isEmpty() || change == u"quit in flight");
        QCOMPARE(area.label(), change.isEmpty() ? QStringLiteral("Restarting…") : kStatusChanged);
    }

    // What the host's answer leads to; an answer or a guard of an earlier attempt changes nothing.
    void answers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("label");
        QTest::newRow("accepted") << "accepted"
                                  << "Waiting for service to stop…";
        QTest::newRow("accepted, launcher cannot run") << "no launcher"
                                                       << "Could not restart the app. Open VODU again.";
        QTest::newRow("refused") << "refused" << kCheckTasks;
        QTest::newRow("unanswered") << "unanswered"
                                    << "Service did not respond. Check its status and try again.";
    }

    void answers() {
        QFETCH(QString, answer);
        RestartArea area;
        QSignalSpy startHost(&area.update, &UpdateController::startHostRequested);
        QSignalSpy watchdog(&area.update, &UpdateController::statusWatchdogStartRequested);
        area.update.setRestartGuardInterval(std::chrono::milliseconds(answer == u"unanswered" ? 1 : 15000));
        area.update.restartToUpdate();
        const QUuid first = area.update.restartRequest().value_or(QUuid());
        if (answer == u"unanswered") {
            QTRY_VERIFY(!area.update.restartGuardRunning());
        } else {
            area.commands.complete(0, answer != u"refused");
        }
        if (answer == u"accepted" || answer == u"no launcher") {
            QCOMPARE(area.label(), QStringLiteral("Waiting for service to stop…"));
            QVERIFY(area.platform.exitStatuses.isEmpty()); // the host is still ending
            QVERIFY(answer == u"accepted" || QFile::remove(area.bundle.path() + "/Contents/MacOS/vodu"));
            QVERIFY(area.update.handOverIfWaiting()); // the host has ended
        }
        QTEST(area.label(), "label");
        if (answer == u"accepted") {
            QCOMPARE(area.platform.exitStatuses, QList<int>{0});
            QTRY_VERIFY(QFileInfo::exists(area.record()));
            const QStringList record = fileLines(area.record());
            QCOMPARE(record.mid(0, 5),
                     QStringList({"arg --install-selected-desktop", "arg 4242", "stdin /dev/null", "stdout /dev/null",
                                  "stderr " + area.home.path() + "/installer/desktop-update.log"}));
            QVERIFY(record.value(5) != QStringLiteral("session %1").arg(::getsid(0))); // it outlives the app
            return;
        }
        QVERIFY(area.platform.exitStatuses.isEmpty() && !area.link.quitInFlight && !area.update.handOverIfWaiting());
        QCOMPARE(startHost.size(), answer == u"no launcher" ? 1 : 0);
        QCOMPARE(watchdog.size(), 1);
        if (answer == u"no launcher") {
            return;
        }
        QVERIFY(area.view<QPushButton>("updateButton")->isEnabled());
        area.update.restartToUpdate(); // a newer attempt
        area.update.restartTimedOut(first);
        area.update.restartQuitAnswered(first, false);
        QVERIFY(area.link.quitInFlight && !area.update.restartError() && area.update.restartGuardRunning());
        QCOMPARE(area.label(), QStringLiteral("Restarting…"));
    }

    // In the app: the row's button asks the host to quit; once it has ended the install process starts and the
    // app exits, and a refusal leaves the app and its host running.
    void inTheApp_data() {
        QTest::addColumn<bool>("refused");
        QTest::newRow("accepted") << false;
        QTest::newRow("refused") << true;
    }

    void inTheApp() {
        QFETCH(bool, refused);
        InstallationHome home;
        TestBundle bundle; // the scripted host, telling of version 1.2.3 at its start
        QVERIFY(!home.selectRelease().isEmpty() && bundle.isValid() && installRecordingLauncher(bundle.path()));
        Harness harness;
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert("VODU_HOME", home.path());
        harness.fake->environment.insert("LAUNCHER_RECORD", home.path() + "/record");
        harness.fake->environment.insert("SCRIPTED_HOST_MODE", "answer");
        harness.fake->environment.insert("SCRIPTED_HOST_STATUS", R"({"version":"1.2.3"})");
        harness.fake->environment.insert("SCRIPTED_HOST_LOG", home.path() + "/host.log");
        harness.fake->environment.insert("SCRIPTED_HOST_FAIL", refused ? "quit" : "");
        harness.app().startHost();
        auto* button = view<QPushButton>(harness.app(), "updateButton");
        QTRY_COMPARE(view<QLabel>(harness.app(), "updateLabel")->text(), QStringLiteral("Restart to use app 1.3.0."));
        button->click();
        QVERIFY(harness.app().linkState().quitInFlight);
        QTRY_COMPARE(loggedCommands(home.path() + "/host.log").value(1).value(u"action"), QJsonValue("quit"));
        if (!refused) {
            QTRY_COMPARE(harness.fake->exitStatuses, QList<int>{0});
            QTRY_VERIFY(QFileInfo::exists(home.path() + "/record"));
            return;
        }
        QTRY_COMPARE(view<QLabel>(harness.app(), "updateLabel")->text(), kCheckTasks);
        QVERIFY(!harness.app().linkState().quitInFlight && harness.app().linkState().hostProcessAlive);
        QVERIFY(harness.fake->exitStatuses.isEmpty() && button->isEnabled());
    }
};

VODU_TEST_SUITE(RestartTest)
#include "RestartTest.moc"
