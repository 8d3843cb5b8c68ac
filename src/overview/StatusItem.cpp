// The tray item and its menu, and the web address actions.
#include "overview/OverviewController.h"

#include "context/AppContext.h"
#include "ui/Copy.h"

#include "platform/Platform.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/MenuText.h"
#include "ui/Symbols.h"
#include "ui/ViewFactory.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// How often a missing tray is looked for again: a panel may start after us, or restart.
constexpr int kTrayCheckMs = 2000;

// The tray glyph: the full-colour mark, 18 x 18. Linux panels are light or dark whatever our window shows and do
// not tint template images, so a one-colour glyph would vanish on one of them.
QIcon trayIcon() {
    return QIcon(appMark(18, false, QColor()));
}

} // namespace

void OverviewController::buildStatusItem() {
    m_statusMenu = new QMenu();
    m_statusMenu->setObjectName(QStringLiteral("statusMenu"));
    m_menuStatus = m_statusMenu->addAction(m_context.copy.text("状態を確認中…", "Checking status…"));
    m_menuStatus->setObjectName(QStringLiteral("menuStatus"));
    m_menuStatus->setEnabled(false);
    QAction* settings =
        m_statusMenu->addAction(menuText(m_context.copy.text("接続状態と設定…", "Connection & settings…")));
    settings->setObjectName(QStringLiteral("menuSettings"));
    connect(settings, &QAction::triggered, this, [this] { showStatusPanel(); });
    m_statusMenu->addSeparator();
    QAction* show = m_statusMenu->addAction(m_context.copy.text("VODU を表示", "Show VODU"));
    show->setObjectName(QStringLiteral("menuShowWindow"));
    connect(show, &QAction::triggered, this, [this] { Q_EMIT showWindowRequested(); });
    QAction* refreshAction = m_statusMenu->addAction(m_context.copy.text("更新", "Refresh"));
    refreshAction->setObjectName(QStringLiteral("menuRefresh"));
    refreshAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(refreshAction, &QAction::triggered, this, [this] { runAction(m_context, QStringLiteral("refresh")); });
    m_statusMenu->addSeparator();
    QAction* quitAction = m_statusMenu->addAction(m_context.copy.text("VODU を終了", "Quit VODU"));
    quitAction->setObjectName(QStringLiteral("menuQuit"));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, this, [this] { Q_EMIT quitRequested(); });

    m_statusItem = new QSystemTrayIcon(this);
    m_statusItem->setObjectName(QStringLiteral("statusItem"));
    m_statusItem->setIcon(trayIcon());
    m_statusItem->setToolTip(QStringLiteral("VODU"));
    m_statusItem->setContextMenu(m_statusMenu);
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            // A left click toggles the window, as tray items on Linux do.
            Q_EMIT windowToggleRequested();
        }
    });
    // A tray that appears later (a panel started after the app) still gets the item; once shown, the check stops,
    // so an idle app does not wake up for it.
    auto* trayCheck = new QTimer(this);
    const auto showWhenTrayIsThere = [this, trayCheck] {
        if (m_statusItem && !m_statusItem->isVisible() && m_context.platform.trayAvailable()) {
            m_statusItem->show();
        }
        if (!m_statusItem || m_statusItem->isVisible()) {
            trayCheck->stop();
        }
    };
    connect(trayCheck, &QTimer::timeout, this, showWhenTrayIsThere);
    trayCheck->start(kTrayCheckMs);
    showWhenTrayIsThere();
}

void OverviewController::updateMenuStatus(const QString& title) {
    if (m_menuStatus) {
        m_menuStatus->setText(plainMenuText(title));
    }
    if (m_statusItem) {
        m_statusItem->setToolTip(plainToolTip(QStringLiteral("VODU · ") + title));
    }
}

void OverviewController::openWeb() {
    if (m_webRoot) {
        m_context.platform.openUrl(*m_webRoot);
    }
}

void OverviewController::copyWebURL() {
    if (!m_webRoot) {
        return;
    }
    m_context.platform.setClipboardText(m_webRoot->toString());
    m_context.feedback.setFooterText(m_context.copy.text("コピーしました", "Copied"));
}

OverviewController::OverviewController(AppContext& context, LinkState& state, QObject* parent)
    : QObject(parent), m_context(context), m_state(state) {}

// The tray menu has no parent widget; it goes with its owner.
OverviewController::~OverviewController() {
    delete m_statusMenu;
}

ConnectionButton* OverviewController::buildConnectionSummary(QWidget* parent) {
    m_connectionSummary = named(new ConnectionButton(parent), "connectionSummary");
    m_connectionSummary->setText(m_context.copy.text("接続を確認中…", "Checking connection…"));
    m_connectionSummary->setAccessibleName(
        m_context.copy.text("接続状態と設定を開く", "Open connection status and settings"));
    connect(m_connectionSummary, &QAbstractButton::clicked, this, [this] { showStatusPanel(); });
    return m_connectionSummary;
}

QPushButton* OverviewController::buildWebButton(QWidget* parent) {
    auto* web = named(new FlatOutlineButton(m_context.copy.text("ワークスペースを開く", "Open workspace"), parent),
                      "webButton");
    web->setTrailingSymbol(Symbol::arrowUpRight);
    connect(web, &QPushButton::clicked, this, [this] { openWeb(); });
    m_webButton = web;
    return web;
}

bool OverviewController::showTrayMessage(const QString& title, const QString& body) {
    if (!m_statusItem || !QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages()) {
        return false;
    }
    m_statusItem->showMessage(title, body, QSystemTrayIcon::Information);
    return true;
}
