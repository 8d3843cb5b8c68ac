#include "AreaHarness.h"
#include "DataTables.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"
#include "app/QtTranslations.h"
#include "platform/QtPlatform.h"
#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/KeyedRowsModel.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowShell.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether the pixel at `point`, or else any pixel of the widget, is within 8 per channel of `colour`.
bool shows(QWidget* widget, const ThemeColor& colour, std::optional<QPoint> point = {}) {
    const QImage image = widget->grab().toImage();
    const QColor c = colour.resolve(appearanceOf(widget));
    for (int i = 0; i < (point ? 1 : image.width() * image.height()); ++i) {
        const QColor a = image.pixelColor(point.value_or(QPoint(i % image.width(), i / image.width())));
        if (std::abs(a.red() - c.red()) <= 8 && std::abs(a.green() - c.green()) <= 8 &&
            std::abs(a.blue() - c.blue()) <= 8) {
            return true;
        }
    }
    return false;
}

// A row is "<key><contents>": "a1" and "a2" are the same row with other contents.
class LetterModel final : public KeyedRowsModel {
public:
    void set(const QString& rows) {
        replaceRows(m_rows, rows.split(u' ', Qt::SkipEmptyParts), [](const QString& row) { return row.left(1); });
    }
    QString rows() const { return m_rows.join(u' '); }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(m_rows.value(index.row())) : QVariant();
    }

private:
    QStringList m_rows;
};

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

class UiTest final : public QObject {
    Q_OBJECT
    QTemporaryDir m_directory;
    bool exists(const char* name) const { return QFile::exists(m_directory.filePath(QString::fromLatin1(name))); }
    // The value of `key` in the named view of ui.json, as text.
    QString value(const char* name, const char* key) const {
        const QJsonObject views = json(readFile(m_directory.filePath(QStringLiteral("ui.json"))));
        return views.value(QLatin1String(name)).toObject().value(QLatin1String(key)).toVariant().toString();
    }

private Q_SLOTS:
    // Controls paint themselves from the theme; a disabled button is greyed, and an inactive surface and an
    // unselected sidebar button draw nothing at all (on magenta, so that anything left unpainted shows).
    void paintedFromTheTheme() {
        QWidget window;
        setWindowAppearance(&window, Appearance::light);
        window.setPalette(QPalette(Qt::magenta, Qt::magenta));
        window.setAutoFillBackground(true);
        window.resize(200, 112);
        auto* button = new SolidActionButton(QStringLiteral("Approve"), &window);
        button->resize(button->sizeHint());
        auto* surface = new AttentionSurface(&window);
        surface->setGeometry(0, 40, 200, 40);
        auto* nav = new SidebarNavButton(QStringLiteral("Tasks"), Symbol::checkmarkSquare, &window);
        nav->setGeometry(0, 80, 200, 32);
        QVERIFY(shows(button, Theme::action, QPoint(4, 16)) && shows(button, Theme::actionText));
        const QImage unfilled = window.grab().toImage();
        for (const QPoint point : {QPoint(0, 60), QPoint(1, 60), QPoint(100, 60), QPoint(199, 79), QPoint(100, 96)}) {
            QCOMPARE(unfilled.pixelColor(point), QColor(Qt::magenta));
        }
        button->setEnabled(false);
        surface->setActive(true);
        nav->setSelected(true);
        QVERIFY(shows(button, Theme::selected, QPoint(4, 16)) && shows(button, Theme::secondary) &&
                !shows(button, Theme::action) && shows(nav, Theme::selected, QPoint(100, 16)));
        QVERIFY(shows(surface, Theme::attentionFill, QPoint(100, 20)) &&
                shows(surface, Theme::attentionInk, QPoint(1, 20)));
    }

