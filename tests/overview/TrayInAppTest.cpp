#include "DataTables.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>

using Policy = AppDelegate::ActivationPolicy;

// The tray as the app uses it: closing the window hides it to the tray, or quits when there is none; the tray's
// items bring the window back, with the sheet, and quit.
class TrayInAppTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closingTheWindow_data() {
        columns<bool>({"tray"});
        dataRow("with a tray", true);
        dataRow("without a tray: the app quits", false);
    }

    void closingTheWindow() {
        const auto [tray] = fetch<bool>({"tray"});
        Harness harness;
        harness.fake->tray = tray;
        AppDelegate& app = harness.app();
        QMainWindow* window = app.window();
        app.showWindow();
        QVERIFY(!window->close());                              // refused: the window object stays
        QTRY_COMPARE(harness.fake->terminations, tray ? 0 : 1); // no host runs: it ends at once
        if (tray) {
            QVERIFY(!window->isVisible() && app.activationPolicy() == Policy::accessory);
            app.toggleWindow(); // a left click on the tray item
            QVERIFY(QTest::qWaitForWindowActive(window) && app.activationPolicy() == Policy::regular);
            app.toggleWindow();
            QVERIFY(!window->isVisible());
            view<QAction>(app, "menuSettings")->trigger();
            QVERIFY(window->isVisible() && view<QDialog>(app, "statusPanel")->isVisible());
        }
    }

    // The tray's Quit asks only while tasks run; a confirmed quit is forced, a cancelled one sends nothing; a
    // refused one shows the window with the reason.
    void quitFromTheTray_data() {
        columns<int, int, bool>({"tasks", "answer", "refused"});
        dataRow("no tasks: no alert, not forced", 0, 1, false);
        dataRow("two tasks, quit: forced", 2, 1, false);
        dataRow("two tasks, cancel", 2, 0, false);
        dataRow("refused by the host: the window shows why", 0, 1, true);
    }

    void quitFromTheTray() {
        const auto [tasks, answer, refused] = fetch<int, int, bool>({"tasks", "answer", "refused"});
        Harness harness;
        ScriptedHost host(harness, QStringLiteral("recording"), refused ? QStringLiteral("quit") : QString());
        QVERIFY(host.ready());
        harness.app().render(QJsonObject{{"tasks", QJsonObject{{"activeCount", tasks}}}});
        harness.fake->alertAnswers = {AlertAnswer{answer, {}}};
        view<QAction>(harness.app(), "menuQuit")->trigger();
        QCOMPARE(harness.fake->alerts.size(), tasks ? 1 : 0);
        QVERIFY(!tasks || harness.fake->alerts.first().informativeText ==
                              u"Quitting VODU may affect 2 active task(s). Do you want to quit?");
        if (answer == 0) {
            QTest::qWait(100);
            QVERIFY(host.actions().isEmpty() && harness.fake->terminations == 0);
        } else if (refused) {
            QTRY_COMPARE(view<QLabel>(harness.app(), "footer")->text(), QStringLiteral("quit refused"));
            QVERIFY(harness.app().window()->isVisible() && harness.fake->terminations == 0);
        } else {
            QTRY_COMPARE(harness.fake->terminations, 1);
            QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")});
            QCOMPARE(host.commands().first().value(u"force"),
                     tasks ? QJsonValue(true) : QJsonValue(QJsonValue::Undefined));
        }
    }
};

VODU_TEST_SUITE(TrayInAppTest)
#include "TrayInAppTest.moc"
