#include "InstallationHome.h"
#include "update/InstallProcess.h"

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0;
}

} // namespace

// The install process's errors go to a private log of ours, or nowhere: never through what was planted in its place.
class InstallLogTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void logIsPrivate_data() {
        QTest::addColumn<QString>("planted"); // at the log's or the folder's place beforehand; folders left open
        QTest::addColumn<bool>("logged");
        QTest::newRow("no home yet") << "no home" << true;
        QTest::newRow("an earlier log, readable by others") << "log" << true;
        QTest::newRow("a link at the log") << "log link" << false;
        QTest::newRow("a FIFO at the log") << "fifo" << false;
        QTest::newRow("a link at the installer folder") << "folder link" << false;
    }

    void logIsPrivate() {
        QFETCH(QString, planted);
        QFETCH(bool, logged);
        QTemporaryDir scratch;
        const QString home = scratch.filePath(planted == u"no home" ? "a/home" : "home");
        const QString folder = home + "/installer";
        const QString log = folder + "/desktop-update.log";
        const QString elsewhere = scratch.filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere) && writeFile(elsewhere + "/target.log", ""));
        if (planted == u"folder link") {
            QVERIFY(QDir().mkpath(home) && QFile::link(elsewhere, folder));
        } else if (planted != u"no home") {
            QVERIFY(QDir().mkpath(folder) && QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        }
        if (planted == u"log") {
            QVERIFY(writeFile(log, "earlier\n") && QFile::setPermissions(log, QFileDevice::Permissions(0x6644)));
        } else if (planted == u"log link") {
            QVERIFY(QFile::link(elsewhere + "/target.log", log));
        } else if (planted == u"fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
        }
        QTemporaryDir bundle;
        QVERIFY(writeFile(bundle.path() + "/Contents/MacOS/vodu", "#!/bin/sh\necho launcher-ran >&2\n", true));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VODU_HOME", home);

        QVERIFY(launchInstallProcess(bundle.path(), environment, 999999));
        if (logged) {
            QTRY_VERIFY(fileLines(log).contains("launcher-ran"));
            QCOMPARE(modeOf(log), mode_t(0600));
            QCOMPARE(modeOf(folder), mode_t(0700));
            QVERIFY(planted != u"no home" || modeOf(scratch.filePath("a")) == 0700);
        } else {
            QTest::qWait(300);
            QVERIFY(readFile(elsewhere + "/target.log").isEmpty());
            QVERIFY(!QFileInfo::exists(elsewhere + "/desktop-update.log"));
        }
    }
};

VODU_TEST_SUITE(InstallLogTest)
#include "InstallLogTest.moc"
