// Noticing a silent or lost host and saying so in every view that would otherwise show old facts.
#include "app/AppDelegate.h"

#include "host/StatusFreshness.h"
#include "platform/Platform.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

void AppDelegate::startStatusWatchdog() {
    if (statusWatchdog) {
        statusWatchdog->stop();
        statusWatchdog->deleteLater();
    }
    auto* timer = new QTimer(this);
    timer->setInterval(kStatusWatchdogInterval);
    const QPointer<AppDelegate> self(this);
    connect(timer, &QTimer::timeout, this, [self] {
        if (self) {
            self->checkStatusFreshness();
        }
    });
    timer->start();
    statusWatchdog = timer;
}

void AppDelegate::checkStatusFreshness() {
    if (fixtureMode || !hostIsRunning()) {
        return;
    }
    const std::optional<QDateTime> reference = lastStatusReceivedAt ? lastStatusReceivedAt : hostStartedAt;
    if (!reference) {
        return;
    }
    if (statusIsStale(*reference, platform().now())) {
        renderStale(copy.text("サービスから最新状態を受信できません", "No recent status from service"));
    }
}

void AppDelegate::renderStale(const QString& message) {
    connectionSummary->setText(copy.text("接続を確認してください", "Connection needs attention"));
    connectionSummary->setTone(Tone::warning);
    if (!connected) {
        return;
    }
    connected = false;
    const QString unknown = copy.text("状態を確認できません", "Status unknown");
    for (StatusRow* row : {accountRow, codexRow, claudeRow}) {
        row->render(unknown, Tone::neutral);
        row->action()->hide();
    }
    connectionRow->render(message, Tone::warning);
    connectionRow->action()->setText(copy.text("再接続", "Reconnect"));
    connectionRow->action()->setHidden(fixtureMode);
    tasksLabel->setText(copy.text("タスクの状態を確認できません", "Task status unknown"));
    webButton->setEnabled(false);
    copyButton->setEnabled(false);
    updateDot->setColor(Theme::tertiaryLabel);
    updateLabel->setText(unknown);
    updateButton->setEnabled(false);
    setFooterText(message);
    updateMenuStatus(message);
    renderSelectedSession();
}

void AppDelegate::renderDisconnected(const QString& message) {
    setDeliveryHomeDisconnected(message);
    connectionSummary->setText(copy.text("未接続 · 詳細を確認", "Not connected · View details"));
    connectionSummary->setTone(Tone::bad);
    connected = false;
    webRoot.reset();
    activeTaskCount = 0;

    connectionRow->render(message, Tone::bad);
    connectionRow->action()->setText(copy.text("サービスを開始", "Start service"));
    connectionRow->action()->setHidden(fixtureMode);
    const QString unavailable = copy.text("利用できません", "Unavailable");
    for (StatusRow* row : {accountRow, claudeRow, codexRow}) {
        row->render(unavailable, Tone::neutral);
        row->action()->hide();
    }
    serviceLabel->setText(message);
    lastSuccessLabel->setText(copy.text("接続履歴は利用できません", "Connection history unavailable"));
    webButton->setEnabled(false);
    copyButton->setEnabled(false);
    tasksLabel->setText(unavailable);
    updateDot->setColor(Theme::tertiaryLabel);
    updateLabel->setText(unavailable);
    updateButton->setEnabled(false);
    pluginSetupButton->setEnabled(false);
    updateMenuStatus(message);
    renderSelectedSession();
}

void AppDelegate::setDeliveryHomeDisconnected(const QString& message) {
    deliveryStateBadge->show();
    deliveryHeadline->setText(copy.text("状態を取得できません", "Status unavailable"));
    deliveryHeadline->show();
    deliveryGoal->clear();
    deliveryState->setText(copy.text("未接続", "Disconnected"));
    deliveryNext->setText(message);
    deliveryNext->show();
    deliveryAttention->hide();
    deliveryPrimary->hide();
    deliveryPrimaryRow->setHidden(originalSessionButton->isHidden());
}

void AppDelegate::hostEnded(int) {
    if (hostIsRunning()) {
        return; // an older host, or a failed write while this host lives
    }
    if (process) {
        process->deleteLater();
    }
    process = nullptr;
    input = nullptr;
    connected = false;
    lastStatusReceivedAt.reset();
    hostStartedAt.reset();
    outputFrames.reset();

    // Taken whole first: a completion may send again, and that command must fail on its own, not be failed twice.
    const QHash<QString, Completion> waiting = std::exchange(pending, {});
    for (const Completion& completion : waiting) {
        if (completion) {
            completion(false, std::nullopt);
        }
    }

    if (restartAfterHostExit) {
        handOverAfterHostExit(); // restart to update: the service is gone, the install process takes over
        return;
    }

    renderDisconnected(hostConflictMessage ? copy.text("別の CLI が実行中です", "Another CLI is running")
                                           : copy.text("サービスとの接続が終了しました", "Service connection ended"));
    if (hostConflictMessage) {
        setFooterText(*hostConflictMessage);
    }
}

void AppDelegate::reconnect() {
    if (!hostIsRunning()) {
        startHost();
        return;
    }
    runAction(QStringLiteral("reconnect"), false);
}
