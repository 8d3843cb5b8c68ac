#include "Harness.h"
#include "TestRegistry.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

class WindowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowKeepsItsMinimumSize() {
        Harness harness;
        QCOMPARE(harness.app().window->size(), QSize(1040, 740));
        harness.app().window->show();
        harness.app().window->resize(600, 400);
        QCOMPARE(harness.app().window->size(), QSize(820, 600));
    }

    void sidebarNavigationSwitchesPages() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.activeTaskCount = 3;
        app.showWindow();
        QWidget* taskList = app.window->findChild<QWidget*>(QStringLiteral("taskListScroll"));
        QTest::mouseClick(app.tasksNav, Qt::LeftButton);
        QCOMPARE(app.homeNavigation->currentIndex(), 1);
        QVERIFY(app.tasksNav->isSelected() && !app.sessionsNav->isSelected());
        QVERIFY(app.taskDetailHeading->isVisible() && taskList->isVisible() && app.taskFooter->isVisible());
        QVERIFY(app.sessionSearch->isHidden() && app.deliveryHome->isHidden());
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("Tasks · 3 running"));

        QTest::mouseClick(app.sessionsNav, Qt::LeftButton);
        QCOMPARE(app.homeNavigation->currentIndex(), 0);
        QVERIFY(app.sessionsNav->isSelected() && !app.tasksNav->isSelected());
        QVERIFY(app.deliveryHome->isVisible() && app.sessionSearch->isVisible());
        QVERIFY(app.taskDetailHeading->isHidden() && taskList->isHidden());
        QCOMPARE(app.tasksLabel->text(), QStringLiteral("Sessions · 0"));
    }

    void appearanceToggleTwiceReturns() {
        Harness harness;
        AppDelegate& app = harness.app();
        const Appearance original = appearanceOf(app.window);
        for (const bool flipped : {true, false}) {
            app.themeToggle->click();
            const Appearance now = appearanceOf(app.window);
            QCOMPARE(now != original, flipped);
            QCOMPARE(app.themeToggle->symbol(), now == Appearance::light ? Symbol::sunMax : Symbol::moon);
            QCOMPARE(app.window->palette().color(QPalette::Window), Theme::canvas.resolve(now));
            QCOMPARE(appearanceOf(app.accountRow), now); // views inside the sheet follow the window
        }
    }

    void presetAppearance_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<Appearance>("appearance");
        QTest::newRow("dark") << QStringLiteral("dark") << Appearance::dark;
        QTest::newRow("light") << QStringLiteral("light") << Appearance::light;
        QTest::newRow("anything else follows the desktop") << QStringLiteral("sepia") << systemAppearance();
    }

    void presetAppearance() {
        QFETCH(QString, preset);
        QFETCH(Appearance, appearance);
        auto platform = std::make_unique<FakePlatform>();
        platform->environment.insert(QStringLiteral("VODU_APPEARANCE"), preset);
        AppDelegate app(std::move(platform));
        app.buildWindow();
        QCOMPARE(appearanceOf(app.window), appearance);
    }
};

VODU_TEST_SUITE(WindowTest)
#include "WindowTest.moc"
