// Commands to the host, the freshness watchdog and the end of a host.
#include "host/HostLink.h"

#include "context/LinkState.h"
#include "host/CommandEnvelope.h"
#include "host/StatusFreshness.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

#include <QProcess>
#include <QTimer>

namespace {

// The most a host that stopped reading is allowed to hold back.
constexpr qint64 kWriteBufferLimit = 1024 * 1024;

} // namespace

void HostLink::send(const QString& action, bool force, const std::optional<QString>& taskKey, const QJsonObject& fields,
                    Completion completion) {
    if (m_abandoned || m_state.fixtureMode || !m_input || !m_process || !hostIsRunning()) {
        if (completion) {
            completion(false, std::nullopt);
        }
        return;
    }
    const QString id = newCommandId();
    const std::optional<QByteArray> line = commandLine(commandEnvelope(id, action, force, taskKey, fields));
    if (!line) {
        // Refused (a non-finite number cannot be written): it still completes, or its buttons would wait for ever.
        if (completion) {
            completion(false, std::nullopt);
        }
        return;
    }
    if (action == u"refresh") {
        // Whoever asks to refresh wants the answer drawn, even when it repeats the last snapshot.
        m_lastStatusFrame.clear();
    }
    // A host that stopped reading does not make the buffer grow without bound.
    if (m_input->bytesToWrite() + line->size() > kWriteBufferLimit) {
        if (completion) {
            completion(false, silentServiceText());
        }
        return;
    }
    if (action == u"task_detail") {
        // Only the newest detail request is worth an answer; the earlier one completes as superseded.
        m_pending.fail(std::exchange(m_taskDetailId, id));
    }
    m_pending.park(id, std::move(completion));
    m_bytesQueued += line->size();
    m_unwritten.push_back({id, m_bytesQueued, QDeadlineTimer(m_writeTimeout)});
    armWriteTimer();
    if (m_input->write(*line) != line->size()) {
        m_pending.fail(id);
        hostEnded(-1);
    }
}

void HostLink::abandonCommands() {
    m_abandoned = true;
    m_pending.failAll();
}

QString HostLink::silentServiceText() const {
    return m_copy.text("サービスの応答がありません。状態を確認して再試行してください。",
                       "Service did not respond. Check its status and try again.");
}

void HostLink::noteWritten(qint64 bytes) {
    m_bytesWritten += bytes;
    while (!m_unwritten.empty() && m_unwritten.front().end <= m_bytesWritten) {
        m_unwritten.pop_front();
    }
    armWriteTimer();
}

void HostLink::failUnwritten() {
    // Each command fails once; its bytes stay queued, and a late result for it is ignored.
    while (!m_unwritten.empty() && m_unwritten.front().deadline.hasExpired()) {
        const QString id = m_unwritten.front().id;
        m_unwritten.pop_front();
        m_pending.fail(id, silentServiceText());
    }
    armWriteTimer();
}

void HostLink::armWriteTimer() {
    if (m_unwritten.empty()) {
        if (m_writeTimer) {
            m_writeTimer->stop();
        }
        return;
    }
    if (!m_writeTimer) {
        m_writeTimer = new QTimer(this);
        m_writeTimer->setSingleShot(true);
        connect(m_writeTimer, &QTimer::timeout, this, &HostLink::failUnwritten);
    }
    m_writeTimer->start(static_cast<int>(m_unwritten.front().deadline.remainingTime()));
}

void HostLink::forgetWrites() {
    m_unwritten.clear();
    m_bytesQueued = 0;
    m_bytesWritten = 0;
    m_taskDetailId.clear();
    armWriteTimer();
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
    if (statusIsStale()) {
        Q_EMIT stale(m_copy.text("サービスから最新状態を受信できません", "No recent status from service"));
    }
}

bool HostLink::statusIsStale() const {
    const std::optional<QDateTime> reference =
        m_state.lastStatusReceivedAt ? m_state.lastStatusReceivedAt : m_hostStartedAt;
    return reference && ::statusIsStale(*reference, m_platform.now());
}

void HostLink::closeInput() {
    if (m_process) {
        m_process->closeWriteChannel();
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
    m_lastStatusFrame.clear();
    forgetWrites();

    m_pending.failAll();
    Q_EMIT ended();
}
