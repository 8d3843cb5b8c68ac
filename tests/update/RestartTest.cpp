#include "AreaHarness.h"
#include "InstallationHome.h"
#include "ScriptedHost.h"
#include "update/UpdateController.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <unistd.h>

namespace {

// Release 1.3.0 selected over the bundle's 1.2.3, connected, idle, a status just in, and a bundle whose launcher
// records how the install process was started.
struct RestartArea : AreaHarness {
    RestartArea() {
        QVERIFY(!home.selectRelease().isEmpty() && installRecordingLauncher(bundle.path()));
        platform.bundleDir = bundle.path();
        platform.environment.insert("VODU_HOME", home.path());
        platform.environment.insert("LAUNCHER_RECORD", home.path() + "/record");
        link.connected = link.hostProcessAlive = true;
        link.lastStatusReceivedAt = platform.clock.addMSecs(-9900);
        update.buildUpdateRow()->setParent(&parent);
        QObject::connect(&update, &UpdateController::quitInFlightChanged, [this](bool on) { link.quitInFlight = on; });
    }
    QString label() const { return view<QLabel>("updateLabel")->text(); }

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
        columns<QString>({"change"});
        for (const char* change : {"", "status 12 s old", "no status", "preview", "quit in flight", "disconnected",
                                   "one task", "selected equal", "no release"}) {
            dataRow(*change ? change : "all met, status 9.9 s old", change);
        }
    }

    void preconditions() {
        const auto [change] = fetch<QString>({"change"});
        RestartArea area;
        QVERIFY(change != u"no release" || QFile::remove(area.home.current()));
        QVERIFY(change != u"selected equal" ||
                area.home.select(makeBundle(area.home.releases() + "/r/VODU.app", "1.2.3")));
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
        QCOMPARE(area.label(), change.isEmpty() ? "Restarting…" : "Status changed. Refresh and try again.");
    }

    // What the host's answer leads to; an answer or a guard of an earlier attempt changes nothing.
    void answers_data() {
        columns<QString, QString>({"answer", "label"});
        dataRow("accepted", "accepted", "Waiting for service to stop…");
        dataRow("accepted, launcher cannot run", "no launcher", "Could not restart the app. Open VODU again.");
        dataRow("refused", "refused", "Check that tasks have finished, then try again.");
        dataRow("unanswered", "unanswered", "Service did not respond. Check its status and try again.");
    }

    void answers() {
        const auto [answer, label] = fetch<QString, QString>({"answer", "label"});
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
        const bool accepted = answer == u"accepted" || answer == u"no launcher";
        if (accepted) {
            QCOMPARE(area.label(), QStringLiteral("Waiting for service to stop…"));
            QVERIFY(area.platform.exitStatuses.isEmpty()); // the host is still ending
            QVERIFY(answer == u"accepted" || QFile::remove(area.bundle.path() + "/Contents/MacOS/vodu"));
            QVERIFY(area.update.handOverIfWaiting()); // the host has ended
        }
        QCOMPARE(area.label(), label);
        if (answer == u"accepted") {
            QCOMPARE(area.platform.exitStatuses, QList<int>{0});
            QTRY_VERIFY(QFileInfo::exists(area.home.path() + "/record"));
            const QStringList record = fileLines(area.home.path() + "/record");
            QCOMPARE(record.mid(0, 5),
                     QStringList({"arg --install-selected-desktop", "arg 4242", "stdin /dev/null", "stdout /dev/null",
                                  "stderr " + area.home.path() + "/installer/desktop-update.log"}));
            QVERIFY(record.value(5) != QStringLiteral("session %1").arg(::getsid(0))); // it outlives the app
            return;
        }
        QVERIFY(area.platform.exitStatuses.isEmpty() && !area.link.quitInFlight && !area.update.handOverIfWaiting());
        QCOMPARE(QList<qsizetype>({startHost.size(), watchdog.size()}), QList<qsizetype>({accepted ? 1 : 0, 1}));
        if (!accepted) {
            QVERIFY(area.view<QPushButton>("updateButton")->isEnabled());
            area.update.restartToUpdate(); // a newer attempt
            area.update.restartTimedOut(first);
            area.update.restartQuitAnswered(first, false);
            QVERIFY(area.link.quitInFlight && !area.update.restartError() && area.update.restartGuardRunning());
            QCOMPARE(area.label(), QStringLiteral("Restarting…"));
        }
    }

    // In the app: the row's button asks the host to quit; once the host has ended the install process starts and
    // the app exits.
    void inTheApp() {
        InstallationHome home;
        QVERIFY(!home.selectRelease().isEmpty());
        Harness harness;
        harness.fake->environment.insert("VODU_HOME", home.path());
        harness.fake->environment.insert("LAUNCHER_RECORD", home.path() + "/record");
        harness.fake->environment.insert("SCRIPTED_HOST_STATUS", R"({"version":"1.2.3"})");
        ScriptedHost host(harness, QStringLiteral("answer"));
        QVERIFY(host.ready() && installRecordingLauncher(harness.fake->bundleDir));
        QTRY_COMPARE(view<QLabel>(harness.app(), "updateLabel")->text(), QStringLiteral("Restart to use app 1.3.0."));
        view<QPushButton>(harness.app(), "updateButton")->click();
        QVERIFY(harness.app().linkState().quitInFlight);
        QTRY_COMPARE(harness.fake->exitStatuses, QList<int>{0});
        QCOMPARE(host.actions(), QStringList{"quit"});
        QTRY_VERIFY(QFileInfo::exists(home.path() + "/record"));
    }
};

VODU_TEST_SUITE(RestartTest)
#include "RestartTest.moc"
