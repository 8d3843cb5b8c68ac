// Stopping another service instance that holds our connection, then starting the host in its place.
#include "app/AppDelegate.h"

#include "host/ConflictStop.h"
#include "host/HostLaunch.h"
#include "platform/Platform.h"

#include <QMainWindow>
#include <QProcess>
#include <QPushButton>

void AppDelegate::wireConflictStop() {
    if (stopConflictButton) {
        connect(stopConflictButton, &QPushButton::clicked, this, &AppDelegate::confirmStopConflicts,
                Qt::UniqueConnection);
    }
}

void AppDelegate::confirmStopConflicts() {
    if (resolvingConflict || conflictingProcesses.isEmpty()) {
        return;
    }
    stopConflicts(conflictingProcesses, false);
}

void AppDelegate::stopConflicts(const QList<QJsonObject>& conflicts, bool force) {
    AlertRequest alert;
    alert.style = AlertRequest::Style::warning;
    alert.message = stopAlertMessage(force, copy);
    alert.informativeText = stopAlertInformativeText(conflicts, copy);
    alert.buttons = {copy.text("キャンセル", "Cancel"), stopAlertConfirmTitle(force, copy)};
    if (platform().runAlert(alert, window).button != 1) {
        return;
    }
    resolvingConflict = true;
    if (stopConflictButton) {
        stopConflictButton->setEnabled(false);
    }

    const HostPaths paths = HostPaths::inBundle(platform().bundleDirectory());
    auto* stopper = new QProcess(this);
    stopper->setProgram(paths.runtime);
    stopper->setArguments({paths.stopScript});
    stopper->setProcessEnvironment(platform().processEnvironment());
    stopper->setStandardErrorFile(QProcess::nullDevice());

    const QPointer<AppDelegate> self(this);
    const auto settle = [self] {
        self->resolvingConflict = false;
        if (self->stopConflictButton) {
            self->stopConflictButton->setEnabled(true);
        }
    };
    connect(stopper, &QProcess::finished, this,
            [self, stopper, force, settle](int exitCode, QProcess::ExitStatus status) {
                const QByteArray output = stopper->readAllStandardOutput();
                stopper->deleteLater();
                if (!self) {
                    return;
                }
                settle();
                const StopVerdict verdict = stopVerdict(status == QProcess::NormalExit, exitCode, output, force);
                switch (verdict.outcome) {
                case StopOutcome::startHost:
                    self->startHost();
                    break;
                case StopOutcome::forceRemaining:
                    self->stopConflicts(verdict.remaining, true);
                    break;
                case StopOutcome::couldNotStop:
                case StopOutcome::identityUnverified:
                    self->setFooterText(stopFooterText(verdict.outcome, self->copy));
                    break;
                }
            });
    connect(stopper, &QProcess::errorOccurred, this, [self, stopper, settle](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) {
            return; // a write or read problem shows up as the script's answer
        }
        stopper->deleteLater();
        if (!self) {
            return;
        }
        settle();
        self->setFooterText(self->copy.text("停止処理を開始できませんでした", "Could not start the stop request"));
    });

    stopper->start(QIODevice::ReadWrite);
    if (stopper->state() == QProcess::NotRunning) {
        return; // the start failure was already reported
    }
    // Written while starting is buffered and delivered once the script runs; closing then ends its input.
    const QByteArray request = stopRequest(conflicts, force);
    if (stopper->write(request) != request.size()) {
        stopper->disconnect(this);
        stopper->kill();
        stopper->deleteLater();
        settle();
        setFooterText(copy.text("停止処理を開始できませんでした", "Could not start the stop request"));
        return;
    }
    stopper->closeWriteChannel();
}
