#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

// The app's own bound is 5 s; sanitized builds start, run and end several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kTimeScale = 4;
#else
constexpr int kTimeScale = 1;
#endif
constexpr int kExitBoundMs = 5000 * kTimeScale;

QStringList lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

// How the scripted host treats "quit".
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
            QFile file(fixture);
            if (!file.open(QIODevice::WriteOnly) || file.write(R"({"tasks":{"activeCount":2,"items":[]}})") < 0) {
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

private:
    TestBundle m_bundle;
    QTemporaryDir m_dir;
    bool m_preview;

public:
    const QString events = m_dir.filePath(QStringLiteral("events"));
    const QString log = m_dir.filePath(QStringLiteral("commands.log"));
};

} // namespace

Q_DECLARE_METATYPE(HostQuit)

class QuitTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Once the host accepts, closing the windows (as Qt does on quit) is part of quitting: no second "quit", no
    // refused close. The app waits a while for the host's clean-up in its event loop (so a second launch could still
    // ask it), then leaves it running: never killed.
    void acceptedQuitEndsTheApp_data() {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<HostQuit>("host");
        QTest::addColumn<int>("cleanupMs"); // -1: the scripted host's own
        QTest::newRow("no tray, host leaves after answering") << false << HostQuit::exitsAfterAnswer << -1;
        QTest::newRow("tray, host leaves at the end of its input") << true << HostQuit::staysUntilEndOfInput << -1;
        QTest::newRow("clean-up longer than the wait") << false << HostQuit::staysUntilEndOfInput << 2500;
    }

    void acceptedQuitEndsTheApp() {
        QFETCH(bool, tray);
        QFETCH(HostQuit, host);
        QFETCH(int, cleanupMs);
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
            QCOMPARE(lines(events), QStringList{QStringLiteral("eof")});
            QTRY_COMPARE(lines(events), cleanedUp);
        } else if (host == HostQuit::staysUntilEndOfInput) {
            QCOMPARE(lines(events), cleanedUp);
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

        harness.fake->clock = harness.fake->clock.addSecs(6);
        QVERIFY(host.feed(R"({"type":"status","status":{"sampledAt":"2026-12-06T09:00:05Z"}})")); // fresh
        QTRY_COMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
        harness.fake->alertAnswers = {AlertAnswer{1, {}}};
        app.requestQuit();
        QCOMPARE(harness.fake->alerts.size(), 1);
        QCOMPARE(harness.fake->alerts.first().buttons.value(1), QStringLiteral("Quit anyway"));
        QTRY_COMPARE(harness.fake->terminations, 1);
        QVERIFY(lines(events).contains(QStringLiteral("eof")));
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
        QTest::addColumn<int>("quitSignal");
        QTest::addColumn<HostQuit>("host");
        QTest::addColumn<bool>("preview");
        QTest::newRow("SIGTERM, host never answers, 2 tasks") << SIGTERM << HostQuit::neverAnswers << false;
        QTest::newRow("SIGINT, host leaves at EOF, 2 tasks") << SIGINT << HostQuit::staysUntilEndOfInput << false;
        QTest::newRow("SIGHUP, host refuses, 2 tasks") << SIGHUP << HostQuit::refuses << false;
        QTest::newRow("SIGTERM, preview with 2 running tasks") << SIGTERM << HostQuit::exitsAfterAnswer << true;
    }

    void signalEndsTheApp() {
        QFETCH(int, quitSignal);
        QFETCH(HostQuit, host);
        QFETCH(bool, preview);
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
            QTRY_VERIFY(lines(app.events).contains(QStringLiteral("eof")));
        }
    }

    // The X server goes away under the app: it ends without a crash, and the host sees the end of its input.
    void displayLossEndsTheAppCleanly() {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        QVERIFY2(!server.isEmpty(), "Xvfb is needed for a display to lose");
        QProcess display;
        display.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        display.start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
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
        QTRY_VERIFY(lines(app.events).contains(QStringLiteral("eof")));
    }
};

VODU_TEST_SUITE(QuitTest)
#include "QuitTest.moc"
