#include "Harness.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

class WindowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowGeometry() {
        Harness harness;
        AppDelegate& app = harness.app();
        QCOMPARE(app.window->size(), QSize(1040, 740));
        QCOMPARE(app.window->minimumSize(), QSize(820, 600));
        app.window->show();
        app.window->resize(600, 400);
        QVERIFY(app.window->width() >= 820);
        QVERIFY(app.window->height() >= 600);
        QCOMPARE(app.window->windowTitle(), QStringLiteral("VODU"));
    }

    void namedViewsCarryTheirNames() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QList<QObject*> views{app.homeNavigation,
                                    app.sessionsNav,
                                    app.tasksNav,
                                    app.sessionSearch,
                                    app.deliveryListScroll,
                                    app.deliveryTable,
                                    app.connectionSummary,
                                    app.deliveryHome,
                                    app.themeToggle,
                                    app.taskDetailHeading,
                                    app.taskTitle,
                                    app.taskState,
                                    app.webButton,
                                    app.taskFooter,
                                    app.footer,
                                    app.stopConflictButton,
                                    app.settingsNavigation,
                                    app.settingsTabs,
                                    app.deliveryAttentionSurface,
                                    app.deliveryPrimary,
                                    app.deliveryPrimaryRow,
                                    app.deliveryControls};
        for (QObject* view : views) {
            QVERIFY(view);
            QVERIFY2(app.window->findChild<QObject*>(view->objectName()) == view ||
                         app.statusPanel->findChild<QObject*>(view->objectName()) == view,
                     qPrintable(view->objectName()));
        }
        QCOMPARE(app.sessionSearch->placeholderText(), QStringLiteral("Search sessions"));
        QCOMPARE(app.connectionSummary->accessibleName(), QStringLiteral("Open connection status and settings"));
        QCOMPARE(app.themeToggle->toolTip(), QStringLiteral("Toggle appearance"));
    }

    void sidebarNavigationSwitchesPages() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.showWindow();
        QCOMPARE(app.homeNavigation->currentIndex(), 0);
        QVERIFY(app.sessionsNav->isSelected());
        QVERIFY(app.deliveryHome->isVisible());
        QVERIFY(app.sessionSearch->isVisible());
        QVERIFY(!app.taskDetailHeading->isVisible());

        QTest::mouseClick(app.tasksNav, Qt::LeftButton);
        QCOMPARE(app.homeNavigation->currentIndex(), 1);
        QVERIFY(app.tasksNav->isSelected());
        QVERIFY(!app.sessionsNav->isSelected());
        QVERIFY(app.taskDetailHeading->isVisible());
        QVERIFY(app.taskFooter->isVisible());
        QVERIFY(app.tasksLabel->isVisible());
        QVERIFY(app.window->findChild<QWidget*>(QStringLiteral("taskListScroll"))->isVisible());
        QVERIFY(app.sessionSearch->isHidden());
        QVERIFY(app.deliveryHome->isHidden());
        QVERIFY(app.deliveryListScroll->isHidden());
        // Before any snapshot the count is 0.
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("Tasks · 0 running"));

        QTest::mouseClick(app.sessionsNav, Qt::LeftButton);
        QCOMPARE(app.homeNavigation->currentIndex(), 0);
        QVERIFY(app.deliveryHome->isVisible());
        QVERIFY(app.sessionSearch->isVisible());
        QVERIFY(app.taskDetailHeading->isHidden());
        QVERIFY(app.window->findChild<QWidget*>(QStringLiteral("taskListScroll"))->isHidden());
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("Sessions · 0"));
    }

    void japaneseCaptions() {
        Harness harness({QStringLiteral("ja_JP")});
        AppDelegate& app = harness.app();
        app.activeTaskCount = 3;
        app.selectSidebarNav(app.tasksNav);
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("タスク · 3 件を実行中"));
        QCOMPARE(app.tasksNav->text(), QStringLiteral("タスク"));
    }

    void appearanceToggleTwiceReturns() {
        Harness harness;
        AppDelegate& app = harness.app();
        const Appearance original = appearanceOf(app.window);
        const Symbol originalSymbol = app.themeToggle->symbol();
        QCOMPARE(originalSymbol, Symbol::moon);
        app.themeToggle->click();
        const Appearance flipped = appearanceOf(app.window);
        QVERIFY(flipped != original);
        QCOMPARE(app.themeToggle->symbol(), flipped == Appearance::light ? Symbol::sunMax : Symbol::moon);
        QCOMPARE(app.window->palette().color(QPalette::Window), Theme::canvas.resolve(flipped));
        // Views inside the sheet follow the window.
        QCOMPARE(appearanceOf(app.accountRow), flipped);
        app.themeToggle->click();
        QCOMPARE(appearanceOf(app.window), original);
        QCOMPARE(app.window->palette().color(QPalette::Window), Theme::canvas.resolve(original));
    }

    void presetAppearance_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("appearance");
        QTest::newRow("dark") << "dark" << int(Appearance::dark);
        QTest::newRow("light") << "light" << int(Appearance::light);
        QTest::newRow("anything else follows the desktop") << "sepia" << int(systemAppearance());
    }

    void presetAppearance() {
        QFETCH(QString, preset);
        QFETCH(int, appearance);
        auto platform = std::make_unique<FakePlatform>();
        platform->environment.insert(QStringLiteral("VODU_APPEARANCE"), preset);
        AppDelegate app(std::move(platform));
        app.buildWindow();
        QCOMPARE(int(appearanceOf(app.window)), appearance);
    }
};

VODU_TEST_SUITE(WindowTest)
#include "WindowTest.moc"
