// The controller's life: creation, the launch sequence and showing the window.
#include "app/AppDelegate.h"

#include "app/InstanceChannel.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QTimer>

AppDelegate::AppDelegate(std::unique_ptr<Platform> platform, QObject* parent)
    : QObject(parent), desktopInstallError(platform->environmentValue(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"))),
      copy(Copy::fromPreferredLanguages(platform->preferredLanguages())), m_platform(std::move(platform)) {}

AppDelegate::~AppDelegate() {
    // The host sees the end of its input and exits by itself; it is not waited for.
    if (process) {
        process->disconnect(this);
        process->closeWriteChannel();
    }
    delete window.data();
    delete statusMenu;
}

void AppDelegate::applicationDidFinishLaunching(const QStringList& arguments) {
    if (activateExistingInstance()) {
        return;
    }
    setActivationPolicy(ActivationPolicy::accessory);
    listenForShowWindow();
    buildWindow();
    installMainMenu();
    buildStatusItem();
    showWindow();

    bool previewLoaded = false;
    const qsizetype fixtureFlag = arguments.indexOf(QStringLiteral("--status-fixture"));
    if (fixtureFlag >= 0 && fixtureFlag + 1 < arguments.size()) {
        fixtureMode = true;
        loadFixture(arguments.at(fixtureFlag + 1));
        previewLoaded = true;
    } else if (const std::optional<QString> path = platform().bundleString(QStringLiteral("VODUPreviewFixturePath"))) {
        fixtureMode = true;
        loadFixture(*path);
        previewLoaded = true;
    }
    if (!previewLoaded) {
        startHost();
        startStatusWatchdog();
    }
    if (desktopInstallError) {
        showInstallError();
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
    approvedQuit = true;
    terminate();
    return true;
}

void AppDelegate::listenForShowWindow() {
    const QPointer<AppDelegate> self(this);
    const QString executableName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    m_showWindowServer = InstanceChannel::listen(showWindowNotification(), platform().processId(), executableName,
                                                 this, [self] {
                                                     if (self) {
                                                         self->showWindowFromNotification();
                                                     }
                                                 });
}

void AppDelegate::showWindowFromNotification() { showWindow(); }

void AppDelegate::showWindow() {
    setActivationPolicy(ActivationPolicy::regular);
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

void AppDelegate::setActivationPolicy(ActivationPolicy policy) { m_activationPolicy = policy; }
