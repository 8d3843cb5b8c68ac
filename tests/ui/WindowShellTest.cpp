#include "ui/WindowShell.h"
#include "AreaHarness.h"
#include "DataTables.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Theme.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

// A shell built and given its main menu as at launch; each area's place holds a named stand-in.
std::unique_ptr<WindowShell> buildShell(AreaHarness& area) {
    auto shell = std::make_unique<WindowShell>(
        area.platform, area.copy, area.link, [] { return qsizetype(2); }, [] { return true; });
    const auto stand = [](const char* name) {
        return [name](QWidget* parent) {
            QWidget* view = QString(name) == u"sessionSearch" ? new QLineEdit(parent) : new QWidget(parent);
            view->setObjectName(QString::fromLatin1(name));
            new QHBoxLayout(view); // the heading's place takes the window's buttons
            return view;
        };
    };
    shell->build({stand("sessionSearch"), stand("sessionList"), stand("taskListScroll"), stand("connectionSummary"),
                  stand("taskDetailHeading"), stand("webButton"), stand("taskDetail"), stand("stopButton")});
    shell->installMainMenu();
    return shell;
}

QAction* menuAction(QMainWindow* window, const QKeySequence& shortcut) {
    const QList<QAction*> actions = window->menuBar()->findChildren<QAction*>();
    return *std::find_if(actions.begin(), actions.end(), [&](QAction* a) { return a->shortcut() == shortcut; });
}

} // namespace

class WindowShellTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placement_data() {
        // remembered: a null rectangle: nothing remembered
        columns<QList<QRect>, QRect, QRect>({"screens", "remembered", "placed"});
        const QList<QRect> one{QRect(0, 0, 1920, 1050)}, small{QRect(0, 0, 1366, 738)}; // 1366 x 768 with a panel
        QTest::newRow("first run, large screen, centred") << one << QRect() << QRect(440, 171, 1040, 740);
        QTest::newRow("first run, 1366 x 768") << small << QRect() << QRect(163, 40, 1040, 690);
        QTest::newRow("remembered, still visible") << one << QRect(300, 200, 900, 650) << QRect(300, 200, 900, 650);
        QTest::newRow("on a screen now gone") << one << QRect(2100, 100, 900, 650) << QRect(510, 216, 900, 650);
        QTest::newRow("half off the right edge") << one << QRect(1700, 100, 900, 650) << QRect(1012, 100, 900, 650);
        QTest::newRow("above the top") << one << QRect(100, -400, 900, 650) << QRect(100, 40, 900, 650);
        QTest::newRow("larger than the screen now") << small << QRect(0, 0, 1800, 1000) << QRect(8, 40, 1350, 690);
        const QList<QRect> two{one.first(), QRect(1920, 0, 1280, 1000)};
        QTest::newRow("on the second screen") << two << QRect(2000, 100, 900, 650) << QRect(2000, 100, 900, 650);
        QTest::newRow("smaller than allowed") << one << QRect(100, 100, 300, 200) << QRect(100, 100, 820, 600);
    }

    void placement() {
        const auto [screens, remembered, placed] =
            fetch<QList<QRect>, QRect, QRect>({"screens", "remembered", "placed"});
        QCOMPARE(placeWindow(remembered.isNull() ? std::nullopt : std::optional(remembered), screens, QSize(1040, 740),
                             QSize(820, 600)),
                 placed);
    }

    // The sidebar buttons switch the pages, captioned with what they list; Ctrl+F goes to the Sessions page's search,
    // Ctrl+, asks for the settings. The place and the sidebar width the user gives come back at the next start.
    void pagesMenuAndPlace() {
        AreaHarness area;
        area.link.activeTaskCount = 3;
        auto shell = buildShell(area);
        QMainWindow* window = shell->window();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->setGeometry(QRect(120, 90, 900, 620));
        QTRY_COMPARE(area.platform.stored.value(QStringLiteral("window/geometry")).toRect(), QRect(120, 90, 900, 620));
        QWidget* sidebar = view<QWidget>(window, "sidebar");
        const int original = sidebar->width();
        auto* divider = view<QWidget>(window, "sidebarDivider");
        const QPoint grip(divider->width() / 2, divider->height() / 2);
        QTest::mousePress(divider, Qt::LeftButton, {}, grip);
        QTest::mouseMove(divider, grip + QPoint(120, 0));
        QTest::mouseRelease(divider, Qt::LeftButton, {}, grip + QPoint(120, 0));
        QTRY_VERIFY(sidebar->width() > original + 60);
        const int width = sidebar->width();
        QCOMPARE(area.platform.stored.value(QStringLiteral("window/sidebarWidth")).toInt(), width);
        QVERIFY(QTest::qWaitForWindowActive(window));
        const auto visible = [window](std::initializer_list<const char*> names, bool shown) {
            for (const char* name : names) {
                QVERIFY2(view<QWidget>(window, name)->isVisible() == shown, name);
            }
        };
        QTest::mouseClick(view<SidebarNavButton>(window, "tasksNav"), Qt::LeftButton);
        QCOMPARE(view<SegmentedControl>(window, "homeNavigation")->currentIndex(), 1);
        QVERIFY(view<SidebarNavButton>(window, "tasksNav")->isSelected() &&
                !view<SidebarNavButton>(window, "sessionsNav")->isSelected());
        visible({"taskDetailHeading", "taskListScroll", "taskFooter"}, true);
        visible({"sessionSearch", "deliveryHome"}, false);
        QCOMPARE(view<QLabel>(window, "tasksLabel")->text(), QStringLiteral("Tasks · 3 running"));

        menuAction(window, QKeySequence::Find)->trigger();
        QVERIFY(view<SidebarNavButton>(window, "sessionsNav")->isSelected());
        visible({"deliveryHome", "sessionSearch"}, true);
        visible({"taskDetailHeading", "taskListScroll"}, false);
        QCOMPARE(view<QLabel>(window, "tasksLabel")->text(), QStringLiteral("Sessions · 2"));
        QTRY_COMPARE(QApplication::focusWidget(), view<QWidget>(window, "sessionSearch"));

        QSignalSpy settings(shell.get(), &WindowShell::settingsRequested);
        menuAction(window, QKeySequence(Qt::CTRL | Qt::Key_Comma))->trigger();
        QCOMPARE(settings.size(), 1);

        shell = buildShell(area);
        QCOMPARE(shell->window()->geometry(), QRect(120, 90, 900, 620));
        shell->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(shell->window()));
        QCOMPARE(view<QWidget>(shell->window(), "sidebar")->width(), width);
    }

    // The app's own window: Ctrl+R, within the window only, reaches the host as a refresh.
    void refreshReachesTheHost() {
        Harness harness;
        ScriptedHost host(harness);
        QVERIFY(host.ready());
        QAction* refresh = menuAction(harness.app().window(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QCOMPARE(refresh->shortcutContext(), Qt::WindowShortcut);
        refresh->trigger();
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("refresh")});
    }

    // Switching restyles everything the window holds: its canvas, and the menu bar, menus, scroll bars and tool tips
    // through its style sheet; switching twice comes back.
    void toggleRestylesEverything() {
        for (const char* preset : {"light", "dark", "sepia"}) {
            AreaHarness area;
            area.platform.environment.insert(QStringLiteral("VODU_APPEARANCE"), QString::fromLatin1(preset));
            auto shell = buildShell(area);
            const Appearance start = appearanceOf(shell->window());
            QCOMPARE(start, preset == QByteArrayView("dark")    ? Appearance::dark
                            : preset == QByteArrayView("light") ? Appearance::light
                                                                : systemAppearance());
            for (const bool dark : {start == Appearance::light, start == Appearance::dark}) {
                QCOMPARE(shell->toggleWindowAppearance(), dark);
                const Appearance now = dark ? Appearance::dark : Appearance::light;
                QCOMPARE(appearanceOf(shell->window()), now);
                QCOMPARE(shell->window()->palette().color(QPalette::Window), Theme::canvas.resolve(now));
                QCOMPARE(shell->window()->styleSheet(), windowStyleSheet(now));
            }
        }
    }
};

VODU_TEST_SUITE(WindowShellTest)
#include "WindowShellTest.moc"
