#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class LaunchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Preview data (named on the command line, or by the bundle when the flag has no path) instead of a host; started
    // at login, the app waits in the tray, unless there is no tray to find it in. The tray menu shows the window.
    void launch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("bundleFixture");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("windowShown");
        const QString fixture = TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json"));
        QTest::newRow("fixture path given")
            << QStringList{"--status-fixture", fixture} << false << true << true << true;
        QTest::newRow("flag as the last argument") << QStringList{"--status-fixture"} << false << true << false << true;
        QTest::newRow("flag last, bundle names a fixture")
            << QStringList{"--status-fixture"} << true << true << true << true;
        QTest::newRow("no flag") << QStringList{} << false << true << false << true;
        QTest::newRow("at login, with a tray")
            << QStringList{"--autostart", "--status-fixture", fixture} << false << true << true << false;
        QTest::newRow("at login, no tray")
            << QStringList{"--autostart", "--status-fixture", fixture} << false << false << true << true;
    }

    void launch() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, bundleFixture);
        QFETCH(bool, tray);
        QFETCH(bool, preview);
        QFETCH(bool, windowShown);
        TestBundle bundle;
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->tray = tray;
        harness.fake->bundleDir = bundle.path();
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.launch-test.") + QTest::currentDataTag());
        if (bundleFixture) {
            harness.fake->bundleInfo.insert(QStringLiteral("VODUPreviewFixturePath"),
                                            TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json")));
        }
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching(QStringList{QStringLiteral("vodu-status")} + arguments);
        QCOMPARE(app.linkState().fixtureMode, preview);
        QTRY_COMPARE(app.linkState().hostProcessAlive && app.linkState().connected, !preview);
        QCOMPARE(app.window()->isVisible(), windowShown);
        QCOMPARE(app.activationPolicy(),
                 windowShown ? AppDelegate::ActivationPolicy::regular : AppDelegate::ActivationPolicy::accessory);
        view<QAction>(app, "menuShowWindow")->trigger();
        QVERIFY(app.window()->isVisible());
    }

    // The service is started before the window is built; once the window is there it asks for one snapshot and
    // shows it.
    void aLaunchAsksForOneSnapshotAndShowsIt() {
        TestBundle bundle;
        QTemporaryDir logs;
        const QString log = logs.filePath(QStringLiteral("commands.log"));
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QVERIFY(app.linkState().hostProcessAlive);
        QTRY_VERIFY(app.linkState().lastStatusReceivedAt.has_value());
        QTest::qWait(200); // a second request would have arrived by now
        const QList<QJsonObject> commands = loggedCommands(log);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.first().value(u"action").toString(), QStringLiteral("refresh"));
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Online"));
    }

    // A host that cannot start, or whose files are missing, is said on screen with the action to start it again, and
    // the installer's error stays beside it.
    void hostThatCannotStart_data() {
        QTest::addColumn<QString>("remove");
        QTest::addColumn<QString>("detail");
        QTest::newRow("launcher missing") << "MacOS/vodu"
                                          << "Could not start service";
        QTest::newRow("runtime missing") << "Resources/runtime/bin/node"
                                         << "Service files are missing";
        QTest::newRow("script missing") << "Resources/cli/src/desktop-host.js"
                                        << "Service files are missing";
    }

    void hostThatCannotStart() {
        QFETCH(QString, remove);
        QFETCH(QString, detail);
        TestBundle bundle;
        QVERIFY(QFile::remove(bundle.path() + QStringLiteral("/Contents/") + remove));
        auto platform = std::make_unique<FakePlatform>();
        platform->bundleDir = bundle.path();
        platform->environment.insert(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"),
                                     QStringLiteral("Could not start the app update helper"));
        AppDelegate app(std::move(platform));
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QTest::qWait(300); // anything still on its way arrives
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), detail);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->action()->text(), QStringLiteral("Start service"));
        QVERIFY(!app.linkState().hostProcessAlive);
        QVERIFY(view<QLabel>(app, "updateLabel")->text().endsWith(u"\nCould not start the app update helper"));
        QVERIFY(view<QPushButton>(app, "updateButton")->isEnabled());
    }

    // The hand-over's name comes from the bundle, or from the process when there is none (then nothing is asked).
    void showWindowNotificationName() {
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        QCOMPARE(harness.app().showWindowNotification(), QStringLiteral("com.zuzi.vodu.cli.test.showWindow"));
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"), QString());
        QCOMPARE(harness.app().showWindowNotification(), QStringLiteral("com.zuzi.vodu.unbundled.4242.showWindow"));
        QVERIFY(!harness.app().activateExistingInstance());
    }
};

VODU_TEST_SUITE(LaunchTest)
#include "LaunchTest.moc"
