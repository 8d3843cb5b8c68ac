#include "AreaHarness.h"
#include "DataTables.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "update/InstallProcess.h"
#include "update/MacAppUpdate.h"
#include "update/UpdateController.h"
#include "update/UpdateRow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A flag as a table cell: "+" or "-".
inline QChar sign(bool value) {
    return QChar(value ? u'+' : u'-');
}

// Makes tests/fixtures/recording-launcher.sh the bundle's launcher: it records how it was started in LAUNCHER_RECORD
// ("arg ..." lines, "stdin/stdout/stderr <target>", "session <id>").
inline bool installRecordingLauncher(const QString& bundle) {
    QFile::remove(bundle + QStringLiteral("/Contents/MacOS/vodu")); // it may be a link to the built one
    return writeFile(bundle + QStringLiteral("/Contents/MacOS/vodu"),
                     readFile(TestBundle::fixturePath(QStringLiteral("recording-launcher.sh"))), true);
}

// A bundle at `path`: Contents/Info.json, an executable Contents/MacOS/vodu and, given a script, vodu-status.
inline QString makeBundle(const QString& path, const QString& version = QStringLiteral("1.3.0"),
                          const QString& identifier = QStringLiteral("com.zuzi.vodu.cli"),
                          const QByteArray& statusScript = {}) {
    const QJsonObject information{{"CFBundleIdentifier", identifier}, {"CFBundleShortVersionString", version}};
    writeFile(path + QStringLiteral("/Contents/Info.json"), QJsonDocument(information).toJson());
    writeFile(path + QStringLiteral("/Contents/MacOS/vodu"), "#!/bin/sh\nexit 0\n", true);
    return statusScript.isEmpty() || writeFile(path + QStringLiteral("/Contents/MacOS/vodu-status"), statusScript, true)
               ? path
               : QString();
}

// A temporary installation home: installer/releases/<folder>/<bundle> and the installer/current link.
struct InstallationHome {
    InstallationHome() { QDir().mkpath(releases()); }
    QString path() const { return m_directory.path(); }
    QString releases() const { return path() + QStringLiteral("/installer/releases"); }
    QString current() const { return path() + QStringLiteral("/installer/current"); }
    // Points installer/current at `target`, as written.
    bool select(const QString& target) const {
        QFile::remove(current());
        return QFile::link(target, current());
    }
    // Release 1.3.0 in releases/1.3.0/VODU.app, selected.
    QString selectRelease() const {
        const QString bundle = makeBundle(releases() + QStringLiteral("/1.3.0/VODU.app"));
        return select(bundle) ? bundle : QString();
    }
    // VODU_HOME here, and no install error.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VODU_HOME"), path());
        environment.remove(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"));
        return environment;
    }
    QTemporaryDir m_directory;
};

// Table cells: "-" stands for an absent version.
std::optional<QString> version(const QString& text) {
    return text == u"-" ? std::nullopt : std::optional<QString>(text);
}

#define INSTALL_FAILED                                                                                                 \
    "The app update could not finish. Update VODU using the installer; your settings and tasks are preserved.\n"

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

class UpdateTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isNewer_data() {
        columns<QString, QString, bool>({"candidate", "than", "newer"});
        dataRow("numeric, not textual", "1.10.0", "1.9.9", true);
        dataRow("and not the other way", "1.9.9", "1.10.0", false);
        dataRow("equal", "1.2.3", "1.2.3", false);
        dataRow("not three components", "1.2.3.4", "1.2.3", false);
        dataRow("fullwidth digit", "\uFF11.2.4", "1.2.3", false);
        dataRow("largest 64-bit component", "1.2.9223372036854775807", "1.2.3", true);
        dataRow("component beyond 64 bits", "1.2.9223372036854775808", "1.2.3", false);
        dataRow("absent candidate", "-", "1.2.3", false);
        dataRow("absent base", "1.2.4", "-", false);
    }

    void isNewer() {
        const auto [candidate, than, newer] = fetch<QString, QString, bool>({"candidate", "than", "newer"});
        QCOMPARE(MacAppUpdate::isNewer(version(candidate), version(than)), newer);
    }

    // Native 1.2.3; expected: needs a restart, can restart now, a newer app is there.
    void decision_data() {
        columns<QString, QString, int, bool, QString>({"runtime", "selected", "tasks", "connected", "expected"});
        dataRow("newer release, idle", "1.2.3", "1.3.0", 0, true, "+++");
        dataRow("newer release, a task", "1.3.0", "1.3.0", 1, true, "+-+");
        dataRow("newer release, offline", "1.2.3", "1.3.0", 0, false, "+-+");
        dataRow("newer service only", "1.3.0", "-", 0, true, "+--");
        dataRow("nothing newer", "1.2.3", "1.2.3", 0, true, "---");
    }

    void decision() {
        const auto [runtime, selected, tasks, connected, expected] =
            fetch<QString, QString, int, bool, QString>({"runtime", "selected", "tasks", "connected", "expected"});
        const MacAppUpdate::Decision decided =
            MacAppUpdate::decision(QStringLiteral("1.2.3"), version(runtime), version(selected), tasks, connected);
        QCOMPARE(QString() + sign(decided.needsRestart) + sign(decided.canRestart) + sign(decided.newerApp), expected);
    }

    // installer/current must be a link into installer/releases to a bundle of ours with a runnable launcher.
    void selectedRelease_data() {
        columns<QString, bool>({"target", "selected"}); // what installer/current points at, under the home
        dataRow("relative link", "releases/1/VODU.app", true);
        dataRow("link to VODU CLI.app", "installer/releases/1/VODU CLI.app", true);
        dataRow("empty VODU_HOME uses HOME", "home", true);
        dataRow("plain directory", "directory", false);
        dataRow("link escaping releases", "elsewhere/VODU.app", false);
        dataRow("sibling sharing the releases prefix", "installer/releases-old/VODU.app", false);
        dataRow("wrong bundle name", "installer/releases/1/Other.app", false);
        dataRow("launcher not executable", "launcher", false);
        dataRow("wrong identifier", "identifier", false);
    }

    void selectedRelease() {
        const auto [target, selected] = fetch<QString, bool>({"target", "selected"});
        InstallationHome home;
        QProcessEnvironment environment = home.environment();
        QString bundle = home.releases() + "/1/VODU.app";
        if (target.contains(u'/')) {
            bundle = makeBundle(target.startsWith(u"installer") || target.startsWith(u"elsewhere")
                                    ? home.path() + '/' + target
                                    : home.releases() + '/' + target.section('/', 1));
            QVERIFY(home.select(target.startsWith(u"releases") ? target : bundle));
        } else if (target == u"directory") {
            makeBundle(home.current());
        } else {
            QVERIFY(home.select(
                makeBundle(bundle, "1.3.0", target == u"identifier" ? "com.zuzi.vodu.other" : "com.zuzi.vodu.cli")));
            QVERIFY(target != u"launcher" || QFile::setPermissions(bundle + "/Contents/MacOS/vodu", QFile::ReadOwner));
            if (target == u"home") {
                QVERIFY(QFile::link(home.path(), home.path() + "/.vodu"));
                environment.insert("VODU_HOME", QString());
                environment.insert("HOME", home.path());
            }
        }
        QCOMPARE(MacAppUpdate::selectedAppURL(environment),
                 selected ? std::optional(QFileInfo(bundle).canonicalFilePath()) : std::nullopt);
        QCOMPARE(MacAppUpdate::selectedAppVersion(environment),
                 selected ? std::optional<QString>("1.3.0") : std::nullopt);
    }

    // Where the app runs from, and one change to a good setup; the baseline is named through a link. A preview never
    // hands over.
    void shouldInstallCanonical_data() {
        columns<QString, QString, bool>({"runningFrom", "change", "expected"});
        dataRow("baseline older than the selected release", "baseline", "", true);
        dataRow("a failed hand-over is never repeated", "baseline", "install error", false);
        dataRow("another identifier", "baseline", "identifier", false);
        dataRow("flag as text", "baseline", "flag as text", false);
        dataRow("no selected release", "baseline", "no selection", false);
        dataRow("running from the release, not older", "release", "version 9.0.0", true);
        dataRow("running from it through a link", "release link", "", true);
        dataRow("running from anywhere else", "elsewhere", "", false);
        dataRow("baseline at the selected version", "baseline", "version 1.3.0", false);
        dataRow("the release is the baseline", "release as baseline", "version 1.3.0", false);
    }

    void shouldInstallCanonical() {
        const auto [runningFrom, change, expected] =
            fetch<QString, QString, bool>({"runningFrom", "change", "expected"});
        InstallationHome home;
        const QString release = home.selectRelease();
        QVERIFY(change != u"no selection" || QFile::remove(home.current()));
        const QString baseline = makeBundle(home.path() + "/opt/VODU.app");
        QVERIFY(QFile::link(home.path() + "/opt", home.path() + "/opt-link"));
        const QJsonObject information{
            {"CFBundleIdentifier", change == u"identifier" ? "com.zuzi.vodu.cli.test" : "com.zuzi.vodu.cli"},
            {"CFBundleShortVersionString", change.startsWith(u"version ") ? change.mid(8) : "1.2.3"},
            {"VODUCanonicalDesktopUpdate", change == u"flag as text" ? QJsonValue("true") : QJsonValue(true)},
            {"VODUBaselineAppPath",
             runningFrom == u"release as baseline" ? release : home.path() + "/opt-link/VODU.app"}};
        QProcessEnvironment environment = home.environment();
        if (change == u"install error") {
            environment.insert("VODU_DESKTOP_INSTALL_ERROR", QString());
        }
        QString directory = runningFrom.startsWith(u"release") ? release : baseline;
        if (runningFrom == u"release link") {
            QVERIFY(QFile::link(release, directory = home.path() + "/VODU.app"));
        } else if (runningFrom == u"elsewhere") {
            directory = makeBundle(home.path() + "/copy/VODU.app");
        }
        const AppBundle bundle{directory, information};
        QCOMPARE(MacAppUpdate::shouldInstallCanonical(bundle, environment), expected);
        QCOMPARE(handOverAtLaunch({"vodu-status"}, bundle, environment, 777),
                 expected ? LaunchHandOver::started : LaunchHandOver::notNeeded);
        QCOMPARE(handOverAtLaunch({"vodu-status", "--status-fixture", "x.json"}, bundle, environment, 777),
                 LaunchHandOver::notNeeded);
    }

    // The facts as JSON (the bundle is 1.2.3, connected), then what the row shows; "flags" are the button's being
    // enabled, needing a restart and being able to install, each "+" or "-".
    void rowView_data() {
        columns<QString, UpdateDot, QString, QString, QString>({"facts", "dot", "label", "button", "flags"});
        const char* restart = "Restart to update";
        const char* check = "Check for updates";
        dataRow("install error", R"({"installError":"died token=abc123","selected":"1.3.0"})", UpdateDot::red,
                INSTALL_FAILED "died •••", "Get installer", "+--");
        dataRow("tasks", R"({"selected":"1.3.0","tasks":2})", UpdateDot::orange,
                "Restart is available when 2 active task(s) finish.", restart, "-+-");
        dataRow("restart", R"({"selected":"1.3.0","update":{"state":"available"}})", UpdateDot::orange,
                "Restart to use app 1.3.0.", restart, "++-");
        dataRow("restart error", R"({"selected":"1.3.0","restartError":"Could not restart."})", UpdateDot::red,
                "Could not restart.", restart, "++-");
        dataRow("newer runtime", R"({"running":"1.4.0"})", UpdateDot::orange,
                "The new app could not be verified. Check the installation.", restart, "-+-");
        dataRow("no update state", "{}", UpdateDot::grey, "Not checked", check, "+--");
        dataRow("downloading", R"({"update":{"state":"downloading","available":true,"message":"1.4"}})",
                UpdateDot::blue, "1.4", "Update now", "--+");
        dataRow("check failed", R"({"update":{"state":"check_failed","error":"see token=abc123"}})", UpdateDot::red,
                "see •••", check, "+--");
        dataRow("disabled", R"({"update":{"state":"disabled"}})", UpdateDot::grey, "Automatic checks are disabled",
                check, "---");
        dataRow("ready", R"({"update":{"state":"ready","target_version":" 2.0.0\n","version":"1"}})", UpdateDot::orange,
                "Version 2.0.0 is available", "Update now", "+-+");
        dataRow("idle", R"({"update":{"state":"idle"}})", UpdateDot::green, "Up to date", check, "+--");
    }

    void rowView() {
        const auto [facts, dot, label, button, flags] =
            fetch<QString, UpdateDot, QString, QString, QString>({"facts", "dot", "label", "button", "flags"});
        const QJsonObject given = json(facts);
        const auto text = [&given](const char* key) {
            const QJsonValue value = given.value(QLatin1String(key));
            return value.isString() ? std::optional(value.toString()) : std::nullopt;
        };
        const std::optional<QJsonObject> update =
            given.contains(u"update") ? std::optional(given.value(u"update").toObject()) : std::nullopt;
        const UpdateRowView view =
            updateRowView({update, text("installError"), "1.2.3", text("selected"), text("running"),
                           text("restartError"), given.value(u"tasks").toInteger(), true, false},
                          Copy{});
        QCOMPARE(view.dot, dot);
        QCOMPARE(view.label, label);
        QCOMPARE(view.buttonTitle, button);
        QCOMPARE(QString() + sign(view.buttonEnabled) + sign(view.needsRestart) + sign(view.canInstall), flags);
    }

    // The button sends the action the row names; a restart attempt owns the row; a restart error lasts while needed.
    void rowSendsItsAction() {
        AreaHarness area;
        QTemporaryDir home; // no release is selected here
        area.platform.environment.insert("VODU_HOME", home.path());
        UpdateController update(area.context, std::nullopt);
        update.buildUpdateRow()->setParent(&area.parent);
        update.restartToUpdate(); // refused: nothing newer to restart into
        QVERIFY(update.restartError());
        for (const char* state : {"idle", "ready"}) {
            update.renderUpdate(json(QStringLiteral(R"({"state":"%1"})").arg(state)));
            QVERIFY(!update.restartError());
            area.view<QPushButton>("updateButton")->click();
        }
        QCOMPARE(area.commands.actions(), QStringList({"check_update", "update"}));
        area.link.quitInFlight = true;
        update.renderUpdate(json(R"({"state":"failed"})"));
        QCOMPARE(area.view<QLabel>("updateLabel")->text(), QStringLiteral("Update available"));
    }

    // A failed hand-over at launch (its text: tests/app/LaunchTest): the row on the App & updates tab, its button
    // opening the installer page of a valid configured workspace only.
    void installErrorOpensTheInstallerPage() {
        AreaHarness area;
        UpdateController update(area.context, QStringLiteral("Could not start the app update helper"));
        update.buildUpdateRow()->setParent(&area.parent);
        QSignalSpy settings(&update, &UpdateController::settingsRequested);
        update.showInstallError();
        QCOMPARE(settings.value(0).value(0).toInt(), 2);
        area.view<QPushButton>("updateButton")->click();
        area.platform.environment.insert("VODU_WEB_ORIGIN", "javascript:alert(1)");
        area.view<QPushButton>("updateButton")->click();
        QCOMPARE(area.platform.openedUrls, QList<QUrl>{QUrl("https://app.vodu.ai/download")});
        QVERIFY(area.commands.commands.isEmpty());
    }

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

    // The install process logs to a private file of ours (no group or other bits on it or its folders), never
    // through a link or pipe planted at its place.
    void installLogIsPrivate_data() {
        columns<QString>({"planted"});
        for (const char* planted : {"no home", "earlier log", "link at the log", "fifo at the log", "folder link"})
            dataRow(planted, QString::fromLatin1(planted));
    }

    void installLogIsPrivate() {
        const auto [planted] = fetch<QString>({"planted"});
        QTemporaryDir scratch;
        const QString home = scratch.filePath(planted == u"no home" ? "a/home" : "home"), folder = home + "/installer";
        const QString log = folder + "/desktop-update.log", elsewhere = scratch.filePath("elsewhere");
        QVERIFY(writeFile(elsewhere + "/target.log", ""));
        if (planted == u"folder link")
            QVERIFY(QDir().mkpath(home) && QFile::link(elsewhere, folder));
        else if (planted != u"no home")
            QVERIFY(QDir().mkpath(folder) && QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        QVERIFY(planted != u"earlier log" ||
                (writeFile(log, "earlier\n") && QFile::setPermissions(log, QFileDevice::Permissions(0x6644))));
        QVERIFY(planted != u"link at the log" || QFile::link(elsewhere + "/target.log", log));
        QVERIFY(planted != u"fifo at the log" || ::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
        QTemporaryDir bundle;
        QVERIFY(writeFile(bundle.path() + "/Contents/MacOS/vodu", "#!/bin/sh\necho launcher-ran >&2\n", true));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VODU_HOME", home);
        QVERIFY(launchInstallProcess(bundle.path(), environment, 999999));
        if (planted == u"no home" || planted == u"earlier log") {
            QTRY_VERIFY(fileLines(log).contains("launcher-ran"));
            for (const QString& path : {log, folder, scratch.filePath(planted == u"no home" ? "a" : "home/installer")})
                QCOMPARE(QFileInfo(path).permissions() & 0x00ff, QFileDevice::Permissions());
        } else {
            QTest::qWait(300);
            QVERIFY(readFile(elsewhere + "/target.log").isEmpty() &&
                    !QFileInfo::exists(elsewhere + "/desktop-update.log"));
        }
    }
};

VODU_TEST_SUITE(UpdateTest)
#include "UpdateTest.moc"