    // Remembered heights follow the text, font, margins and line limit, whatever widths were asked before.
    void wrappedLabelHeightsFollowTheirText() {
        ThemedLabel label(Theme::text);
        label.setWordWrap(true);
        QLabel reference;
        reference.setWordWrap(true);
        const auto same = [&](const char* step) {
            reference.setText(label.text());
            reference.setFont(label.font());
            reference.setContentsMargins(label.contentsMargins());
            for (const int width : {60, 400, 60, 120, 400, 240, 60}) {
                QVERIFY2(label.heightForWidth(width) == reference.heightForWidth(width), step);
            }
        };
        label.setText(QStringLiteral("Publish the billing webhook fix to staging and confirm the retries"));
        same("first text");
        label.setContentsMargins(8, 8, 8, 8);
        same("margins");
        label.setMaximumLines(2); // a single line from here on, whatever the limit
        QCOMPARE(label.heightForWidth(60), 2 * label.fontMetrics().lineSpacing() + 16);
        label.setText(QStringLiteral("Short"));
        same("shorter text");
        label.setFont(QFont(label.font().family(), label.font().pointSize() * 2));
        same("larger font");
    }

    // A screen reader finds the segments as tabs, with their titles, the chosen one selected, and can press them.
    void segmentsAreTabs() {
        SegmentedControl control(
            {QStringLiteral("Connection"), QStringLiteral("Dozadavi Zaro"), QStringLiteral("App")});
        control.resize(300, 32);
        control.setCurrentIndex(1);
        control.show();
        QSignalSpy activated(&control, &SegmentedControl::activated);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&control);
        QVERIFY(list && list->role() == QAccessible::PageTabList);
        // Each tab's title, marked "*" when selected and "?" when it is not a tab placed inside the list.
        const auto tabs = [list] {
            QStringList titles;
            for (int index = 0; index < list->childCount(); ++index) {
                QAccessibleInterface* tab = list->child(index);
                const bool placed = tab->role() == QAccessible::PageTab && tab->parent() == list &&
                                    list->indexOfChild(tab) == index && list->rect().contains(tab->rect());
                titles.append(tab->text(QAccessible::Name) + (tab->state().selected ? "*" : "") + (placed ? "" : "?"));
            }
            return titles;
        };
        QCOMPARE(tabs(), (QStringList{"Connection", "Dozadavi Zaro*", "App"}));
        list->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(control.currentIndex(), 2);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(tabs(), (QStringList{"Connection", "Dozadavi Zaro", "App*"}));
    }

    void rowsChangeByIdentity_data() {
        // Rows that stay keep their place and selection ("c1" is selected before); removed (-), inserted (+) and
        // changed (~) rows are announced, in order.
        columns<QString, QString, QString, QString>({"before", "after", "expected", "selected"});
        dataRow("the same", "a1 b1 c1 d1", "a1 b1 c1 d1", "", "c1");
        dataRow("one row's contents", "a1 b1 c1 d1", "a1 b2 c1 d1", "~1", "c1");
        dataRow("the selected row's contents", "a1 b1 c1 d1", "a1 b1 c2 d1", "~1", "c2");
        dataRow("appended", "a1 b1 c1", "a1 b1 c1 d1 e1", "+2", "c1");
        dataRow("prepended", "b1 c1", "a1 b1 c1", "+1", "c1");
        dataRow("removed above", "a1 b1 c1 d1", "a1 c1 d1", "-1", "c1");
        dataRow("removed below, the rest changed", "a1 b1 c1 d1", "a2 b1 c2", "-1 ~3", "c2");
        dataRow("moved: the middle is replaced", "a1 b1 c1 d1", "a1 c1 b1 d1", "-2 +2", "");
        dataRow("all gone", "a1 b1 c1", "", "-3", "");
        dataRow("all new", "c1", "x1 y1", "-1 +2", "");
    }

    void rowsChangeByIdentity() {
        const auto [before, after, expected, selected] =
            fetch<QString, QString, QString, QString>({"before", "after", "expected", "selected"});
        LetterModel model;
        model.set(before);
        QItemSelectionModel selection(&model);
        selection.select(model.index(int(before.split(u' ').indexOf(u"c1"))), QItemSelectionModel::ClearAndSelect);
        QStringList announced;
        const auto rows = [&announced](const char* sign) {
            return [&announced, sign](const QModelIndex&, int first, int last) {
                announced.append(sign + QString::number(last - first + 1));
            };
        };
        connect(&model, &QAbstractItemModel::rowsRemoved, this, rows("-"));
        connect(&model, &QAbstractItemModel::rowsInserted, this, rows("+"));
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&announced](const QModelIndex& a, const QModelIndex& b) {
                    announced.append(u'~' + QString::number(b.row() - a.row() + 1));
                });
        model.set(after);
        QCOMPARE(model.rows(), after);
        QCOMPARE(announced.join(u' '), expected);
        const QModelIndexList now = selection.selectedIndexes();
        QCOMPARE(now.isEmpty() ? QString() : now.first().data().toString(), selected);
    }

    // Our texts follow the first preferred language; Qt's own texts (standard buttons) follow ours.
    void languageChoice_data() {
        columns<QStringList, bool>({"languages", "japanese"});
        QTest::newRow("empty list") << QStringList{} << false;
        QTest::newRow("Japanese") << QStringList{"ja"} << true;
        QTest::newRow("Japanese with region, upper case") << QStringList{"JA-JP"} << true;
        QTest::newRow("English first, Japanese second") << QStringList{"en-US", "ja-JP"} << false;
        QTest::newRow("English with Japanese region") << QStringList{"en-JP"} << false;
        QTest::newRow("Javanese is not Japanese") << QStringList{"jv"} << false;
    }

    void languageChoice() {
        const auto [languages, japanese] = fetch<QStringList, bool>({"languages", "japanese"});
        QCOMPARE(Copy::fromPreferredLanguages(languages).text("接続", "Connection") == u"接続", japanese);
    }

    void qtTextsFollowOurLanguage() {
        const std::unique_ptr<QTranslator> translator = qtTranslator(true); // the scripts install the translations
        QVERIFY(translator && QApplication::installTranslator(translator.get()));
        QVERIFY(QDialogButtonBox(QDialogButtonBox::Cancel)
                    .button(QDialogButtonBox::Cancel)
                    ->text()
                    .startsWith(u"キャンセル"));
        QVERIFY(!qtTranslator(false) && !qtTranslator(true, QStringLiteral("/nonexistent")));
    }

    // Keys on the focused control take the safe choice; only a click on it confirms. Host text quoted in an alert
    // (an approval's summary, a process path) is never read as markup.
    void answers_data() {
        // key: 0: a click on the last button
        columns<bool, int, QStringList, int>({"textField", "key", "buttons", "answer"});
        const QStringList two{QStringLiteral("Cancel"), QStringLiteral("Quit")};
        QTest::newRow("Return, two buttons") << false << int(Qt::Key_Return) << two << 0;
        QTest::newRow("Enter, two buttons") << false << int(Qt::Key_Enter) << two << 0;
        QTest::newRow("Escape, two buttons") << false << int(Qt::Key_Escape) << two << 0;
        QTest::newRow("Return in a text field") << true << int(Qt::Key_Return) << two << 0;
        QTest::newRow("Escape in a text field") << true << int(Qt::Key_Escape) << two << 0;
        QTest::newRow("click, message box") << false << 0 << two << 1;
        QTest::newRow("click, text field") << true << 0 << two << 1;
    }

    void answers() {
        const auto [textField, key, buttons, answer] =
            fetch<bool, int, QStringList, int>({"textField", "key", "buttons", "answer"});
        AlertRequest request;
        request.message = QStringLiteral("<b>Approve</b>");
        request.informativeText = QStringLiteral("<img src=\"/dev/zero\"> <a href=\"file:///etc\">x</a>");
        request.buttons = buttons;
        request.hasTextField = textField;
        QStringList formats;
        QTimer poll; // acts on the real alert like a user once it is up
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget* alert = QApplication::activeModalWidget(); alert && alert->isVisible()) {
                poll.stop();
                for (const QLabel* label : alert->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        formats.append(label->textFormat() == Qt::PlainText ? QStringLiteral("plain") : label->text());
                    }
                }
                if (key != 0) {
                    QTest::keyClick(alert->focusWidget() ? alert->focusWidget() : alert, static_cast<Qt::Key>(key));
                    return;
                }
                for (QPushButton* button : alert->findChildren<QPushButton*>()) {
                    if (button->text() == buttons.last()) {
                        button->click();
                    }
                }
            }
        });
        poll.start(10);
        QCOMPARE(QtPlatform().runAlert(request, nullptr).button, answer);
        QCOMPARE(formats, QStringList({QStringLiteral("plain"), QStringLiteral("plain")}));
    }

    // ui.json and the window's picture follow each render (and only a change), also for views on a hidden page; the
    // panel's picture exists exactly while it is open. What each view says is in the golden views.
    void mirrorsNamedViews() {
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), m_directory.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(json(R"({"connection":{"state":"unauthorized"},"auth":{"state":"signed_in"}, )"
                        R"("tasks":{"activeCount":1,"items":[{"key":"t1","label":"Draft the memo"}]}})"));
        QTRY_COMPARE(value("connectionRow.detail", "text"), QStringLiteral("Sign-in required"));
        QVERIFY(value("taskTitle", "text") == u"Draft the memo" && value("taskTitle", "onScreen") == u"false");
        app.findChild<AutomationOutput*>()->writeNow();
        QVERIFY(!app.findChild<AutomationOutput*>()->writeNow()); // an unchanged screen is not written again
        app.render(json(R"({"tasks":{"items":[{"key":"t2","label":"Second memo"}]}})"));
        QTRY_COMPARE(value("taskTitle", "text"), QStringLiteral("Second memo"));
        QVERIFY(exists("window.png") && !exists("panel.png"));
        ::view<QAbstractButton>(app, "connectionSummary")->click();
        QTRY_VERIFY(exists("panel.png"));
        QTRY_COMPARE(value("connectionRow.action", "onScreen"), QStringLiteral("true"));
        ::view<QAbstractButton>(app, "statusPanelDone")->click();
        QTRY_VERIFY(!exists("panel.png"));
    }

    void outputFolderIsPrivate_data() {
        columns<QString, bool>({"shape", "written"});
        QTest::newRow("new nested folder") << "new" << true;
        QTest::newRow("our folder open to others") << "open" << true;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("another user's folder") << "foreign" << false;
    }

    void outputFolderIsPrivate() {
        const auto [shape, written] = fetch<QString, bool>({"shape", "written"});
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/out/automation");
        const QString elsewhere = root.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere) && QDir().mkpath(root.path() + QStringLiteral("/out")));
        if (shape == u"foreign" && ::geteuid() != 0) {
            QSKIP("giving a folder to another user needs root");
        }
        QVERIFY(shape == u"new" || (shape == u"link" ? QFile::link(elsewhere, folder) : QDir().mkpath(folder)));
        QVERIFY(shape != u"open" || QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        QVERIFY(shape != u"foreign" || ::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        QLabel window(QStringLiteral("Ready"));
        window.show();
        AutomationOutput output(folder, [&window] { return AutomationOutput::Sources{&window, {}, {}, {}}; });
        QCOMPARE(output.writeNow(), written);
        const auto modeOf = [](const QString& path) {
            struct stat status {};
            return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0u;
        };
        QVERIFY(written || (QDir(elsewhere).isEmpty() && !QFileInfo::exists(folder + QStringLiteral("/ui.json"))));
        QVERIFY(!written || (modeOf(folder) == 0700 && modeOf(folder + "/ui.json") == 0600 &&
                             modeOf(folder + "/window.png") == 0600));
    }

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

VODU_TEST_SUITE(UiTest)
#include "UiTest.moc"
