// Stopping another service instance that holds our connection, then starting the host in its place.
#include "host/ConflictStopFlow.h"

#include "context/AppContext.h"
#include "host/ConflictStop.h"
#include "host/HostLaunch.h"
#include "platform/Platform.h"
#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/ViewFactory.h"

#include <QJsonArray>
#include <QProcess>

ConflictStopFlow::ConflictStopFlow(AppContext& context, QObject* parent) : QObject(parent), m_context(context) {}

QPushButton* ConflictStopFlow::buildStopButton(QWidget* parent) {
    auto* button =
        named(new FlatOutlineButton(m_context.copy.text("既存の VODU を停止…", "Stop existing VODU…"), parent),
              "stopConflictButton");
    button->hide();
    connect(button, &QPushButton::clicked, this, &ConflictStopFlow::confirmStopConflicts);
    m_stopConflictButton = button;
    return button;
}

void ConflictStopFlow::recordConflict(const QJsonObject& message) {
    const QJsonValue conflicts = message.value(u"conflicts");
    QList<QJsonObject> processes;
    bool allObjects = conflicts.isArray();
    for (const QJsonValue& element : conflicts.toArray()) {
        allObjects = allObjects && element.isObject();
        processes.append(element.toObject());
    }
    m_conflictingProcesses = allObjects ? processes : QList<QJsonObject>();
    if (m_stopConflictButton) {
        m_stopConflictButton->setHidden(m_conflictingProcesses.isEmpty());
    }
    m_hostConflictMessage = m_context.copy.text(
        "同じ接続先で CLI が実行中です。既存のタスクが完了してから、その CLI "
        "を終了し「サービスを開始」を押してください。",
        "A CLI is already using this connection. Let its tasks finish, stop that CLI, then choose Start service.");
}

void ConflictStopFlow::reset() {
    m_hostConflictMessage.reset();
    m_conflictingProcesses.clear();
    if (m_stopConflictButton) {
        m_stopConflictButton->hide();
    }
}

void ConflictStopFlow::confirmStopConflicts() {
    if (m_resolvingConflict || m_conflictingProcesses.isEmpty()) {
        return;
    }
    stopConflicts(m_conflictingProcesses, false);
}

void ConflictStopFlow::settle() {
    m_resolvingConflict = false;
    if (m_stopConflictButton) {
        m_stopConflictButton->setEnabled(true);
    }
}

void ConflictStopFlow::stopConflicts(const QList<QJsonObject>& conflicts, bool force) {
    const Copy& copy = m_context.copy;
    AlertRequest alert;
    alert.style = AlertRequest::Style::warning;
    alert.message = stopAlertMessage(force, copy);
    alert.informativeText = stopAlertInformativeText(conflicts, copy);
    alert.buttons = {copy.text("キャンセル", "Cancel"), stopAlertConfirmTitle(force, copy)};
    if (m_context.platform.runAlert(alert, m_context.window).button != 1) {
        return;
    }
    m_resolvingConflict = true;
    if (m_stopConflictButton) {
        m_stopConflictButton->setEnabled(false);
    }

    const HostPaths paths = HostPaths::inBundle(m_context.platform.bundleDirectory());
    auto* stopper = new QProcess(this);
    stopper->setProgram(paths.runtime);
    stopper->setArguments({paths.stopScript});
    stopper->setProcessEnvironment(m_context.platform.processEnvironment());
    stopper->setStandardErrorFile(QProcess::nullDevice());

    connect(stopper, &QProcess::finished, this, [this, stopper, force](int exitCode, QProcess::ExitStatus status) {
        const QByteArray output = stopper->readAllStandardOutput();
        stopper->deleteLater();
        settle();
        const StopVerdict verdict = stopVerdict(status == QProcess::NormalExit, exitCode, output, force);
        switch (verdict.outcome) {
        case StopOutcome::startHost:
            Q_EMIT startHostRequested();
            break;
        case StopOutcome::forceRemaining:
            stopConflicts(verdict.remaining, true);
            break;
        case StopOutcome::couldNotStop:
        case StopOutcome::identityUnverified:
            m_context.feedback.setFooterText(stopFooterText(verdict.outcome, m_context.copy));
            break;
        }
    });
    connect(stopper, &QProcess::errorOccurred, this, [this, stopper](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) {
            return; // a write or read problem shows up as the script's answer
        }
        stopper->deleteLater();
        settle();
        m_context.feedback.setFooterText(
            m_context.copy.text("停止処理を開始できませんでした", "Could not start the stop request"));
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
        m_context.feedback.setFooterText(
            copy.text("停止処理を開始できませんでした", "Could not start the stop request"));
        return;
    }
    stopper->closeWriteChannel();
}
