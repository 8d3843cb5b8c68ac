#include "app/InstanceChannel.h"
#include "TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
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

// The kernel hands out the lowest free number, and the limit bounds numbers, not counts: a limit at the lowest free
// number leaves no descriptor even when higher ones are open.
int lowestFreeDescriptor() {
    const int probe = ::dup(0);
    ::close(probe);
    return probe;
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
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu-status"), nullptr, [&shown] {
                ++shown;
                return true;
            }));
        QVERIFY(server);
        // The asking process is another one: its own pid differs from the listener's.
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }

    void instanceOfAnotherExecutableIsNotConsidered() {
        const QString name = uniqueName();
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("python3"), nullptr, [&shown] {
                ++shown;
                return true;
            }));
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::noPeer);
        QCOMPARE(shown, 0);
    }

    void noInstanceMeansCarryOn() {
        QCOMPARE(InstanceChannel::askToShowWindow(uniqueName(), ::getpid()), InstanceChannel::AskResult::noPeer);
    }

    void socketFolderWithoutARuntimeFolder_data() {
        QTest::addColumn<QString>("squat"); // what is at <tmp>/vodu-<uid> before the app starts
        QTest::addColumn<bool>("usable");
        QTest::newRow("nothing: created private") << "" << true;
        QTest::newRow("our own private folder") << "private" << true;
        QTest::newRow("a folder open to others") << "open" << false;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("a plain file") << "file" << false;
    }

    void socketFolderWithoutARuntimeFolder() {
        QFETCH(QString, squat);
        QFETCH(bool, usable);
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QString folder = temporary.path() + QStringLiteral("/vodu-") + QString::number(::getuid());
        const QByteArray encoded = QFile::encodeName(folder);
        if (squat == u"private" || squat == u"open") {
            QVERIFY(::mkdir(encoded.constData(), 0700) == 0);
            QVERIFY(::chmod(encoded.constData(), squat == u"open" ? 0777 : 0700) == 0);
        } else if (squat == u"link") {
            QVERIFY(QDir(temporary.path()).mkdir(QStringLiteral("elsewhere")));
            QVERIFY(QFile::link(temporary.path() + QStringLiteral("/elsewhere"), folder));
        } else if (squat == u"file") {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::optional<QString> path =
            InstanceChannel::socketPath(QStringLiteral("com.zuzi.vodu.cli.showWindow"), QString(), temporary.path());
        QCOMPARE(path.has_value(), usable);
        if (usable) {
            QCOMPARE(*path, folder + QStringLiteral("/com.zuzi.vodu.cli.showWindow"));
            struct stat status {};
            QVERIFY(::lstat(encoded.constData(), &status) == 0);
            QCOMPARE(status.st_mode & 0777, 0700u);
        }
    }

    void runtimeFolderIsUsedWhenSet() {
        QTemporaryDir runtime;
        QCOMPARE(InstanceChannel::socketPath(QStringLiteral("n"), runtime.path(), QStringLiteral("/tmp")),
                 std::optional<QString>(runtime.path() + QStringLiteral("/n")));
    }

    void liveListenerKeepsItsSocket_data() {
        QTest::addColumn<bool>("outOfDescriptors");
        QTest::newRow("second listener") << false;
        QTest::newRow("second listener without descriptors") << true;
    }

    // A second instance that found no peer (busy, or unable to connect) must not take the first one's name away.
    void liveListenerKeepsItsSocket() {
        QFETCH(bool, outOfDescriptors);
        const QString name = uniqueName();
        int shown = 0;
        std::unique_ptr<QLocalServer> first(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu-status"), nullptr, [&shown] {
                ++shown;
                return true;
            }));
        QVERIFY(first);
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        if (outOfDescriptors) {
            rlimit tight = saved;
            tight.rlim_cur = static_cast<rlim_t>(lowestFreeDescriptor());
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        }
        std::unique_ptr<QLocalServer> second(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu-status"), nullptr, [] { return true; }));
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QVERIFY(!second);
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }

    void connectionsCannotHoldOrFloodTheListener_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("silent") << QByteArray();
        QTest::newRow("endless line") << QByteArray(1 << 20, 'x');
        QTest::newRow("long request line") << QByteArray(8192, 'x') + '\n';
    }

    void connectionsCannotHoldOrFloodTheListener() {
        QFETCH(QByteArray, sent);
        const QString name = uniqueName();
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu"), nullptr, [&shown] {
                ++shown;
                return true;
            }));
        QVERIFY(server);
        QLocalSocket client;
        client.connectToServer(*InstanceChannel::socketName(name));
        QVERIFY(client.waitForConnected(1000));
        client.write(sent);
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState,
                                  InstanceChannel::kIdleConnectionMs + 1000);
        if (!sent.isEmpty()) {
            QVERIFY2(clock.elapsed() < InstanceChannel::kIdleConnectionMs, "an oversized request is cut at once");
        }
        QCOMPARE(shown, 0);
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
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
        QCOMPARE(askFromAnotherThread(name, ::getpid()), InstanceChannel::AskResult::noPeer);
        QVERIFY(clock.elapsed() >= 300);
    }

    void socketLeftByACrashIsReplaced() {
        const QString name = uniqueName();
        const QString path = *InstanceChannel::socketName(name);
        {
            QFile leftover(path);
            QVERIFY(leftover.open(QIODevice::WriteOnly));
        }
        int shown = 0;
        std::unique_ptr<QLocalServer> server(
            InstanceChannel::listen(name, ::getpid(), QStringLiteral("vodu"), nullptr, [&shown] {
                ++shown;
                return true;
            }));
        QVERIFY(server);
        QCOMPARE(askFromAnotherThread(name, ::getpid() + 100000), InstanceChannel::AskResult::activated);
        QCOMPARE(shown, 1);
    }
};

VODU_TEST_SUITE(InstanceChannelTest)
#include "InstanceChannelTest.moc"
