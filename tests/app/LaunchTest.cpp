#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"

#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class LaunchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previewArgumentDecidesWhetherTheHostStarts_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("bundleFixture");
        QTest::addColumn<bool>("preview");
        const QString fixture = TestBundle::fixturePath(QStringLiteral("scripted-host.js")); // any readable path
        QTest::newRow("fixture path given") << QStringList{"vodu-status", "--status-fixture", fixture} << false << true;
        QTest::newRow("flag as the last argument") << QStringList{"vodu-status", "--status-fixture"} << false << false;
        QTest::newRow("flag last, bundle names a fixture")
            << QStringList{"vodu-status", "--status-fixture"} << true << true;
        QTest::newRow("no flag") << QStringList{"vodu-status"} << false << false;
    }

    void previewArgumentDecidesWhetherTheHostStarts() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, bundleFixture);
        QFETCH(bool, preview);
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->bundleDir = bundle.path();
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.launch-test.") + QTest::currentDataTag());
        if (bundleFixture) {
            harness.fake->bundleInfo.insert(QStringLiteral("VODUPreviewFixturePath"),
                                            TestBundle::fixturePath(QStringLiteral("scripted-host.js")));
        }
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching(arguments);
        QCOMPARE(app.linkState().fixtureMode, preview);
        QCOMPARE(app.link().process() == nullptr, preview);
        QCOMPARE(app.link().statusWatchdogRunning(), !preview);
        QVERIFY(app.window());
        QCOMPARE(app.activationPolicy(), AppDelegate::ActivationPolicy::regular);
        if (!preview) {
            QTRY_VERIFY(app.link().hostIsRunning());
        }
    }

    // The service is started before the window is built; once the window is there it asks for one snapshot and
    // shows it.
    void aLaunchAsksForOneSnapshotAndShowsIt() {
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        QTemporaryDir logs;
        const QString log = logs.filePath(QStringLiteral("commands.log"));
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("answer"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QVERIFY(app.link().hostIsRunning());
        QTRY_VERIFY(app.linkState().lastStatusReceivedAt.has_value());
        QTest::qWait(200); // a second request would have arrived by now
        const QList<QJsonObject> commands = loggedCommands(log);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.first().value(u"action").toString(), QStringLiteral("refresh"));
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Online"));
    }

    void showWindowNotificationName_data() {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bundled") << "com.zuzi.vodu.cli"
                                 << "com.zuzi.vodu.cli.showWindow";
        QTest::newRow("no identifier") << ""
                                       << "com.zuzi.vodu.unbundled.4242.showWindow";
    }

    void showWindowNotificationName() {
        QFETCH(QString, identifier);
        QFETCH(QString, expected);
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"), identifier);
        QCOMPARE(harness.app().showWindowNotification(), expected);
        if (identifier.isEmpty()) {
            QVERIFY(!harness.app().activateExistingInstance());
        }
    }

    void languageOfTheWholeApp() {
        Harness japanese({QStringLiteral("ja-JP"), QStringLiteral("en-US")});
        japanese.app().renderDisconnected(QStringLiteral("x"));
        QCOMPARE(view<StatusRow>(japanese.app(), "connectionRow")->action()->text(), QStringLiteral("サービスを開始"));
    }

    void hostThatCannotStartLeavesTheInstallerErrorOnScreen() {
        TestBundle bundle;
        QVERIFY(QFile::remove(bundle.path() + QStringLiteral("/Contents/MacOS/vodu")));
        auto platform = std::make_unique<FakePlatform>();
        platform->languages = {QStringLiteral("en-US")};
        platform->bundleDir = bundle.path();
        platform->environment.insert(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"),
                                     QStringLiteral("Could not start the app update helper"));
        AppDelegate app(std::move(platform));
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QTest::qWait(300); // anything still on its way arrives
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Could not start service"));
        QVERIFY(view<QLabel>(app, "updateLabel")->text().endsWith(u"\nCould not start the app update helper"));
        QVERIFY(view<QPushButton>(app, "updateButton")->isEnabled());
    }
};

VODU_TEST_SUITE(LaunchTest)
#include "LaunchTest.moc"
