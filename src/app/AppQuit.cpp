// Quitting without cutting off the host's running tasks; closing the window only hides it. One request sends at most
// one "quit"; once a quit is approved the host's input is closed, it gets a short while to finish, and the app ends.
#include "app/AppDelegate.h"

#include "host/HostLink.h"
#include "platform/Platform.h"
#include "ui/WindowShell.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace {

// A second Quit offers "Quit anyway" once the first has waited this long for the host's answer.
constexpr qint64 kQuitAnywayAfterMs = 5000;
// From the first signal to the end of the process, the host's finishing included.
constexpr int kSignalExitBudgetMs = 4500;

} // namespace

void AppDelegate::requestQuit() {
    if (m_approvedQuit) {
        return; // closing the windows is part of the quit already approved
    }
    if (m_linkState.quitInFlight) {
        // A host that does not answer would otherwise keep the app from ever quitting.
        if (!m_linkState.fixtureMode && (quitHasWaited() || m_link->statusIsStale())) {
            offerQuitAnyway();
        }
        return;
    }
    if (m_linkState.activeTaskCount >= 1 && !confirmQuitWithRunningTasks()) {
        return;
    }
    if (m_approvedQuit || m_linkState.quitInFlight) {
        return; // a signal's quit went ahead while the alert was open
    }
    if (!m_linkState.fixtureMode && m_link->hostIsRunning()) {
        sendQuit(m_linkState.activeTaskCount > 0);
        return;
    }
    approveQuit();
}

bool AppDelegate::confirmQuitWithRunningTasks() {
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
    return platform().runAlert(alert, window()).button == 1;
}

void AppDelegate::sendQuit(bool force) {
    m_linkState.quitInFlight = true;
    m_quitSentAt = platform().now();
    const QPointer<AppDelegate> self(this);
    runAction(m_context, QStringLiteral("quit"), force, [self](bool ok) {
        if (!self || self->m_approvedQuit) {
            return;
        }
        self->m_linkState.quitInFlight = false;
        self->m_quitSentAt.reset();
        // A quit the system asked for ends the app whatever the host answered.
        if (ok || self->m_quitOnSignal) {
            self->approveQuit();
            return;
        }
        self->m_shell->holdFooterText(); // the footer already holds the reason
        self->showWindow();
    });
}

bool AppDelegate::quitHasWaited() const {
    return m_quitSentAt && m_quitSentAt->msecsTo(platform().now()) >= kQuitAnywayAfterMs;
}

void AppDelegate::quitOnSignal() {
    if (m_quitOnSignal || m_approvedQuit) {
        return; // one flow, however many signals arrive
    }
    m_quitOnSignal = true;
    m_signalExitDeadline.setRemainingTime(kSignalExitBudgetMs);
    // The system asks, not a person: no confirmation, and the host decides for itself once its input ends.
    if (m_linkState.fixtureMode || !m_link->hostIsRunning()) {
        approveQuit();
        return;
    }
    if (!m_linkState.quitInFlight) {
        sendQuit(false);
    }
    const QPointer<AppDelegate> self(this);
    QTimer::singleShot(m_signalAnswerWaitMs, this, [self] {
        if (self) {
            self->approveQuit();
        }
    });
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
    approveQuit();
}

void AppDelegate::approveQuit() {
    if (m_approvedQuit) {
        return;
    }
    m_approvedQuit = true;
    m_link->stopStatusWatchdog();
    // Nothing frozen stays on screen while the host finishes.
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        shown->hide();
    }
    // The end of its input is the host's signal to clean up and leave; it is never killed.
    m_link->closeInput();
    if (!m_link->hostIsRunning()) {
        terminate();
        return;
    }
    // The event loop keeps running meanwhile, so a second launch still finds this instance, and learns it is leaving.
    int waitMs = m_link->hostExitWait();
    if (m_quitOnSignal) {
        waitMs = std::min<int>(waitMs, static_cast<int>(m_signalExitDeadline.remainingTime()));
    }
    m_link->setHostExitWait(0); // waited for here: the link's end does not wait again
    connect(m_link.get(), &HostLink::ended, this, &AppDelegate::terminate);
    QTimer::singleShot(std::max(waitMs, 0), this, &AppDelegate::terminate);
}

void AppDelegate::terminate() {
    if (!applicationShouldTerminate() || m_terminated) {
        return;
    }
    m_terminated = true;
    platform().terminateApplication();
}

bool AppDelegate::applicationShouldTerminate() {
    if (m_approvedQuit) {
        m_link->stopStatusWatchdog();
        // The instance channel stays open until the process exits: a launch meanwhile is told this one is leaving.
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
    if (m_approvedQuit) {
        return true; // part of quitting, not a new request
    }
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
