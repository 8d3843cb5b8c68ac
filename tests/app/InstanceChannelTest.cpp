#include "app/InstanceChannel.h"
#include "TestRegistry.h"

#include <QFile>
#include <QLocalServer>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <future>
#include <unistd.h>

namespace {

QString uniqueName() {
    return QStringLiteral("vodu-test-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".showWindow");
}

// The asking side blocks, so it runs on its own thread while this thread's event loop serves the listener.
InstanceChannel::AskResult askFromAnotherThread(const QString& name, qint64 ownPid) {
    auto answer =
        std::async(std::launch::async, [name, ownPid] { return InstanceChannel::askToShowWindow(name, ownPid); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QTest::qWait(5);
    }
    return answer.get();
}

} // namespace

class InstanceChannelTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void peerFilter_data() {
        QTest::addColumn<qint64>("pid");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("activatable");
        QTest::newRow("the app") << qint64(200) << true << "vodu-status" << true;
        QTest::newRow("the launcher") << qint64(200) << true << "vodu" << true;
        QTest::newRow("another executable") << qint64(200) << true << "vodu-helper" << false;
        QTest::newRow("unknown executable") << qint64(200) << true << "" << false;
        QTest::newRow("ourselves") << qint64(100) << true << "vodu" << false;
        QTest::newRow("gone") << qint64(200) << false << "vodu" << false;
        QTest::newRow("no pid") << qint64(0) << true << "vodu" << false;
    }

    void peerFilter() {
        QFETCH(qint64, pid);
        QFETCH(bool, exists);
        QFETCH(QString, executable);
        QFETCH(bool, activatable);
        QCOMPARE(InstanceChannel::isActivatablePeer({pid, executable}, 100, exists), activatable);
    }

    void runningInstanceIsAskedToShowItsWindow() {
        const QString name = uniqueName();
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu-status"), nullptr, [&shown] { ++shown; }));
        QVERIFY(server);
        // The asking process is another one: its own pid differs from the listener's.
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }

    void instanceOfAnotherExecutableIsNotConsidered() {
        const QString name = uniqueName();
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("python3"), nullptr, [&shown] { ++shown; }));
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::noPeer);
        QCOMPARE(shown, 0);
    }

    void noInstanceMeansCarryOn() {
        QCOMPARE(InstanceChannel::askToShowWindow(uniqueName(), ::getpid()), InstanceChannel::AskResult::noPeer);
    }

    void socketLeftByACrashIsReplaced() {
        const QString name = uniqueName();
        const QString path = InstanceChannel::socketName(name);
        {
            QFile leftover(path);
            QVERIFY(leftover.open(QIODevice::WriteOnly));
        }
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu"), nullptr, [&shown] { ++shown; }));
        QVERIFY(server);
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }
};

VODU_TEST_SUITE(InstanceChannelTest)
#include "InstanceChannelTest.moc"
