#include "Harness.h"
#include "TestRegistry.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QTest>

// Started at login, the app waits in the tray; without a tray its window is the only way in, so it shows.
class AutostartLaunchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowStaysHiddenOnlyWithATray_data() {
        QTest::addColumn<bool>("atLogin");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("windowShown");
        QTest::newRow("at login, with a tray") << true << true << false;
        QTest::newRow("at login, no tray") << true << false << true;
        QTest::newRow("opened by the user, with a tray") << false << true << true;
    }

    void windowStaysHiddenOnlyWithATray() {
        QFETCH(bool, atLogin);
        QFETCH(bool, tray);
        QFETCH(bool, windowShown);
        Harness harness({QStringLiteral("en")}, Harness::Build::nothing);
        harness.fake->tray = tray;
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.autostart-test.") + QTest::currentDataTag());
        QStringList arguments{QStringLiteral("vodu-status")};
        if (atLogin) {
            arguments.append(QStringLiteral("--autostart"));
        }
        // A preview, so no service starts.
        arguments << QStringLiteral("--status-fixture")
                  << TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json"));
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching(arguments);
        QVERIFY(app.linkState().fixtureMode);
        QCOMPARE(app.window()->isVisible(), windowShown);
        QCOMPARE(app.activationPolicy(),
                 windowShown ? AppDelegate::ActivationPolicy::regular : AppDelegate::ActivationPolicy::accessory);

        view<QAction>(app.overview().statusMenu(), "menuShowWindow")->trigger();
        QVERIFY(app.window()->isVisible());
    }
};

VODU_TEST_SUITE(AutostartLaunchTest)
#include "AutostartLaunchTest.moc"
