// Quitting without cutting off the host's running tasks; closing the window only hides it.
#include "app/AppDelegate.h"

#include "platform/Platform.h"

#include <QLocalServer>
#include <QMainWindow>
#include <QTimer>

void AppDelegate::requestQuit() {
    if (quitInFlight) {
        return;
    }
    if (activeTaskCount >= 1) {
        const QString count = QString::number(activeTaskCount);
        AlertRequest alert;
        alert.style = AlertRequest::Style::warning;
        alert.message = copy.text("実行中のタスクがあります", "Tasks are still running");
        alert.informativeText =
            copy.japanese ? QStringLiteral("VODU を終了すると、") + count +
                                QStringLiteral(" 件の実行中タスクに影響する可能性があります。終了しますか？")
                          : QStringLiteral("Quitting VODU may affect ") + count +
                                QStringLiteral(" active task(s). Do you want to quit?");
        alert.buttons = {copy.text("キャンセル", "Cancel"), copy.text("VODU を終了", "Quit VODU")};
        if (platform().runAlert(alert, window).button != 1) {
            return;
        }
    }
    if (!fixtureMode && hostIsRunning()) {
        quitInFlight = true;
        const QPointer<AppDelegate> self(this);
        runAction(QStringLiteral("quit"), activeTaskCount > 0, [self](bool ok) {
            if (!self) {
                return;
            }
            self->quitInFlight = false;
            if (ok) {
                self->approvedQuit = true;
                self->terminate();
            } else {
                self->showWindow(); // the footer already holds the reason
            }
        });
        return;
    }
    approvedQuit = true;
    terminate();
}

void AppDelegate::terminate() {
    if (applicationShouldTerminate()) {
        platform().terminateApplication();
    }
}

bool AppDelegate::applicationShouldTerminate() {
    if (approvedQuit) {
        if (statusWatchdog) {
            statusWatchdog->stop();
        }
        if (m_showWindowServer) {
            m_showWindowServer->close();
        }
        return true;
    }
    const QPointer<AppDelegate> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) {
            self->requestQuit();
        }
    });
    return false;
}

bool AppDelegate::windowShouldClose() {
    if (window) {
        window->hide();
    }
    setActivationPolicy(ActivationPolicy::accessory);
    return false;
}
