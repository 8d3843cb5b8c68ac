// Page navigation and the light/dark switch of the main window.
#include "app/AppDelegate.h"

#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollArea>

void AppDelegate::selectSidebarNav(SidebarNavButton* button) {
    if (!button) {
        return;
    }
    homeNavigation->setCurrentIndex(button->property("tag").toInt());
    selectHome();
}

void AppDelegate::selectHome() {
    const bool sessions = homeNavigation->currentIndex() == 0;
    sessionsNav->setSelected(sessions);
    tasksNav->setSelected(!sessions);

    for (QWidget* view :
         {static_cast<QWidget*>(deliveryListScroll), static_cast<QWidget*>(sessionSearch), deliveryHome}) {
        view->setHidden(!sessions);
    }
    // The task views come from the task pages; they are found by name so the window does not depend on their
    // types. Their container is switched with them, so the page takes the whole content area.
    QList<QWidget*> taskViews{tasksLabel, taskDetailHeading, taskFooter, tasksPage};
    for (const char* name : {"taskListScroll", "taskBodyScroll"}) {
        if (auto* view = window->findChild<QWidget*>(QString::fromLatin1(name))) {
            taskViews.append(view);
        }
    }
    for (QWidget* view : taskViews) {
        view->setHidden(sessions);
    }

    const QString count = QString::number(sessions ? sessionCandidates.size() : activeTaskCount);
    tasksLabel->setText(sessions ? copy.text(QStringLiteral("会話 · ") + count + QStringLiteral(" 件"),
                                             QStringLiteral("Sessions · ") + count)
                                 : copy.text(QStringLiteral("タスク · ") + count + QStringLiteral(" 件を実行中"),
                                             QStringLiteral("Tasks · ") + count + QStringLiteral(" running")));
}

void AppDelegate::toggleWindowAppearance() {
    if (appearanceOf(window) == Appearance::dark) {
        setWindowAppearance(window, Appearance::light);
        themeToggle->setSymbol(Symbol::sunMax);
    } else {
        setWindowAppearance(window, Appearance::dark);
        themeToggle->setSymbol(Symbol::moon);
    }
}
