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
    // What is at the log's or the folder's place beforehand (folders left open to all; an earlier log readable by
    // others): only a missing home or a plain earlier log is logged to.
    void logIsPrivate_data() {
        QTest::addColumn<QString>("planted");
        for (const char* planted : {"no home", "earlier log", "link at the log", "fifo at the log", "folder link"}) {
            QTest::newRow(planted) << QString::fromLatin1(planted);
        }
    }

    void logIsPrivate() {
        QFETCH(QString, planted);
        QTemporaryDir scratch;
        const QString home = scratch.filePath(planted == u"no home" ? "a/home" : "home");
        const QString folder = home + "/installer";
        const QString log = folder + "/desktop-update.log";
        const QString elsewhere = scratch.filePath("elsewhere");
        QVERIFY(writeFile(elsewhere + "/target.log", ""));
        if (planted == u"folder link") {
            QVERIFY(QDir().mkpath(home) && QFile::link(elsewhere, folder));
        } else if (planted != u"no home") {
            QVERIFY(QDir().mkpath(folder) && QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        }
        if (planted == u"earlier log") {
            QVERIFY(writeFile(log, "earlier\n") && QFile::setPermissions(log, QFileDevice::Permissions(0x6644)));
        }
        QVERIFY(planted != u"link at the log" || QFile::link(elsewhere + "/target.log", log));
        QVERIFY(planted != u"fifo at the log" || ::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
        QTemporaryDir bundle;
        QVERIFY(writeFile(bundle.path() + "/Contents/MacOS/vodu", "#!/bin/sh\necho launcher-ran >&2\n", true));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VODU_HOME", home);
        QVERIFY(launchInstallProcess(bundle.path(), environment, 999999));
        if (planted == u"no home" || planted == u"earlier log") {
            QTRY_VERIFY(fileLines(log).contains("launcher-ran"));
            QCOMPARE(QList<mode_t>({modeOf(log), modeOf(folder)}), QList<mode_t>({0600, 0700}));
            QVERIFY(planted != u"no home" || modeOf(scratch.filePath("a")) == 0700);
        } else {
            QTest::qWait(300);
            QVERIFY(readFile(elsewhere + "/target.log").isEmpty() &&
                    !QFileInfo::exists(elsewhere + "/desktop-update.log"));
        }
    }
};

VODU_TEST_SUITE(InstallLogTest)
#include "InstallLogTest.moc"
