#include "Harness.h"
#include "TestRegistry.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

class WindowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sidebarNavigationSwitchesPages() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(QJsonObject{{QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), 3}}}});
        app.showWindow();
        QWidget* taskList = app.window()->findChild<QWidget*>(QStringLiteral("taskListScroll"));
        QTest::mouseClick(view<SidebarNavButton>(app, "tasksNav"), Qt::LeftButton);
        QCOMPARE(view<SegmentedControl>(app, "homeNavigation")->currentIndex(), 1);
        QVERIFY(view<SidebarNavButton>(app, "tasksNav")->isSelected() &&
                !view<SidebarNavButton>(app, "sessionsNav")->isSelected());
        QVERIFY(view<QWidget>(app, "taskDetailHeading")->isVisible() && taskList->isVisible() &&
                view<QWidget>(app, "taskFooter")->isVisible());
        QVERIFY(view<QLineEdit>(app, "sessionSearch")->isHidden() && view<QWidget>(app, "deliveryHome")->isHidden());
        QCOMPARE(view<QLabel>(app, "tasksLabel")->text(), QStringLiteral("Tasks · 3 running"));

        QTest::mouseClick(view<SidebarNavButton>(app, "sessionsNav"), Qt::LeftButton);
        QCOMPARE(view<SegmentedControl>(app, "homeNavigation")->currentIndex(), 0);
        QVERIFY(view<SidebarNavButton>(app, "sessionsNav")->isSelected() &&
                !view<SidebarNavButton>(app, "tasksNav")->isSelected());
        QVERIFY(view<QWidget>(app, "deliveryHome")->isVisible() && view<QLineEdit>(app, "sessionSearch")->isVisible());
        QVERIFY(view<QWidget>(app, "taskDetailHeading")->isHidden() && taskList->isHidden());
        QCOMPARE(view<QLabel>(app, "tasksLabel")->text(), QStringLiteral("Sessions · 0"));
    }

    // Ctrl+F finds the search field from either page, Escape clears it, Ctrl+, opens the settings, and closing them
    // gives the focus back.
    void shortcutsReachSearchAndSettings() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.showWindow();
        QVERIFY(QTest::qWaitForWindowActive(app.window()));
        auto* search = view<QLineEdit>(app, "sessionSearch");
        QTest::mouseClick(view<SidebarNavButton>(app, "tasksNav"), Qt::LeftButton);
        const auto shortcut = [&app](const char* name) {
            QAction* action = app.window()->findChild<QAction*>(QString::fromLatin1(name));
            QVERIFY2(action, name);
            QVERIFY(!action->shortcut().isEmpty());
            action->trigger();
        };
        shortcut("mainMenuFind");
        QVERIFY(search->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(search, QStringLiteral("abc"));
        QTest::keyClick(search, Qt::Key_Escape);
        QCOMPARE(search->text(), QString());

        shortcut("mainMenuSettings");
        QVERIFY(app.overview().statusPanel()->isVisible());
        app.overview().closeStatusPanel();
        QTRY_COMPARE(QApplication::focusWidget(), search);
    }

    // The user widens the lists by dragging the divider; the width comes back at the next start, within bounds.
    void sidebarWidthIsTheUsers() {
        Harness first;
        first.app().window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(first.app().window()));
        QWidget* sidebar = view<QWidget>(first.app(), "sidebar");
        const int original = sidebar->width();
        auto* divider = view<QWidget>(first.app(), "sidebarDivider");
        const QPoint grip(divider->width() / 2, divider->height() / 2);
        QTest::mousePress(divider, Qt::LeftButton, {}, grip);
        QTest::mouseMove(divider, grip + QPoint(120, 0));
        QTest::mouseRelease(divider, Qt::LeftButton, {}, grip + QPoint(120, 0));
        QTRY_VERIFY(sidebar->width() > original + 60);
        const QVariant stored = first.fake->stored.value(QStringLiteral("window/sidebarWidth"));
        QCOMPARE(stored.toInt(), sidebar->width());

        for (const int remembered : {stored.toInt(), 5000}) {
            Harness next({QStringLiteral("en-US")}, Harness::Build::nothing);
            next.fake->stored.insert(QStringLiteral("window/sidebarWidth"), remembered);
            next.app().buildWindow();
            next.app().window()->show();
            QVERIFY(QTest::qWaitForWindowExposed(next.app().window()));
            const int width = view<QWidget>(next.app(), "sidebar")->width();
            // An absurd width from the store leaves the content most of the window.
            QVERIFY2(remembered > 1000 ? width <= next.app().window()->width() / 2 : width == remembered,
                     qPrintable(QString::number(width)));
        }
    }

    void appearanceToggleTwiceReturns() {
        Harness harness;
        AppDelegate& app = harness.app();
        const Appearance original = appearanceOf(app.window());
        for (const bool flipped : {true, false}) {
            view<SymbolButton>(app, "themeToggle")->click();
            const Appearance now = appearanceOf(app.window());
            QCOMPARE(now != original, flipped);
            QCOMPARE(view<SymbolButton>(app, "themeToggle")->symbol(),
                     now == Appearance::light ? Symbol::sunMax : Symbol::moon);
            QCOMPARE(app.window()->palette().color(QPalette::Window), Theme::canvas.resolve(now));
            QCOMPARE(appearanceOf(view<StatusRow>(app, "accountRow")), now); // views inside the sheet follow the window
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
        QCOMPARE(appearanceOf(app.window()), appearance);
    }
};

VODU_TEST_SUITE(WindowTest)
#include "WindowTest.moc"
