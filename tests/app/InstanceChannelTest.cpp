#include "app/InstanceChannel.h"
#include "TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

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

// A listener of this process, counting the windows it was asked to show.
std::unique_ptr<QLocalServer> listen(const QString& name, int& shown, const QString& executable = "vodu-status") {
    return std::unique_ptr<QLocalServer>(InstanceChannel::listen(name, ::getpid(), executable, nullptr, [&shown] {
        ++shown;
        return true;
    }));
}

} // namespace

Q_DECLARE_METATYPE(InstanceChannel::AskResult)

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

    // A launch asks the running instance to show its window, and carries on alone when there is none to ask.
    void aLaunchAsksTheRunningInstance_data() {
        QTest::addColumn<QString>("listener"); // its executable; empty: none
        QTest::addColumn<bool>("leftover");    // a crashed instance left a file at the socket's path
        QTest::addColumn<InstanceChannel::AskResult>("result");
        using enum InstanceChannel::AskResult;
        QTest::newRow("the app listens") << "vodu-status" << false << activated;
        QTest::newRow("a socket left by a crash is replaced") << "vodu" << true << activated;
        QTest::newRow("another executable listens") << "python3" << false << noPeer;
        QTest::newRow("nobody listens") << "" << false << noPeer;
    }

    void aLaunchAsksTheRunningInstance() {
        QFETCH(QString, listener);
        QFETCH(bool, leftover);
        QFETCH(InstanceChannel::AskResult, result);
        const QString name = uniqueName();
        if (leftover) {
            QFile file(*InstanceChannel::socketName(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
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
        QTest::addColumn<QString>("squat"); // what is at <tmp>/vodu-<uid> before the app starts
        QTest::addColumn<bool>("usable");
        QTest::newRow("nothing: created private") << "" << true;
        QTest::newRow("our own private folder") << "private" << true;
        QTest::newRow("a folder open to others") << "open" << false;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("a plain file") << "file" << false;
    }

    void socketFolder() {
        QFETCH(QString, squat);
        QFETCH(bool, usable);
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
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::optional<QString> path =
            InstanceChannel::socketPath(QStringLiteral("n"), QString(), temporary.path());
        QCOMPARE(path, usable ? std::optional(folder + QStringLiteral("/n")) : std::nullopt);
        struct stat status {};
        QVERIFY(!usable || (::lstat(encoded.constData(), &status) == 0 && (status.st_mode & 0777) == 0700));
        // The user's runtime folder, when set, is used as it is.
        QCOMPARE(InstanceChannel::socketPath(QStringLiteral("n"), temporary.path(), QStringLiteral("/tmp")),
                 std::optional<QString>(temporary.path() + QStringLiteral("/n")));
    }

    // A second instance that found no peer (busy, or out of descriptors) must not take the first one's name away.
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

VODU_TEST_SUITE(InstanceChannelTest)
#include "InstanceChannelTest.moc"
