// The host's start and end, preview loading, and the render fan-outs: every area is drawn from one snapshot in one
// fixed order, because later sections overwrite texts that earlier ones wrote.
#include "app/AppDelegate.h"

#include "app/AutomationOutput.h"
#include "delivery/DeliveryController.h"
#include "host/ConflictStopFlow.h"
#include "host/DesktopStatusFrames.h"
#include "host/HostLaunch.h"
#include "host/HostLink.h"
#include "model/SnapshotReading.h"
#include "overview/OverviewController.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/list/NeedsYouNotifier.h"
#include "tasks/TasksController.h"
#include "ui/Theme.h"
#include "ui/WindowShell.h"
#include "update/UpdateController.h"

#include <QJsonDocument>
#include <QMainWindow>

namespace {

// Preview data is one status, so it gets the limit of one status frame; a wrong path (a FIFO, a device, a huge log)
// must not stall the start.
constexpr qint64 kFixtureByteLimit = DesktopStatusFrames::kDefaultMaximumBytes;

std::optional<QJsonObject> readFixture(const QString& path) {
    const std::optional<QByteArray> bytes = readRegularFile(path, kFixtureByteLimit);
    if (!bytes) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

std::optional<QJsonObject> updateOf(const QJsonObject& status) {
    const QJsonValue update = status.value(u"update");
    return update.isObject() ? std::optional<QJsonObject>(update.toObject()) : std::nullopt;
}

} // namespace

void AppDelegate::render(const QJsonObject& status) {
    m_shownStatus = status;
    m_link->noteStatusRendered();
    m_overview->renderSetupAndHooks(status);
    m_delivery->renderDeliveryRuns(arrayAt(objectAt(status, u"deliveryHooks"), u"runs"));
    m_sessions->renderSessionSupervision(status);
    m_overview->renderAccount(status);
    m_tasks->renderTasks(objectAt(status, u"tasks"));
    m_shell->renderTasksCaption();
    m_update->renderUpdate(updateOf(status));
    m_overview->renderSummary(status);
    m_notifier->noteSnapshot();
    m_screenShowsStatus = true;
    mirrorScreen();
}

void AppDelegate::renderRepeatedStatus(const QJsonObject& status) {
    if (m_screenShowsStatus) {
        m_shownStatus = status;
        m_link->noteStatusRendered();
        // The footer still follows each snapshot: it shows the time of the check, and a message held for a while
        // gives way to it once its time is up.
        m_overview->renderSummary(status);
        mirrorScreen();
        return;
    }
    render(status);
}

void AppDelegate::mirrorScreen() {
    if (m_automationOutput) {
        m_automationOutput->noteChange();
    }
}

void AppDelegate::renderWaiting() {
    m_screenShowsStatus = false;
    m_sessions->renderWaiting();
    m_overview->renderWaiting();
    m_shell->setCaption(m_copy.text("状態を確認中…", "Checking status…"));
    m_update->renderWaiting();
    mirrorScreen();
}

void AppDelegate::renderStale(const QString& message) {
    m_screenShowsStatus = false;
    m_overview->renderStaleSummary();
    if (!m_linkState.connected) {
        return;
    }
    m_link->markDisconnected();
    m_overview->renderStale(message);
    m_shell->setCaption(m_copy.text("タスクの状態を確認できません", "Task status unknown"));
    m_update->renderUnknown();
    m_sessions->renderSelectedSession();
    mirrorScreen();
}

void AppDelegate::renderDisconnected(const QString& message) {
    m_screenShowsStatus = false;
    m_sessions->renderDisconnected(message);
    m_link->markDisconnected();
    m_tasks->forgetRunningTasks();
    m_overview->renderDisconnected(message);
    m_shell->setCaption(m_copy.text("利用できません", "Unavailable"));
    m_update->renderUnavailable();
    m_sessions->renderSelectedSession();
    mirrorScreen();
}

void AppDelegate::startHost() {
    if (m_link->hasProcess()) {
        m_context.commands.send(QStringLiteral("reconnect"));
        return;
    }
    presentHostStart();

    const QString bundleDirectory = platform().bundleDirectory();
    if (!HostPaths::inBundle(bundleDirectory).hostFilesPresent()) {
        renderDisconnected(m_copy.text("サービスがインストールされていません", "Service files are missing"));
        return;
    }
    m_link->launch(bundleDirectory);
}

void AppDelegate::presentHostStart() {
    m_conflictStop->reset();
    m_shell->setFooterText(QString());
    renderWaiting();
}

void AppDelegate::reconnect() {
    if (!m_link->hostIsRunning()) {
        startHost();
        return;
    }
    runAction(m_context, QStringLiteral("reconnect"));
}

void AppDelegate::hostEnded() {
    if (m_approvedQuit) {
        return; // the quit's own end: nothing to show
    }
    if (m_update->handOverIfWaiting()) {
        return;
    }
    const std::optional<QString> conflict = m_conflictStop->message();
    renderDisconnected(conflict ? m_copy.text("別の CLI が実行中です", "Another CLI is running")
                                : m_copy.text("サービスとの接続が終了しました", "Service connection ended"));
    if (conflict) {
        m_shell->setFooterText(*conflict);
    }
}

void AppDelegate::showProcessConflict(const QJsonObject& message) {
    m_conflictStop->recordConflict(message);
    renderDisconnected(m_copy.text("別の CLI が実行中です", "Another CLI is running"));
    m_shell->setFooterText(*m_conflictStop->message());
}

void AppDelegate::showNotified(const QString& key) {
    showWindow();
    if (key == u"summary") {
        return;
    }
    m_shell->selectPage(0); // conversations and runs are both on the Sessions page
    if (key.startsWith(u"session:")) {
        m_sessions->selectSession(key.mid(8));
    } else if (key.startsWith(u"run:")) {
        m_sessions->selectRun(key.mid(4));
    }
    // Shown now, whether or not the selection had to change for it.
    m_notifier->noteOpened(m_supervision.selectedSessionIdentity, m_supervision.selectedDeliveryIdentity);
}

void AppDelegate::loadFixture(const QString& path) {
    m_overview->disableActionsForPreview();
    m_shell->setFooterText(m_copy.text("プレビュー用データ", "Preview data"));

    const std::optional<QJsonObject> fixture = readFixture(path);
    if (!fixture) {
        renderDisconnected(m_copy.text("プレビュー用データを読み込めません", "Could not load preview data"));
        return;
    }
    if (const std::optional<QString> appearance = stringAt(*fixture, u"appearance")) {
        setWindowAppearance(window(), *appearance == u"light" ? Appearance::light : Appearance::dark);
    }
    if (const std::optional<QString> session = stringAt(*fixture, u"fixtureSelectedSession")) {
        m_sessions->presetSelection(*session);
    }
    if (boolAt(*fixture, u"fixtureDetailsOpen")) {
        m_delivery->openDetails();
    }
    const QJsonValue status = fixture->value(u"status");
    render(status.isObject() ? status.toObject() : *fixture);
}
