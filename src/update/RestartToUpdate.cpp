// Restart to update: ask the service to quit, wait for it to end, start the install process and exit.
#include "update/UpdateController.h"

#include "context/AppContext.h"
#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/Copy.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "update/InstallProcess.h"
#include "update/MacAppUpdate.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// A status older than this may no longer show what the user decided on.
constexpr qint64 kRestartFreshnessMs = 10000;

void discard(QPointer<QTimer>& timer) {
    if (timer) {
        timer->stop();
        timer->deleteLater();
    }
    timer = nullptr;
}

} // namespace

void UpdateController::showRestartError(const QString& text) {
    m_restartError = text;
    m_updateDot->setColor(Theme::systemRed);
    m_updateLabel->setText(text);
}

void UpdateController::restartToUpdate() {
    const LinkState& link = m_context.link;
    const std::optional<QString> native =
        versionLabelText(m_context.platform.bundleString(QStringLiteral("CFBundleShortVersionString")));
    const bool fresh =
        link.lastStatusReceivedAt && link.lastStatusReceivedAt->msecsTo(m_context.platform.now()) < kRestartFreshnessMs;
    const bool allowed =
        !link.fixtureMode && !link.quitInFlight && link.connected && link.activeTaskCount == 0 && fresh &&
        MacAppUpdate::isNewer(MacAppUpdate::selectedAppVersion(m_context.platform.processEnvironment()), native);
    if (!allowed) {
        showRestartError(m_context.copy.text("状態が変わりました。更新してから再試行してください。",
                                             "Status changed. Refresh and try again."));
        return;
    }

    m_restartError.reset();
    Q_EMIT quitInFlightChanged(true);
    m_updateButton->setEnabled(false);
    m_updateDot->setColor(Theme::accent);
    m_updateLabel->setText(m_context.copy.text("再起動中…", "Restarting…"));
    Q_EMIT statusWatchdogStopRequested();
    const QUuid attempt = QUuid::createUuid();
    m_restartRequest = attempt;

    discard(m_restartTimer);
    auto* guard = new QTimer(this);
    guard->setSingleShot(true);
    guard->setInterval(m_restartGuardInterval);
    connect(guard, &QTimer::timeout, this, [this, attempt] { restartTimedOut(attempt); });
    m_restartTimer = guard;
    guard->start();

    // The host's own refusal text is not shown: the row says what the user can do about it.
    const QPointer<UpdateController> self(this);
    m_context.commands.send(QStringLiteral("quit"), false, std::nullopt, {},
                            [self, attempt](bool ok, const std::optional<QString>&) {
                                if (self) {
                                    self->restartQuitAnswered(attempt, ok);
                                }
                            });
}

void UpdateController::restartTimedOut(const QUuid& attempt) {
    if (m_restartRequest != attempt) {
        return;
    }
    discard(m_restartTimer);
    m_restartRequest.reset();
    Q_EMIT quitInFlightChanged(false);
    showRestartError(m_context.copy.text("サービスの応答がありません。状態を確認して再試行してください。",
                                         "Service did not respond. Check its status and try again."));
    m_updateButton->setEnabled(m_context.link.connected && m_context.link.activeTaskCount == 0);
    Q_EMIT statusWatchdogStartRequested();
}

void UpdateController::restartQuitAnswered(const QUuid& attempt, bool ok) {
    if (m_restartRequest != attempt) {
        return;
    }
    discard(m_restartTimer);
    m_restartRequest.reset();
    if (!ok) {
        Q_EMIT quitInFlightChanged(false);
        m_updateButton->setEnabled(m_context.link.activeTaskCount == 0);
        showRestartError(m_context.copy.text("実行中のタスクがないことを確認して再試行してください。",
                                             "Check that tasks have finished, then try again."));
        Q_EMIT statusWatchdogStartRequested();
        return;
    }
    m_restartAfterHostExit = true;
    m_updateLabel->setText(m_context.copy.text("サービスの終了を待っています…", "Waiting for service to stop…"));
    if (!m_context.link.hostProcessAlive) {
        handOverAfterHostExit(); // the host ended before its answer was handled
    }
    // Otherwise the host's end hands over once the process is gone.
}

bool UpdateController::handOverIfWaiting() {
    if (!m_restartAfterHostExit) {
        return false;
    }
    handOverAfterHostExit(); // restart to update: the service is gone, the install process takes over
    return true;
}

void UpdateController::handOverAfterHostExit() {
    m_restartAfterHostExit = false;
    Q_EMIT statusWatchdogStopRequested();
    if (launchSelectedAfterExit()) {
        m_context.platform.exitProcess(0);
        return;
    }
    restartFailed();
}

bool UpdateController::launchSelectedAfterExit() {
    return launchInstallProcess(m_context.platform.bundleDirectory(), m_context.platform.processEnvironment(),
                                m_context.platform.processId());
}

void UpdateController::restartFailed() {
    Q_EMIT quitInFlightChanged(false);
    Q_EMIT startHostRequested();
    showRestartError(m_context.copy.text("App を再起動できませんでした。VODU をもう一度開いてください。",
                                         "Could not restart the app. Open VODU again."));
    Q_EMIT statusWatchdogStartRequested();
}
