// Quitting without cutting off the host's running tasks; closing the window only hides it.
#include "app/AppDelegate.h"

#include "host/HostLink.h"
#include "platform/Platform.h"
#include "ui/WindowShell.h"

#include <QLocalServer>
#include <QMainWindow>
#include <QTimer>

void AppDelegate::requestQuit() {
    if (m_linkState.quitInFlight) {
        // A host that stopped answering would otherwise keep the app from ever quitting.
        if (!m_linkState.fixtureMode && m_link->statusIsStale()) {
            offerQuitAnyway();
        }
        return;
    }
    if (m_linkState.activeTaskCount >= 1) {
        const QString count = QString::number(m_linkState.activeTaskCount);
        AlertRequest alert;
        alert.style = AlertRequest::Style::warning;
        alert.message = m_copy.text("実行中のタスクがあります", "Tasks are still running");
        alert.informativeText = m_copy.japanese
                                    ? QStringLiteral("VODU を終了すると、") + count +
                                          QStringLiteral(" 件の実行中タスクに影響する可能性があります。終了しますか？")
                                    : QStringLiteral("Quitting VODU may affect ") + count +
                                          QStringLiteral(" active task(s). Do you want to quit?");
        alert.buttons = {m_copy.text("キャンセル", "Cancel"), m_copy.text("VODU を終了", "Quit VODU")};
        if (platform().runAlert(alert, window()).button != 1) {
            return;
        }
    }
    if (!m_linkState.fixtureMode && m_link->hostIsRunning()) {
        m_linkState.quitInFlight = true;
        const QPointer<AppDelegate> self(this);
        runAction(m_context, QStringLiteral("quit"), m_linkState.activeTaskCount > 0, [self](bool ok) {
            if (!self) {
                return;
            }
            self->m_linkState.quitInFlight = false;
            if (ok) {
                self->m_approvedQuit = true;
                self->terminate();
            } else {
                self->m_shell->holdFooterText(); // the footer already holds the reason
                self->showWindow();
            }
        });
        return;
    }
    m_approvedQuit = true;
    terminate();
}

void AppDelegate::offerQuitAnyway() {
    AlertRequest alert;
    alert.style = AlertRequest::Style::warning;
    alert.message = m_copy.text("サービスが応答していません", "The service is not responding");
    alert.informativeText = m_copy.text("サービスは終了の要求に応答していません。このまま VODU を終了しますか？",
                                        "The service has not answered the request to quit. Quit VODU anyway?");
    alert.buttons = {m_copy.text("キャンセル", "Cancel"), m_copy.text("このまま終了", "Quit anyway")};
    if (platform().runAlert(alert, window()).button != 1 || !m_linkState.quitInFlight) {
        return; // cancelled, or the host answered meanwhile
    }
    m_link->closeInput();
    m_approvedQuit = true;
    terminate();
}

void AppDelegate::terminate() {
    if (applicationShouldTerminate()) {
        platform().terminateApplication();
    }
}

bool AppDelegate::applicationShouldTerminate() {
    if (m_approvedQuit) {
        m_link->stopStatusWatchdog();
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
    // With no tray a hidden window leaves nothing to come back to: closing it is quitting.
    if (!platform().trayAvailable()) {
        requestQuit();
        return false;
    }
    if (QMainWindow* shown = window()) {
        shown->hide();
    }
    setActivationPolicy(ActivationPolicy::accessory);
    return false;
}
