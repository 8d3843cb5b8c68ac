// The launch sequence, the single instance and showing the window.
#include "app/AppDelegate.h"

#include "app/InstanceChannel.h"
#include "host/HostLaunch.h"
#include "host/HostLink.h"
#include "overview/AutostartEntry.h"
#include "platform/Platform.h"
#include "ui/WindowShell.h"
#include "update/UpdateController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QMainWindow>
#include <QSignalBlocker>

void AppDelegate::applicationDidFinishLaunching(const QStringList& arguments) {
    if (activateExistingInstance()) {
        return;
    }
    setActivationPolicy(ActivationPolicy::accessory);
    listenForShowWindow();
    const std::optional<QString> fixture = fixturePath(arguments);
    // The service takes longer to start than the window to build: started first, the two overlap.
    const bool hostStartedEarly = !fixture && startHostBeforeWindow();
    buildWindow();
    buildStatusItem();
    // Started at login: the tray item is enough, when there is a tray to find it in.
    if (!arguments.contains(QLatin1String(AutostartEntry::kLaunchArgument)) || !platform().trayAvailable()) {
        showWindow();
    }

    if (fixture) {
        setFixtureMode(true);
        loadFixture(*fixture);
    } else {
        if (hostStartedEarly) {
            presentHostStart();
            // A host still starting asks for it itself once it has started.
            if (m_link->hostIsRunning()) {
                runAction(m_context, QStringLiteral("refresh"));
            }
        } else {
            startHost();
        }
        m_link->startStatusWatchdog();
    }
    if (m_update->desktopInstallError()) {
        m_update->showInstallError();
    }
}

std::optional<QString> AppDelegate::fixturePath(const QStringList& arguments) const {
    const qsizetype fixtureFlag = arguments.indexOf(QStringLiteral("--status-fixture"));
    if (fixtureFlag >= 0 && fixtureFlag + 1 < arguments.size()) {
        return arguments.at(fixtureFlag + 1);
    }
    return platform().bundleString(QStringLiteral("VODUPreviewFixturePath"));
}

bool AppDelegate::startHostBeforeWindow() {
    const QString bundleDirectory = platform().bundleDirectory();
    if (!HostPaths::inBundle(bundleDirectory).hostFilesPresent()) {
        return false; // said on screen by startHost once there is a window
    }
    {
        // Nothing is on screen yet: the start is presented once the window is built, and a start that failed is
        // tried again there, where its message can be shown.
        const QSignalBlocker quiet(m_link.get());
        m_link->launch(bundleDirectory);
    }
    return m_link->hasProcess();
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
            if (!self || self->m_approvedQuit) {
                return false; // leaving: the asking launch waits for this process to end
            }
            self->showWindow();
            return true;
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

void AppDelegate::toggleWindow() {
    QMainWindow* window = m_shell->window();
    if (window && window->isVisible() && window->isActiveWindow() && !window->isMinimized()) {
        windowShouldClose(); // as closing it: hidden to the tray
        return;
    }
    showWindow();
}

void AppDelegate::setActivationPolicy(ActivationPolicy policy) {
    m_activationPolicy = policy;
}
