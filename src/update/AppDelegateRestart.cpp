// Restart to update: ask the service to quit, wait for it to end, start the install process and exit.
#include "app/AppDelegate.h"

#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
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

void AppDelegate::restartToUpdate() {
    const std::optional<QString> native =
        versionLabelText(platform().bundleString(QStringLiteral("CFBundleShortVersionString")));
    const bool fresh = lastStatusReceivedAt && lastStatusReceivedAt->msecsTo(platform().now()) < kRestartFreshnessMs;
    const bool allowed =
        !fixtureMode && !quitInFlight && connected && activeTaskCount == 0 && fresh &&
        MacAppUpdate::isNewer(MacAppUpdate::selectedAppVersion(platform().processEnvironment()), native);
    if (!allowed) {
        restartError =
            copy.text("状態が変わりました。更新してから再試行してください。", "Status changed. Refresh and try again.");
        updateDot->setColor(Theme::systemRed);
        updateLabel->setText(*restartError);
        return;
    }

    restartError.reset();
    quitInFlight = true;
    updateButton->setEnabled(false);
    updateDot->setColor(Theme::accent);
    updateLabel->setText(copy.text("再起動中…", "Restarting…"));
    discard(statusWatchdog);
    const QUuid attempt = QUuid::createUuid();
    restartRequest = attempt;

    const QPointer<AppDelegate> self(this);
    discard(restartTimer);
    auto* guard = new QTimer(this);
    guard->setSingleShot(true);
    guard->setInterval(restartGuardInterval);
    connect(guard, &QTimer::timeout, this, [self, attempt] {
        if (self) {
            self->restartTimedOut(attempt);
        }
    });
    restartTimer = guard;
    guard->start();

    // The host's own refusal text is not shown: the row says what the user can do about it.
    send(QStringLiteral("quit"), false, std::nullopt, {}, [self, attempt](bool ok, const std::optional<QString>&) {
        if (self) {
            self->restartQuitAnswered(attempt, ok);
        }
    });
}

void AppDelegate::restartTimedOut(const QUuid& attempt) {
    if (restartRequest != attempt) {
        return;
    }
    discard(restartTimer);
    restartRequest.reset();
    quitInFlight = false;
    restartError = copy.text("サービスの応答がありません。状態を確認して再試行してください。",
                             "Service did not respond. Check its status and try again.");
    updateDot->setColor(Theme::systemRed);
    updateLabel->setText(*restartError);
    updateButton->setEnabled(connected && activeTaskCount == 0);
    startStatusWatchdog();
}

void AppDelegate::restartQuitAnswered(const QUuid& attempt, bool ok) {
    if (restartRequest != attempt) {
        return;
    }
    discard(restartTimer);
    restartRequest.reset();
    if (!ok) {
        quitInFlight = false;
        updateButton->setEnabled(activeTaskCount == 0);
        restartError = copy.text("実行中のタスクがないことを確認して再試行してください。",
                                 "Check that tasks have finished, then try again.");
        updateDot->setColor(Theme::systemRed);
        updateLabel->setText(*restartError);
        startStatusWatchdog();
        return;
    }
    restartAfterHostExit = true;
    updateLabel->setText(copy.text("サービスの終了を待っています…", "Waiting for service to stop…"));
    if (!process) {
        handOverAfterHostExit(); // the host ended before its answer was handled
    }
    // Otherwise hostEnded hands over once the host process is gone.
}

void AppDelegate::handOverAfterHostExit() {
    restartAfterHostExit = false;
    discard(statusWatchdog);
    if (launchSelectedAfterExit()) {
        platform().exitProcess(0);
        return;
    }
    restartFailed();
}

bool AppDelegate::launchSelectedAfterExit() {
    return launchInstallProcess(platform().bundleDirectory(), platform().processEnvironment(), platform().processId());
}

void AppDelegate::restartFailed() {
    quitInFlight = false;
    startHost();
    restartError = copy.text("App を再起動できませんでした。VODU をもう一度開いてください。",
                             "Could not restart the app. Open VODU again.");
    updateDot->setColor(Theme::systemRed);
    updateLabel->setText(*restartError);
    startStatusWatchdog();
}
