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
