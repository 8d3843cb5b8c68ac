#include "InstallationHome.h"

#include <QProcess>
#include <QStandardPaths>

// The installer step, started through the launcher as the app starts it: it waits for the app's process to end,
// then starts the selected release.
class InstallerStepTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void step_data() {
        QTest::addColumn<QString>("pid"); // "app": a stand-in for the app; "release": the selected release itself
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a number") << "12x" << true << 2 << "needs the process id";
        QTest::newRow("init") << "1" << true << 2 << "needs the process id";
        QTest::newRow("no selected release") << "app" << false << 1 << "no selected app";
        QTest::newRow("the selected release starts") << "app" << true << 0 << "starting ";
        // Started plainly it would only hand over again: it starts with the failure shown instead.
        QTest::newRow("the release asked for itself") << "release" << true << 0 << "asked for its own update";
    }

    void step() {
        QFETCH(QString, pid);
        QFETCH(bool, selected);
        QFETCH(QString, message);
        const bool releaseAsks = pid == u"release";
        InstallationHome home;
        // The selected release notes how it was started: its path and the install error it was given.
        const QString release = makeBundle(home.releases() + "/1.3.0/VODU.app", "1.3.0", "com.zuzi.vodu.cli",
                                           "#!/bin/sh\nprintf '%s\\n' \"$0\" \"${VODU_DESKTOP_INSTALL_ERROR-none}\" "
                                           ">\"$VODU_HOME/p\"\nmv \"$VODU_HOME/p\" \"$VODU_HOME/started\"\n");
        const QString app = QFileInfo(release + "/Contents/MacOS/vodu-status").canonicalFilePath();
        QVERIFY(!selected || home.select(release));
        if (releaseAsks) {
            QVERIFY(QFile::remove(app) && QFile::copy(QStandardPaths::findExecutable("sleep"), app));
            QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        }
        QProcess standIn;
        if (pid == u"app" || pid == u"release") {
            standIn.start(pid == u"app" ? QStandardPaths::findExecutable("sleep") : app, {"120"});
            QVERIFY(standIn.waitForStarted());
            pid = QString::number(standIn.processId());
        }
        TestBundle bundle(QString{});
        QProcess step;
        step.setProcessEnvironment(home.environment());
        step.start(bundle.path() + "/Contents/MacOS/vodu", {"--install-selected-desktop", pid});
        QByteArray errors;
        if (standIn.state() == QProcess::Running) {
            QTRY_VERIFY((errors += step.readAllStandardError()).contains("waiting for process " + pid.toUtf8()));
            QVERIFY(!QFileInfo::exists(home.path() + "/started")); // not while the app's process lives
            standIn.kill();
            QVERIFY(standIn.waitForFinished());
        }
        QVERIFY(step.waitForFinished(15000));
        QTEST(step.exitCode(), "exitCode");
        errors += step.readAllStandardError();
        QVERIFY2(errors.contains(message.toUtf8()), errors.constData());
        QVERIFY(step.exitCode() != 0 || errors.contains("starting " + app.toUtf8()));
        if (!releaseAsks && step.exitCode() == 0) {
            QTRY_COMPARE(fileLines(home.path() + "/started"), QStringList({app, "none"}));
        }
    }
};

VODU_TEST_SUITE(InstallerStepTest)
#include "InstallerStepTest.moc"
