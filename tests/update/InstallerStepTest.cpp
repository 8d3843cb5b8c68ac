#include "Harness.h"
#include "InstallationHome.h"
#include "TestRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

// A release app that notes how it was started: its path and the install error it was given, if any.
const QByteArray kMarkerApp =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$0\" \"${VODU_DESKTOP_INSTALL_ERROR-none}\" >\"$VODU_HOME/started.part\"\n"
    "mv \"$VODU_HOME/started.part\" \"$VODU_HOME/started\"\n";

QString launcherSource() {
    return qEnvironmentVariable("VODU_SOURCE_DIR") + QStringLiteral("/packaging/vodu");
}

// Runs the launcher's installer step to its end; standard error is returned.
QString runInstallerStep(const InstallationHome& home, const QString& pid, int* exitCode) {
    QProcess step;
    step.setProcessEnvironment(home.environment());
    step.start(QStringLiteral("/bin/sh"), {launcherSource(), QStringLiteral("--install-selected-desktop"), pid});
    step.waitForFinished(60000);
    *exitCode = step.exitStatus() == QProcess::NormalExit ? step.exitCode() : -1;
    return QString::fromUtf8(step.readAllStandardError());
}

// The id of a process that has ended and been reaped.
QString endedProcessId() {
    QProcess done;
    done.start(QStringLiteral("true"), {});
    done.waitForStarted();
    const qint64 pid = done.processId();
    done.waitForFinished();
    return QString::number(pid);
}

} // namespace

class InstallerStepTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The whole restart with a real installation home and the real launcher: the app quits the service, starts
    // the installer step and exits; once the app's process is gone the step starts the selected release.
    void restartHandsOverToTheSelectedRelease() {
        InstallationHome home;
        InstallationHome::Release release;
        release.statusScript = QString::fromUtf8(kMarkerApp);
        const QString selected = home.addRelease(QStringLiteral("1.3.0"), release);
        QVERIFY(home.select(selected));
        const QString marker = home.path() + QStringLiteral("/started");

        TestBundle bundle; // the real launcher, and a host that ends after accepting "quit"
        QVERIFY(bundle.isValid());
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home.path());
        // Stands in for this app's process, which the installer step waits for.
        QProcess appProcess;
        appProcess.start(QStringLiteral("sleep"), {QStringLiteral("120")});
        QVERIFY(appProcess.waitForStarted());
        harness.fake->pid = appProcess.processId();

        app.startHost();
        QTRY_VERIFY(app.hostIsRunning());
        QTRY_VERIFY(app.lastStatusReceivedAt.has_value());
        QVERIFY(app.updateNeedsRestart);
        app.updateButton->click();
        QTRY_COMPARE(harness.fake->exitStatuses, QList<int>{0});
        QVERIFY(!app.process);

        const QString log = home.installer() + QStringLiteral("/desktop-update.log");
        QTRY_VERIFY(QFile(log).size() > 0);
        QVERIFY(fileLines(log).first().endsWith(QStringLiteral("waiting for process ") +
                                                QString::number(harness.fake->pid) + QStringLiteral(" to exit")));
        QVERIFY(!QFileInfo::exists(marker)); // not while the app's process lives

        appProcess.kill();
        QVERIFY(appProcess.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 15000);
        QCOMPARE(fileLines(marker),
                 QStringList({QFileInfo(selected + QStringLiteral("/Contents/MacOS/vodu-status")).canonicalFilePath(),
                              QStringLiteral("none")}));
        QTRY_VERIFY(fileLines(log).last().contains(QStringLiteral("started process ")));
    }

    void refusesAMissingOrSpecialProcessId_data() {
        QTest::addColumn<QString>("pid");
        QTest::newRow("empty") << "";
        QTest::newRow("not a number") << "12x";
        QTest::newRow("init") << "1";
    }

    void refusesAMissingOrSpecialProcessId() {
        QFETCH(QString, pid);
        InstallationHome home;
        int exitCode = 0;
        const QString errors = runInstallerStep(home, pid, &exitCode);
        QCOMPARE(exitCode, 2);
        QVERIFY(errors.contains(QStringLiteral("needs the process id")));
    }

    void startsNothingWithoutASelectedRelease() {
        InstallationHome home;
        int exitCode = 0;
        const QString errors = runInstallerStep(home, endedProcessId(), &exitCode);
        QCOMPARE(exitCode, 1);
        QVERIFY(errors.contains(QStringLiteral("no selected app at ") + home.current()));
    }

    // A selected release that asked for its own update is started with the failure shown, not in a loop.
    void selectedReleaseAskingForItselfIsStartedWithTheError() {
        InstallationHome home;
        const QString selected = home.addRelease(QStringLiteral("1.3.0"));
        QVERIFY(home.select(selected));
        const QString app = selected + QStringLiteral("/Contents/MacOS/vodu-status");
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), app));
        QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        QProcess asking;
        asking.start(app, {QStringLiteral("120")});
        QVERIFY(asking.waitForStarted());

        QProcess step;
        step.setProcessEnvironment(home.environment());
        step.start(QStringLiteral("/bin/sh"), {launcherSource(), QStringLiteral("--install-selected-desktop"),
                                               QString::number(asking.processId())});
        QByteArray output;
        QTRY_VERIFY((output += step.readAllStandardError()).contains("waiting for process"));
        asking.kill();
        QVERIFY(asking.waitForFinished());
        QVERIFY(step.waitForFinished(15000));
        QCOMPARE(step.exitCode(), 0);
        const QString errors = QString::fromUtf8(output + step.readAllStandardError());
        QVERIFY(errors.contains(QStringLiteral("asked for its own update")));
        QVERIFY(errors.contains(QStringLiteral("starting ") + QFileInfo(app).canonicalFilePath()));
    }
};

VODU_TEST_SUITE(InstallerStepTest)
#include "InstallerStepTest.moc"
