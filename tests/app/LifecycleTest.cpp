#include "DataTables.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/InstanceChannel.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <csignal>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString uniqueName() {
    return QStringLiteral("vodu-test-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".showWindow");
}

// The asking side blocks, so it runs on its own thread while this thread's event loop serves the listener; its pid
// is another process's unless told otherwise.
InstanceChannel::AskResult ask(const QString& name, qint64 ownPid = ::getpid() + 100000) {
    auto answer =
        std::async(std::launch::async, [name, ownPid] { return InstanceChannel::askToShowWindow(name, ownPid); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QTest::qWait(5);
    }
    return answer.get();
}

std::unique_ptr<QLocalServer> listen(const QString& name, int& shown, const QString& executable = "vodu-status") {
    return std::unique_ptr<QLocalServer>(InstanceChannel::listen(name, ::getpid(), executable, nullptr, [&shown] {
        ++shown;
        return true;
    }));
}

// The app's own bound is 5 s; sanitized builds start, run and end several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kTimeScale = 4;
#else
constexpr int kTimeScale = 1;
#endif
constexpr int kExitBoundMs = 5000 * kTimeScale;

enum class HostQuit { exitsAfterAnswer, staysUntilEndOfInput, refuses, neverAnswers };

// The scripted host's environment for `behaviour`, with `runningTasks` in every status it sends (a QHash or a
// QProcessEnvironment).
template <typename Environment>
void scriptHost(Environment& environment, HostQuit behaviour, int runningTasks, const QString& events) {
    environment.insert(QStringLiteral("SCRIPTED_HOST_EVENTS"), events);
    if (behaviour != HostQuit::exitsAfterAnswer) {
        environment.insert(QStringLiteral("SCRIPTED_HOST_CLEANUP_MS"), QStringLiteral("0"));
    }
    environment.insert(QStringLiteral("SCRIPTED_HOST_STATUS"),
                       QStringLiteral(R"({"tasks":{"activeCount":%1}})").arg(runningTasks));
    environment.insert(QStringLiteral("SCRIPTED_HOST_FAIL"), behaviour == HostQuit::refuses ? "quit" : "");
    environment.insert(QStringLiteral("SCRIPTED_HOST_HOLD"), behaviour == HostQuit::neverAnswers ? "quit" : "");
}

// The built app as its own process, from a bundle of its own whose host is the scripted one, telling of two running
// tasks; or, for `preview`, showing preview data that lists them.
struct AppProcess {
    AppProcess(HostQuit host, bool preview) : m_preview(preview) {
        scriptHost(environment, host, 2, events);
        environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("answer"));
        environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    }

    // Launched, and (with a host) asked for its status and told of the running tasks.
    bool start() {
        const QString app = m_bundle.path() + QStringLiteral("/Contents/MacOS/vodu-status");
        const QString built = qEnvironmentVariable("VODU_BUNDLE_DIR") + QStringLiteral("/Contents/MacOS/vodu-status");
        if (!m_bundle.isValid() ||
            (::link(QFile::encodeName(built).constData(), QFile::encodeName(app).constData()) != 0 &&
             !QFile::copy(built, app))) {
            return false;
        }
        QStringList arguments;
        if (m_preview) {
            const QString fixture = m_dir.filePath(QStringLiteral("preview.json"));
            if (!writeFile(fixture, R"({"tasks":{"activeCount":2,"items":[]}})")) {
                return false;
            }
            arguments = {QStringLiteral("--status-fixture"), fixture};
        }
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(app, arguments);
        if (!process.waitForStarted()) {
            return false;
        }
        if (m_preview) {
            QTest::qWait(1000 * kTimeScale);
        } else if (!QTest::qWaitFor([this] { return !loggedCommands(log).isEmpty(); }, 10000 * kTimeScale)) {
            return false;
        }
        QTest::qWait(300);
        return process.state() == QProcess::Running;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess process;
    TestBundle m_bundle;
    QTemporaryDir m_dir;
    bool m_preview;
    const QString events = m_dir.filePath(QStringLiteral("events"));
    const QString log = m_dir.filePath(QStringLiteral("commands.log"));
};

} // namespace

Q_DECLARE_METATYPE(InstanceChannel::AskResult)
Q_DECLARE_METATYPE(HostQuit)

class LaunchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Preview data (named on the command line, or by the bundle when the flag has no path) instead of a host; started
    // at login, the app waits in the tray, unless there is no tray to find it in. The tray menu shows the window.
    void launch_data() {
        columns<QStringList, bool, bool, bool, bool>({"arguments", "bundleFixture", "tray", "preview", "windowShown"});
        const QString fixture = TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json"));
        dataRow("fixture path given", QStringList{"--status-fixture", fixture}, false, true, true, true);
        dataRow("flag as the last argument", QStringList{"--status-fixture"}, false, true, false, true);
        dataRow("flag last, bundle names a fixture", QStringList{"--status-fixture"}, true, true, true, true);
        dataRow("no flag", QStringList{}, false, true, false, true);
        dataRow("at login, with a tray", QStringList{"--autostart", "--status-fixture", fixture}, false, true, true,
                false);
        dataRow("at login, no tray", QStringList{"--autostart", "--status-fixture", fixture}, false, false, true, true);
    }

    void launch() {
        const auto [arguments, bundleFixture, tray, preview, windowShown] = fetch<QStringList, bool, bool, bool, bool>(
            {"arguments", "bundleFixture", "tray", "preview", "windowShown"});
        TestBundle bundle;
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->tray = tray;
        harness.fake->bundleDir = bundle.path();
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.launch-test.") + QTest::currentDataTag());
        if (bundleFixture) {
            harness.fake->bundleInfo.insert(QStringLiteral("VODUPreviewFixturePath"),
                                            TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json")));
        }
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching(QStringList{QStringLiteral("vodu-status")} + arguments);
        QCOMPARE(app.linkState().fixtureMode, preview);
        QTRY_COMPARE(app.linkState().hostProcessAlive && app.linkState().connected, !preview);
        QCOMPARE(app.window()->isVisible(), windowShown);
        QCOMPARE(app.activationPolicy(),
                 windowShown ? AppDelegate::ActivationPolicy::regular : AppDelegate::ActivationPolicy::accessory);
        view<QAction>(app, "menuShowWindow")->trigger();
        QVERIFY(app.window()->isVisible());
    }

    // The service is started before the window is built; once the window is there it asks for one snapshot and
    // shows it.
    void aLaunchAsksForOneSnapshotAndShowsIt() {
        TestBundle bundle;
        QTemporaryDir logs;
        const QString log = logs.filePath(QStringLiteral("commands.log"));
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QVERIFY(app.linkState().hostProcessAlive);
        QTRY_VERIFY(app.linkState().lastStatusReceivedAt.has_value());
        QTest::qWait(200); // a second request would have arrived by now
        const QList<QJsonObject> commands = loggedCommands(log);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.first().value(u"action").toString(), QStringLiteral("refresh"));
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Online"));
    }

    // A host that cannot start, or whose files are missing, is said on screen with the action to start it again, and
    // the installer's error stays beside it.
    void hostThatCannotStart_data() {
        columns<QString, QString>({"remove", "detail"});
        dataRow("launcher missing", "MacOS/vodu", "Could not start service");
        dataRow("runtime missing", "Resources/runtime/bin/node", "Service files are missing");
        dataRow("script missing", "Resources/cli/src/desktop-host.js", "Service files are missing");
    }

    void hostThatCannotStart() {
        const auto [remove, detail] = fetch<QString, QString>({"remove", "detail"});
        TestBundle bundle;
        QVERIFY(QFile::remove(bundle.path() + QStringLiteral("/Contents/") + remove));
        auto platform = std::make_unique<FakePlatform>();
        platform->bundleDir = bundle.path();
        platform->environment.insert(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"),
                                     QStringLiteral("Could not start the app update helper"));
        AppDelegate app(std::move(platform));
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QTest::qWait(300); // anything still on its way arrives
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), detail);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->action()->text(), QStringLiteral("Start service"));
        QVERIFY(!app.linkState().hostProcessAlive);
        QVERIFY(view<QLabel>(app, "updateLabel")->text().endsWith(u"\nCould not start the app update helper"));
        QVERIFY(view<QPushButton>(app, "updateButton")->isEnabled());
    }

    // The hand-over's name comes from the bundle, or from the process when there is none (then nothing is asked).
    void showWindowNotificationName() {
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        QCOMPARE(harness.app().showWindowNotification(), QStringLiteral("com.zuzi.vodu.cli.test.showWindow"));
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"), QString());
        QCOMPARE(harness.app().showWindowNotification(), QStringLiteral("com.zuzi.vodu.unbundled.4242.showWindow"));
        QVERIFY(!harness.app().activateExistingInstance());
    }

    void peerFilter_data() {
        columns<qint64, bool, QString, bool>({"pid", "exists", "executable", "activatable"});
        dataRow("the app", qint64(200), true, "vodu-status", true);
        dataRow("the launcher", qint64(200), true, "vodu", true);
        dataRow("another executable", qint64(200), true, "vodu-helper", false);
        dataRow("unknown executable", qint64(200), true, "", false);
        dataRow("ourselves", qint64(100), true, "vodu", false);
        dataRow("gone", qint64(200), false, "vodu", false);
        dataRow("no pid", qint64(0), true, "vodu", false);
    }

    void peerFilter() {
        const auto [pid, exists, executable, activatable] =
            fetch<qint64, bool, QString, bool>({"pid", "exists", "executable", "activatable"});
        QCOMPARE(InstanceChannel::isActivatablePeer({pid, executable}, 100, exists), activatable);
    }

    // A launch asks the running instance to show its window, and carries on alone when there is none to ask.
    void aLaunchAsksTheRunningInstance_data() {
        // listener: its executable; empty: none; leftover: a crashed instance left a file at the socket's path
        columns<QString, bool, InstanceChannel::AskResult>({"listener", "leftover", "result"});
        using enum InstanceChannel::AskResult;
        dataRow("the app listens", "vodu-status", false, activated);
        dataRow("a socket left by a crash is replaced", "vodu", true, activated);
        dataRow("another executable listens", "python3", false, noPeer);
        dataRow("nobody listens", "", false, noPeer);
    }

    void aLaunchAsksTheRunningInstance() {
        const auto [listener, leftover, result] =
            fetch<QString, bool, InstanceChannel::AskResult>({"listener", "leftover", "result"});
        const QString name = uniqueName();
        QVERIFY(!leftover || writeFile(*InstanceChannel::socketName(name), {}));
        int shown = 0;
        std::unique_ptr<QLocalServer> server;
        if (!listener.isEmpty()) {
            server = listen(name, shown, listener);
            QVERIFY(server);
        }
        QCOMPARE(ask(name), result);
        QCOMPARE(shown, result == InstanceChannel::AskResult::activated ? 1 : 0);
    }

    void socketFolder_data() {
        // squat: what is at <tmp>/vodu-<uid> before the app starts
        columns<QString, bool>({"squat", "usable"});
        dataRow("nothing: created private", "", true);
        dataRow("our own private folder", "private", true);
        dataRow("a folder open to others", "open", false);
        dataRow("a link to another folder", "link", false);
        dataRow("a plain file", "file", false);
    }

    void socketFolder() {
        const auto [squat, usable] = fetch<QString, bool>({"squat", "usable"});
        QTemporaryDir temporary;
        const QString folder = temporary.path() + QStringLiteral("/vodu-") + QString::number(::getuid());
        const QByteArray encoded = QFile::encodeName(folder);
        if (squat == u"private" || squat == u"open") {
            QVERIFY(::mkdir(encoded.constData(), 0700) == 0);
            QVERIFY(::chmod(encoded.constData(), squat == u"open" ? 0777 : 0700) == 0);
        } else if (squat == u"link") {
            QVERIFY(QDir(temporary.path()).mkdir(QStringLiteral("elsewhere")));
            QVERIFY(QFile::link(temporary.path() + QStringLiteral("/elsewhere"), folder));
        } else if (squat == u"file") {
            QVERIFY(writeFile(folder, {}));
        }
        QCOMPARE(InstanceChannel::socketPath(QStringLiteral("n"), QString(), temporary.path()),
                 usable ? std::optional(folder + QStringLiteral("/n")) : std::nullopt);
        struct stat status {};
        QVERIFY(!usable || (::lstat(encoded.constData(), &status) == 0 && (status.st_mode & 0777) == 0700));
        QCOMPARE(InstanceChannel::socketPath(QStringLiteral("n"), temporary.path(), QStringLiteral("/tmp")),
                 std::optional<QString>(temporary.path() + QStringLiteral("/n")));
    }

    // A second instance that found no peer (busy, or out of descriptors) must not take the first one's name away.
    // A connection that says nothing, or too much, is dropped (at once when too much) and the listener serves on.
    void connectionsCannotHoldOrFloodTheListener_data() {
        columns<QByteArray>({"sent"});
        dataRow("silent", QByteArray());
        dataRow("endless line", QByteArray(1 << 20, 'x'));
        dataRow("long request line", QByteArray(8192, 'x') + '\n');
    }

    void connectionsCannotHoldOrFloodTheListener() {
        const auto [sent] = fetch<QByteArray>({"sent"});
        const QString name = uniqueName();
        int shown = 0;
        const auto server = listen(name, shown);
        QLocalSocket client;
        client.connectToServer(*InstanceChannel::socketName(name));
        QVERIFY(client.waitForConnected(1000) && client.write(sent) == sent.size());
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState,
                                  InstanceChannel::kIdleConnectionMs + 1000);
        QVERIFY2(sent.isEmpty() || clock.elapsed() < InstanceChannel::kIdleConnectionMs,
                 "oversized requests end at once");
        QCOMPARE(shown, 0);
        QCOMPARE(ask(name), InstanceChannel::AskResult::activated);
    }

    void liveListenerKeepsItsSocket() {
        const QString name = uniqueName();
        int shown = 0;
        const auto first = listen(name, shown);
        QVERIFY(first);
        int unused = 0;
        QVERIFY(!listen(name, unused));
        QCOMPARE(ask(name), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }

    // A launch while the running instance quits waits for it to be gone instead of starting beside its host.
    void launchWaitsForAnInstanceThatIsLeaving() {
        QProcess leaving;
        leaving.start(QStringLiteral("sleep"), {QStringLiteral("0.5")});
        QVERIFY(leaving.waitForStarted());
        const QString name = uniqueName();
        std::unique_ptr<QLocalServer> server(InstanceChannel::listen(
            name, leaving.processId(), QStringLiteral("vodu-status"), nullptr, [] { return false; }));
        QVERIFY(server);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ask(name, ::getpid()), InstanceChannel::AskResult::noPeer);
        QVERIFY(clock.elapsed() >= 300);
    }
};

