// The tray item, its menu, and the web address actions.
#include "app/AppDelegate.h"

#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>

void AppDelegate::buildStatusItem() {
    statusMenu = new QMenu();
    statusMenu->setObjectName(QStringLiteral("statusMenu"));
    menuStatus = statusMenu->addAction(copy.text("状態を確認中…", "Checking status…"));
    menuStatus->setObjectName(QStringLiteral("menuStatus"));
    menuStatus->setEnabled(false);
    statusMenu->addSeparator();
    connect(statusMenu->addAction(copy.text("VODU を表示", "Show VODU")), &QAction::triggered, this,
            [this] { showWindow(); });
    QAction* refreshAction = statusMenu->addAction(copy.text("更新", "Refresh"));
    refreshAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(refreshAction, &QAction::triggered, this, [this] { refresh(); });
    statusMenu->addSeparator();
    QAction* quitAction = statusMenu->addAction(copy.text("VODU を終了", "Quit VODU"));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, this, [this] { requestQuit(); });

    statusItem = new QSystemTrayIcon(this);
    statusItem->setObjectName(QStringLiteral("statusItem"));
    const QString iconPath = platform().bundleDirectory() + QStringLiteral("/Contents/Resources/VODUMenuTemplate.png");
    statusItem->setIcon(QFile::exists(iconPath) ? QIcon(iconPath) : QApplication::windowIcon());
    statusItem->setToolTip(QStringLiteral("VODU"));
    statusItem->setContextMenu(statusMenu);
    connect(statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            showWindow();
        }
    });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        statusItem->show();
    }
}

void AppDelegate::updateMenuStatus(const QString& title) {
    if (menuStatus) {
        menuStatus->setText(title);
    }
    if (statusItem) {
        statusItem->setToolTip(QStringLiteral("VODU · ") + title);
    }
}

void AppDelegate::openWeb() {
    if (webRoot) {
        platform().openUrl(*webRoot);
    }
}

void AppDelegate::copyWebURL() {
    if (!webRoot) {
        return;
    }
    platform().setClipboardText(webRoot->toString());
    if (footer) {
        footer->setText(copy.text("コピーしました", "Copied"));
    }
}
