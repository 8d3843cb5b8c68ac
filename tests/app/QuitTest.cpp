#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "app/QuitSignals.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

namespace {

QStringList lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

} // namespace

class QuitTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanQuitLetsTheHostFinishItsCleanUp() {
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        Harness harness;
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_CLEANUP_MS"), QStringLiteral("300"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_EVENTS"), events);
        ScriptedHost host(harness);
        QVERIFY(host.ready());
        harness.app().requestQuit();
        QTRY_COMPARE(harness.fake->terminations, 1);
        QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        QVERIFY(harness.app().link().hostIsRunning()); // it answered and waits for the end of its input

        harness.controller.reset(); // what the app does after its event loop ends
        QCOMPARE(lines(events), (QStringList{QStringLiteral("eof"), QStringLiteral("cleaned-up")}));
    }

    void hostThatDoesNotFinishIsLeftRunningNotKilled() {
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        Harness harness;
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_CLEANUP_MS"), QStringLiteral("60000"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_EVENTS"), events);
        ScriptedHost host(harness);
        QVERIFY(host.ready());
        harness.app().link().setHostExitWait(300);
        const qint64 pid = harness.app().link().process()->processId();

        QElapsedTimer elapsed;
        elapsed.start();
        harness.controller.reset();
        QVERIFY(elapsed.elapsed() < 5000);
        QTRY_COMPARE(lines(events), QStringList{QStringLiteral("eof")});
        QCOMPARE(::kill(static_cast<pid_t>(pid), 0), 0); // still running its clean-up
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    void unansweredQuit_data() {
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("quits");
        QTest::newRow("status still fresh: ignored") << 10 << 1 << false << false;
        QTest::newRow("status stale, cancelled") << 16 << 0 << true << false;
        QTest::newRow("status stale, quit anyway") << 16 << 1 << true << true;
    }

    void unansweredQuit() {
        QFETCH(int, secondsLater);
        QFETCH(int, answer);
        QFETCH(bool, offered);
        QFETCH(bool, quits);
        QTemporaryDir dir;
        const QString events = dir.filePath(QStringLiteral("events"));
        Harness harness;
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_CLEANUP_MS"), QStringLiteral("0"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_EVENTS"), events);
        ScriptedHost host(harness, QStringLiteral("recording"), {}, QStringLiteral("quit"));
        QVERIFY(host.ready());
        AppDelegate& app = harness.app();
        app.requestQuit();
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        QVERIFY(app.linkState().quitInFlight);

        harness.fake->clock = harness.fake->clock.addSecs(secondsLater);
        harness.fake->alertAnswers = {AlertAnswer{answer, {}}};
        app.requestQuit();
        QCOMPARE(harness.fake->alerts.size(), offered ? 1 : 0);
        if (offered) {
            QCOMPARE(harness.fake->alerts.first().buttons.value(1), QStringLiteral("Quit anyway"));
        }
        QCOMPARE(harness.fake->terminations, quits ? 1 : 0);
        QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")}); // no second quit is sent
        if (quits) {
            QTRY_VERIFY(lines(events).contains(QStringLiteral("eof")));
        }
    }

    void quitRefusalStaysInTheFooterForAWhile() {
        Harness harness;
        ScriptedHost host(harness, QStringLiteral("recording"), QStringLiteral("quit"));
        QVERIFY(host.ready());
        AppDelegate& app = harness.app();
        app.requestQuit();
        QTRY_VERIFY(!app.linkState().quitInFlight);
        QCOMPARE(app.context().feedback.footerText(), QStringLiteral("quit refused"));

        const QByteArray heartbeat = R"({"type":"status","status":{"sampledAt":"2026-12-06T09:00:00Z"}})";
        harness.fake->clock = harness.fake->clock.addSecs(9);
        app.link().handleLine(heartbeat);
        QCOMPARE(app.context().feedback.footerText(), QStringLiteral("quit refused"));
        harness.fake->clock = harness.fake->clock.addSecs(2);
        app.link().handleLine(heartbeat);
        QVERIFY(app.context().feedback.footerText() != QStringLiteral("quit refused"));
    }

    void signalsBecomeAQuitRequest_data() {
        QTest::addColumn<int>("quitSignal");
        QTest::newRow("SIGTERM (logout)") << SIGTERM;
        QTest::newRow("SIGINT (Ctrl+C)") << SIGINT;
        QTest::newRow("SIGHUP (terminal closed)") << SIGHUP;
    }

    void signalsBecomeAQuitRequest() {
        QFETCH(int, quitSignal);
        int requests = 0;
        {
            const QuitSignals quitSignals([&requests] { ++requests; });
            QVERIFY(quitSignals.isActive());
            QCOMPARE(::raise(quitSignal), 0);
            QCOMPARE(requests, 0); // the handler only wakes the main loop
            QTRY_COMPARE(requests, 1);
            ::raise(quitSignal);
            ::raise(quitSignal);
            QTRY_VERIFY(requests >= 2);
        }
    }
};

VODU_TEST_SUITE(QuitTest)
#include "QuitTest.moc"
