#include "InstallationHome.h"
#include "update/InstallProcess.h"

#include <QElapsedTimer>

#include <atomic>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0;
}

// Runs the launch on a thread of its own: a launch that blocks fails the test instead of hanging it.
std::optional<bool> launchWithin(const QString& bundle, const QProcessEnvironment& environment, int milliseconds) {
    auto outcome = std::make_shared<std::atomic<int>>(-1);
    std::thread([outcome, bundle, environment] {
        *outcome = launchInstallProcess(bundle, environment, 999999) ? 1 : 0;
    }).detach();
    QElapsedTimer clock;
    clock.start();
    while (*outcome < 0 && clock.elapsed() < milliseconds) {
        QTest::qWait(10);
    }
    return *outcome < 0 ? std::nullopt : std::optional<bool>(*outcome == 1);
}

} // namespace

class InstallLogTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void logIsPrivate_data() {
        QTest::addColumn<QString>("planted"); // what is at the log's or the folder's place beforehand
        QTest::addColumn<bool>("logged");     // the launcher's errors reach the log
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("an earlier log") << "log" << true;
        QTest::newRow("an open installer folder") << "open folder" << true;
        QTest::newRow("a link at the log") << "log link" << false;
        QTest::newRow("a FIFO at the log") << "fifo" << false;
        QTest::newRow("a link at the installer folder") << "folder link" << false;
    }

    void logIsPrivate() {
        QFETCH(QString, planted);
        QFETCH(bool, logged);
        InstallationHome home;
        QTemporaryDir bundle;
        QVERIFY(writeFile(bundle.path() + "/Contents/MacOS/vodu", "#!/bin/sh\necho launcher-ran >&2\n", true));
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + "/target.log";
        QVERIFY(writeFile(target, ""));
        const QString folder = installerDirectory(home.environment());
        const QString log = installLogPath(home.environment());
        QDir(folder).removeRecursively();
        if (planted == u"folder link") {
            QVERIFY(QFile::link(elsewhere.path(), folder));
        } else {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), planted == u"open folder" ? 0777 : 0700) == 0);
        }
        if (planted == u"log") {
            QVERIFY(writeFile(log, "earlier\n"));
            QVERIFY(QFile::setPermissions(log, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        } else if (planted == u"log link") {
            QVERIFY(QFile::link(target, log));
        } else if (planted == u"fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
        }

        QCOMPARE(launchWithin(bundle.path(), home.environment(), 5000), std::optional<bool>(true));
        if (logged) {
            QTRY_VERIFY(fileLines(log).contains("launcher-ran"));
            QCOMPARE(modeOf(log), mode_t(0600));
            QCOMPARE(modeOf(folder), mode_t(0700));
        } else {
            QTest::qWait(300);
            QVERIFY(fileLines(target).isEmpty());
            QVERIFY(!QFileInfo::exists(elsewhere.path() + "/desktop-update.log"));
        }
    }
};

VODU_TEST_SUITE(InstallLogTest)
#include "InstallLogTest.moc"