VODU_TEST_SUITE(LaunchTest)

class QuitTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Once the host accepts, closing the windows (as Qt does on quit) is part of quitting: no second "quit", no
    // refused close. The app waits a while for the host's clean-up in its event loop (so a second launch could still
    // ask it), then leaves it running: never killed.
    void acceptedQuitEndsTheApp_data() {
        // cleanupMs: -1: the scripted host's own
        columns<bool, HostQuit, int>({"tray", "host", "cleanupMs"});
        dataRow("no tray, host leaves after answering", false, HostQuit::exitsAfterAnswer, -1);
        dataRow("tray, host leaves at the end of its input", true, HostQuit::staysUntilEndOfInput, -1);
        dataRow("clean-up longer than the wait", false, HostQuit::staysUntilEndOfInput, 2500);
    }

    void acceptedQuitEndsTheApp() {
        const auto [tray, host, cleanupMs] = fetch<bool, HostQuit, int>({"tray", "host", "cleanupMs"});
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        Harness harness;
        harness.fake->tray = tray;
        scriptHost(harness.fake->environment, host, 0, events);
        if (cleanupMs >= 0) {
            harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_CLEANUP_MS"), QString::number(cleanupMs));
        }
        ScriptedHost scripted(harness);
        QVERIFY(scripted.ready());
        AppDelegate& app = harness.app();
        app.showWindow();

        app.requestQuit();
        QTRY_COMPARE(harness.fake->terminations, 1);
        QVERIFY(app.window()->close());
        app.requestQuit(); // Ctrl+Q again while leaving
        QTest::qWait(50);
        QCOMPARE(scripted.actions(), QStringList{QStringLiteral("quit")});
        QCOMPARE(harness.fake->terminations, 1);
        QVERIFY(!app.window()->isVisible());
        const QStringList cleanedUp{QStringLiteral("eof"), QStringLiteral("cleaned-up")};
        if (cleanupMs > 0) {
            harness.controller.reset(); // what the app does after its event loop ends
            QCOMPARE(fileLines(events), QStringList{QStringLiteral("eof")});
            QTRY_COMPARE(fileLines(events), cleanedUp);
        } else if (host == HostQuit::staysUntilEndOfInput) {
            QCOMPARE(fileLines(events), cleanedUp);
        }
    }

    // A second Quit while the first waits on the host offers "Quit anyway" once the first has waited 5 s, whatever
    // heartbeats say.
    void unansweredQuit() {
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        Harness harness;
        scriptHost(harness.fake->environment, HostQuit::neverAnswers, 0, events);
        ScriptedHost host(harness, QStringLiteral("recording"), {}, QStringLiteral("quit"));
        QVERIFY(host.ready());
        AppDelegate& app = harness.app();
        app.requestQuit();
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        QVERIFY(app.linkState().quitInFlight);
        harness.fake->clock = harness.fake->clock.addSecs(2);
        app.requestQuit(); // too soon to offer more; nothing is sent again
        QVERIFY(harness.fake->alerts.isEmpty());

        harness.fake->clock = harness.fake->clock.addSecs(4);
        QVERIFY(host.feed(R"({"type":"status","status":{"sampledAt":"2026-12-06T09:00:05Z"}})")); // fresh
        QTRY_COMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
        harness.fake->alertAnswers = {AlertAnswer{1, {}}};
        app.requestQuit();
        QCOMPARE(harness.fake->alerts.size(), 1);
        QCOMPARE(harness.fake->alerts.first().buttons.value(1), QStringLiteral("Quit anyway"));
        QTRY_COMPARE(harness.fake->terminations, 1);
        QVERIFY(fileLines(events).contains(QStringLiteral("eof")));
        QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")}); // no second quit is sent
    }

    // A refusal is not replaced by the next heartbeat: it stays 10 s.
    void quitRefusalStaysInTheFooterForAWhile() {
        Harness harness;
        ScriptedHost host(harness, QStringLiteral("recording"), QStringLiteral("quit"));
        QVERIFY(host.ready());
        AppDelegate& app = harness.app();
        app.requestQuit();
        QTRY_VERIFY(!app.linkState().quitInFlight);
        QCOMPARE(app.context().feedback.footerText(), QStringLiteral("quit refused"));

        const QByteArray heartbeat = R"({"type":"status","status":{"sampledAt":"2026-12-06T09:00:00Z"}})";
        for (const int seconds : {9, 2}) {
            harness.fake->clock = harness.fake->clock.addSecs(seconds);
            QVERIFY(host.feed(heartbeat));
            QTRY_COMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
            QCOMPARE(app.context().feedback.footerText() == u"quit refused", seconds == 9); // held for 10 s
        }
    }

    // The real app under a real signal: gone within 5 s of it in the slowest states, the host never killed.
    void signalEndsTheApp_data() {
        columns<int, HostQuit, bool>({"quitSignal", "host", "preview"});
        dataRow("SIGTERM, host never answers, 2 tasks", SIGTERM, HostQuit::neverAnswers, false);
        dataRow("SIGINT, host leaves at EOF, 2 tasks", SIGINT, HostQuit::staysUntilEndOfInput, false);
        dataRow("SIGHUP, host refuses, 2 tasks", SIGHUP, HostQuit::refuses, false);
        dataRow("SIGTERM, preview with 2 running tasks", SIGTERM, HostQuit::exitsAfterAnswer, true);
    }

    void signalEndsTheApp() {
        const auto [quitSignal, host, preview] = fetch<int, HostQuit, bool>({"quitSignal", "host", "preview"});
        AppProcess app(host, preview);
        QVERIFY(app.start());

        const auto pid = static_cast<pid_t>(app.process.processId());
        QElapsedTimer clock;
        clock.start();
        ::kill(pid, quitSignal);
        QTest::qWait(100);
        if (app.process.state() == QProcess::Running) {
            ::kill(pid, quitSignal); // a repeated signal starts nothing new
        }
        QVERIFY2(app.process.state() == QProcess::NotRunning || app.process.waitForFinished(kExitBoundMs),
                 "still running 5 s after the signal");
        QVERIFY(clock.elapsed() < kExitBoundMs);
        QCOMPARE(app.process.exitStatus(), QProcess::NormalExit);
        if (!preview) {
            // One "quit", not forced though tasks run, and no one asked: the system asks, not a person.
            const QList<QJsonObject> sent = loggedCommands(app.log).mid(1);
            QCOMPARE(sent.size(), 1);
            QCOMPARE(sent.first().value(u"action").toString(), QStringLiteral("quit"));
            QVERIFY(!sent.first().contains(u"force"));
            QTRY_VERIFY(fileLines(app.events).contains(QStringLiteral("eof")));
        }
    }

    // The X server goes away under the app: it ends without a crash, and the host sees the end of its input.
    void displayLossEndsTheAppCleanly() {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        QVERIFY2(!server.isEmpty(), "Xvfb is needed for a display to lose");
        QProcess display;
        display.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        display.start(server, QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp").split(u' '));
        QVERIFY(display.waitForReadyRead(10000));
        const QByteArray number = display.readLine().trimmed();
        QVERIFY(!number.isEmpty());

        AppProcess app(HostQuit::staysUntilEndOfInput, false);
        app.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        app.environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(number));
        QVERIFY(app.start());
        display.kill();
        display.waitForFinished();
        QVERIFY(app.process.state() == QProcess::NotRunning || app.process.waitForFinished(kExitBoundMs));
        QCOMPARE(app.process.exitStatus(), QProcess::NormalExit);
        QTRY_VERIFY(fileLines(app.events).contains(QStringLiteral("eof")));
    }
};

VODU_TEST_SUITE(QuitTest)
#include "LifecycleTest.moc"
