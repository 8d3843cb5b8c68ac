// Commands to the host, the freshness watchdog and the end of a host.
#include "host/HostLink.h"

#include "context/LinkState.h"
#include "host/CommandEnvelope.h"
#include "host/StatusFreshness.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

#include <QProcess>
#include <QTimer>

void HostLink::send(const QString& action, bool force, const std::optional<QString>& taskKey, const QJsonObject& fields,
                    Completion completion) {
    if (m_state.fixtureMode || !m_input || !m_process || !hostIsRunning()) {
        if (completion) {
            completion(false, std::nullopt);
        }
        return;
    }
    const QString id = newCommandId();
    const std::optional<QByteArray> line = commandLine(commandEnvelope(id, action, force, taskKey, fields));
    if (!line) {
        return;
    }
    m_pending.park(id, std::move(completion));
    if (m_input->write(*line) != line->size()) {
        m_pending.fail(id);
        hostEnded(-1);
    }
}

void HostLink::startStatusWatchdog() {
    stopStatusWatchdog();
    auto* timer = new QTimer(this);
    timer->setInterval(kStatusWatchdogInterval);
    connect(timer, &QTimer::timeout, this, &HostLink::checkStatusFreshness);
    timer->start();
    m_watchdog = timer;
}

void HostLink::stopStatusWatchdog() {
    if (m_watchdog) {
        m_watchdog->stop();
        m_watchdog->deleteLater();
    }
    m_watchdog = nullptr;
}

void HostLink::checkStatusFreshness() {
    if (m_state.fixtureMode || !hostIsRunning()) {
        return;
    }
    const std::optional<QDateTime> reference =
        m_state.lastStatusReceivedAt ? m_state.lastStatusReceivedAt : m_hostStartedAt;
    if (!reference) {
        return;
    }
    if (statusIsStale(*reference, m_platform.now())) {
        Q_EMIT stale(m_copy.text("サービスから最新状態を受信できません", "No recent status from service"));
    }
}

void HostLink::hostEnded(int) {
    if (hostIsRunning()) {
        return; // an older host, or a failed write while this host lives
    }
    if (m_process) {
        m_process->deleteLater();
    }
    m_process = nullptr;
    m_input = nullptr;
    m_state.hostProcessAlive = false;
    m_state.connected = false;
    m_state.lastStatusReceivedAt.reset();
    m_hostStartedAt.reset();
    m_frames.reset();

    m_pending.failAll();
    Q_EMIT ended();
}
