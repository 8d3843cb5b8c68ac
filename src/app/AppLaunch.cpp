// The launch sequence, the single instance and showing the window.
#include "app/AppDelegate.h"

#include "app/InstanceChannel.h"
#include "host/HostLink.h"
#include "overview/AutostartEntry.h"
#include "platform/Platform.h"
#include "ui/WindowShell.h"
#include "update/UpdateController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QMainWindow>

void AppDelegate::applicationDidFinishLaunching(const QStringList& arguments) {
    if (activateExistingInstance()) {
        return;
    }
    setActivationPolicy(ActivationPolicy::accessory);
    listenForShowWindow();
    buildWindow();
    m_shell->installMainMenu();
    buildStatusItem();
    // Started at login: the tray item is enough, when there is a tray to find it in.
    if (!arguments.contains(QLatin1String(AutostartEntry::kLaunchArgument)) || !platform().trayAvailable()) {
        showWindow();
    }

    bool previewLoaded = false;
    const qsizetype fixtureFlag = arguments.indexOf(QStringLiteral("--status-fixture"));
    if (fixtureFlag >= 0 && fixtureFlag + 1 < arguments.size()) {
        setFixtureMode(true);
        loadFixture(arguments.at(fixtureFlag + 1));
        previewLoaded = true;
    } else if (const std::optional<QString> path = platform().bundleString(QStringLiteral("VODUPreviewFixturePath"))) {
        setFixtureMode(true);
        loadFixture(*path);
        previewLoaded = true;
    }
    if (!previewLoaded) {
        startHost();
        m_link->startStatusWatchdog();
    }
    if (m_update->desktopInstallError()) {
        m_update->showInstallError();
    }
}

QString AppDelegate::showWindowNotification() const {
    if (const std::optional<QString> identifier = platform().bundleIdentifier()) {
        return *identifier + QStringLiteral(".showWindow");
    }
    return QStringLiteral("com.zuzi.vodu.unbundled.") + QString::number(platform().processId()) +
           QStringLiteral(".showWindow");
}

bool AppDelegate::activateExistingInstance() {
    if (!platform().bundleIdentifier()) {
        return false;
    }
    switch (InstanceChannel::askToShowWindow(showWindowNotification(), platform().processId())) {
    case InstanceChannel::AskResult::noPeer:
    case InstanceChannel::AskResult::refused:
        return false;
    case InstanceChannel::AskResult::activated:
        break;
    }
    m_approvedQuit = true;
    terminate();
    return true;
}

void AppDelegate::listenForShowWindow() {
    const QPointer<AppDelegate> self(this);
    const QString executableName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    m_showWindowServer =
        InstanceChannel::listen(showWindowNotification(), platform().processId(), executableName, this, [self] {
            if (self) {
                self->showWindow();
            }
        });
}

void AppDelegate::showWindow() {
    setActivationPolicy(ActivationPolicy::regular);
    QMainWindow* window = m_shell->window();
    if (!window) {
        return;
    }
    if (window->isMinimized()) {
        window->showNormal();
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (QWidget* focused = window->focusWidget()) {
        focused->clearFocus();
    }
}

void AppDelegate::setActivationPolicy(ActivationPolicy policy) {
    m_activationPolicy = policy;
}
