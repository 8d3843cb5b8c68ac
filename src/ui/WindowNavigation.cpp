// Page navigation, the sidebar caption, the light/dark switch and the main menu of the main window.
#include "ui/WindowShell.h"

#include "context/LinkState.h"
#include "ui/Copy.h"
#include "ui/MainWindow.h"
#include "ui/MenuText.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Theme.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

namespace {

// Edit commands go to whichever text view has the focus.
void sendToFocusedView(const char* slot) {
    if (QWidget* focused = QApplication::focusWidget()) {
        QMetaObject::invokeMethod(focused, slot);
    }
}

QString runningTasksCaption(const Copy& copy, qint64 count) {
    const QString number = QString::number(count);
    return copy.text(QStringLiteral("タスク · ") + number + QStringLiteral(" 件を実行中"),
                     QStringLiteral("Tasks · ") + number + QStringLiteral(" running"));
}

} // namespace

void WindowShell::selectSidebarNav(SidebarNavButton* button) {
    if (!button) {
        return;
    }
    m_homeNavigation->setCurrentIndex(button->property("tag").toInt());
    selectHome();
}

void WindowShell::selectPage(int index) {
    m_homeNavigation->setCurrentIndex(index);
    selectHome();
}

bool WindowShell::sessionsShown() const {
    return m_homeNavigation && m_homeNavigation->currentIndex() == 0;
}

void WindowShell::selectHome() {
    const bool sessions = sessionsShown();
    m_sessionsNav->setSelected(sessions);
    m_tasksNav->setSelected(!sessions);

    for (QWidget* view : {m_deliveryListScroll, m_sessionSearch, m_deliveryHome}) {
        view->setHidden(!sessions);
    }
    // The task area's views are found by name, so the window does not depend on their types. Their container is
    // switched with them, so the page takes the whole content area.
    QList<QWidget*> taskViews{m_tasksLabel, m_taskDetailHeading, m_taskFooter, m_tasksPage};
    for (const char* name : {"taskListScroll", "taskBodyScroll"}) {
        if (auto* view = m_window->findChild<QWidget*>(QString::fromLatin1(name))) {
            taskViews.append(view);
        }
    }
    for (QWidget* view : taskViews) {
        view->setHidden(sessions);
    }

    m_tasksLabel->setText(
        sessions ? m_copy.text(QStringLiteral("会話 · ") + QString::number(m_sessionCount()) + QStringLiteral(" 件"),
                               QStringLiteral("Sessions · ") + QString::number(m_sessionCount()))
                 : runningTasksCaption(m_copy, m_link.activeTaskCount));
}

void WindowShell::renderTasksCaption() {
    if (m_homeNavigation && !sessionsShown()) {
        m_tasksLabel->setText(runningTasksCaption(m_copy, m_link.activeTaskCount));
    }
}

void WindowShell::setCaption(const QString& text) {
    m_tasksLabel->setText(text);
}

void WindowShell::focusSearch() {
    if (!sessionsShown()) {
        selectPage(0);
    }
    if (auto* search = qobject_cast<QLineEdit*>(m_sessionSearch)) {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    }
}

bool WindowShell::toggleWindowAppearance() {
    const bool dark = appearanceOf(m_window) != Appearance::dark;
    setWindowAppearance(m_window, dark ? Appearance::dark : Appearance::light);
    return dark;
}

void WindowShell::installMainMenu() {
    QMenuBar* bar = m_window->menuBar();
    QMenu* appMenu = bar->addMenu(QStringLiteral("VODU"));
    QAction* show = appMenu->addAction(m_copy.text("VODU を表示", "Show VODU"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    connect(show, &QAction::triggered, this, &WindowShell::showWindowRequested);
    QAction* refresh = appMenu->addAction(m_copy.text("更新", "Refresh"));
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(refresh, &QAction::triggered, this, &WindowShell::refreshRequested);
    QAction* settings = appMenu->addAction(menuText(m_copy.text("接続状態と設定…", "Connection & settings…")));
    settings->setObjectName(QStringLiteral("mainMenuSettings"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::PreferencesRole);
    connect(settings, &QAction::triggered, this, &WindowShell::settingsRequested);
    appMenu->addSeparator();
    QAction* quit = appMenu->addAction(m_copy.text("VODU を終了", "Quit VODU"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &WindowShell::quitRequested);

    QMenu* fileMenu = bar->addMenu(m_copy.text("ファイル", "File"));
    QAction* close = fileMenu->addAction(m_copy.text("ウインドウを閉じる", "Close Window"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, [] {
        if (QWidget* active = QApplication::activeWindow()) {
            active->close();
        }
    });

    QMenu* editMenu = bar->addMenu(m_copy.text("編集", "Edit"));
    QAction* find = editMenu->addAction(m_copy.text("会話を検索", "Search sessions"));
    find->setObjectName(QStringLiteral("mainMenuFind"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, &WindowShell::focusSearch);
    editMenu->addSeparator();
    const struct {
        const char* japanese;
        const char* english;
        QKeySequence::StandardKey key;
        const char* slot;
    } editItems[] = {
        {"カット", "Cut", QKeySequence::Cut, "cut"},
        {"コピー", "Copy", QKeySequence::Copy, "copy"},
        {"ペースト", "Paste", QKeySequence::Paste, "paste"},
        {"すべて選択", "Select All", QKeySequence::SelectAll, "selectAll"},
    };
    for (const auto& item : editItems) {
        QAction* action = editMenu->addAction(m_copy.text(item.japanese, item.english));
        action->setShortcut(item.key);
        const char* slot = item.slot;
        connect(action, &QAction::triggered, this, [slot] { sendToFocusedView(slot); });
    }
}
