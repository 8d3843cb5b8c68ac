#include "InstallationHome.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// The launcher's installer step, waiting for `pid`.
void startStep(QProcess& step, const InstallationHome& home, const QString& pid) {
    step.setProcessEnvironment(home.environment());
    step.start("/bin/sh",
               {TestBundle::sourcePath("packaging/install-selected-desktop.sh"), "--install-selected-desktop", pid});
}

} // namespace

class InstallerStepTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The whole restart with a real installation home and the real launcher: the app quits the service, starts
    // the installer step and exits; once the app's process is gone the step starts the selected release.
    void restartHandsOverToTheSelectedRelease() {
        InstallationHome home;
        TestRelease release; // notes how it was started: its path and the install error it was given
        release.statusScript = "#!/bin/sh\n"
                               "printf '%s\\n' \"$0\" \"${VODU_DESKTOP_INSTALL_ERROR-none}\" >\"$VODU_HOME/part\"\n"
                               "mv \"$VODU_HOME/part\" \"$VODU_HOME/started\"\n";
        const QString selected = home.addRelease("1.3.0", release);
        QVERIFY(home.select(selected));
        const QString marker = home.path() + "/started";
        TestBundle bundle; // the real launcher, and a host that ends after accepting "quit"
        QVERIFY(bundle.isValid());
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert("VODU_HOME", home.path());
        QProcess appProcess; // stands in for this app's process, which the step waits for
        appProcess.start("sleep", {"120"});
        QVERIFY(appProcess.waitForStarted());
        harness.fake->pid = appProcess.processId();

        app.startHost();
        QTRY_VERIFY(app.linkState().lastStatusReceivedAt.has_value());
        QVERIFY(app.update().updateNeedsRestart());
        view<QPushButton>(app, "updateButton")->click();
        QTRY_COMPARE(harness.fake->exitStatuses, QList<int>{0});
        QVERIFY(!app.link().process());
        QTRY_VERIFY(fileLines(home.log())
                        .value(0)
                        .endsWith(QStringLiteral("waiting for process %1 to exit").arg(harness.fake->pid)));
        QVERIFY(!QFileInfo::exists(marker)); // not while the app's process lives

        appProcess.kill();
        QVERIFY(appProcess.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 15000);
        QCOMPARE(fileLines(marker),
                 QStringList({QFileInfo(selected + "/Contents/MacOS/vodu-status").canonicalFilePath(), "none"}));
    }

    void startsNothing_data() {
        QTest::addColumn<QString>("pid");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString noPid = QStringLiteral("needs the process id");
        QTest::newRow("not a number") << QStringLiteral("12x") << 2 << noPid;
        QTest::newRow("init") << QStringLiteral("1") << 2 << noPid;
        QTest::newRow("no selected release") << QStringLiteral("999999999") << 1 << QStringLiteral("no selected app");
    }

    void startsNothing() {
        QFETCH(QString, pid);
        QFETCH(QString, message);
        InstallationHome home;
        QProcess step;
        startStep(step, home, pid);
        QVERIFY(step.waitForFinished(60000));
        QTEST(step.exitCode(), "exitCode");
        QVERIFY(QString::fromUtf8(step.readAllStandardError()).contains(message));
    }

    // A selected release that asked for its own update is started with the failure shown, not in a loop.
    void selectedReleaseAskingForItselfIsStartedWithTheError() {
        InstallationHome home;
        const QString selected = home.addRelease("1.3.0");
        QVERIFY(home.select(selected));
        const QString app = selected + "/Contents/MacOS/vodu-status";
        QVERIFY(QFile::copy(QStandardPaths::findExecutable("sleep"), app));
        QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        QProcess asking;
        asking.start(app, {"120"});
        QVERIFY(asking.waitForStarted());

        QProcess step;
        startStep(step, home, QString::number(asking.processId()));
        QByteArray output;
        QTRY_VERIFY((output += step.readAllStandardError()).contains("waiting for process"));
        asking.kill();
        QVERIFY(asking.waitForFinished() && step.waitForFinished(15000));
        QCOMPARE(step.exitCode(), 0);
        const QString errors = QString::fromUtf8(output + step.readAllStandardError());
        QVERIFY(errors.contains("asked for its own update"));
        QVERIFY(errors.contains("starting " + QFileInfo(app).canonicalFilePath()));
    }
};

VODU_TEST_SUITE(InstallerStepTest)
#include "InstallerStepTest.moc"
