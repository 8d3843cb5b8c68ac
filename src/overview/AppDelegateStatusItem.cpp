// The tray item and its menu, and the web address actions.
#include "app/AppDelegate.h"

#include "platform/Platform.h"
#include "ui/Symbols.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

// The tray glyph: the bundle's template image, else our drawn mark, 18 x 18. Linux trays do not tint template
// images, so the drawn mark takes the desktop's text colour.
QIcon trayIcon(const QString& bundleDirectory) {
    const QString path = bundleDirectory + QStringLiteral("/Contents/Resources/VODUMenuTemplate.png");
    if (QFile::exists(path)) {
        return QIcon(QPixmap(path).scaled(QSize(36, 36), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return QIcon(appMark(18, true, QApplication::palette().color(QPalette::WindowText)));
}

} // namespace

void AppDelegate::buildStatusItem() {
    statusMenu = new QMenu();
    statusMenu->setObjectName(QStringLiteral("statusMenu"));
    menuStatus = statusMenu->addAction(copy.text("状態を確認中…", "Checking status…"));
    menuStatus->setObjectName(QStringLiteral("menuStatus"));
    menuStatus->setEnabled(false);
    QAction* settings = statusMenu->addAction(copy.text("接続状態と設定…", "Connection & settings…"));
    settings->setObjectName(QStringLiteral("menuSettings"));
    connect(settings, &QAction::triggered, this, [this] { showStatusPanel(); });
    statusMenu->addSeparator();
    QAction* show = statusMenu->addAction(copy.text("VODU を表示", "Show VODU"));
    show->setObjectName(QStringLiteral("menuShowWindow"));
    connect(show, &QAction::triggered, this, [this] { showWindow(); });
    QAction* refreshAction = statusMenu->addAction(copy.text("更新", "Refresh"));
    refreshAction->setObjectName(QStringLiteral("menuRefresh"));
    refreshAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(refreshAction, &QAction::triggered, this, [this] { refresh(); });
    statusMenu->addSeparator();
    QAction* quitAction = statusMenu->addAction(copy.text("VODU を終了", "Quit VODU"));
    quitAction->setObjectName(QStringLiteral("menuQuit"));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, this, [this] { requestQuit(); });

    statusItem = new QSystemTrayIcon(this);
    statusItem->setObjectName(QStringLiteral("statusItem"));
    statusItem->setIcon(trayIcon(platform().bundleDirectory()));
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
    setFooterText(copy.text("コピーしました", "Copied"));
}
