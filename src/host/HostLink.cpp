// Starting the host process, reading its output in order, and routing each message by its "type".
#include "host/HostLink.h"

#include "context/LinkState.h"
#include "host/HostLaunch.h"
#include "host/StatusFreshness.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

#include <QProcess>
#include <QTimer>

#include <vector>

HostLink::HostLink(Platform& platform, const Copy& copy, LinkState& state, QObject* parent)
    : QObject(parent), m_platform(platform), m_copy(copy), m_state(state) {}

namespace {

// Starting is a fork and an exec; this only bounds a platform that hangs in between.
constexpr int kStartWait = 2000;

// Hosts still finishing their clean-up when the app left. Destroying a running QProcess kills its child, so these
// handles are kept for the rest of the process's life.
std::vector<QProcess*>& lingeringHosts() {
    static auto* hosts = new std::vector<QProcess*>;
    return *hosts;
}

} // namespace

HostLink::~HostLink() {
    if (m_process) {
        m_process->disconnect(this);
        letHostFinish(m_process, m_hostExitWait);
    }
}

void HostLink::letHostFinish(QProcess* host, int waitMs) {
    // The host exits by itself once its input ends, after its own clean-up. It gets a short while to do so and is
    // left running after that, never killed.
    host->closeWriteChannel();
    if (host->state() == QProcess::NotRunning || host->waitForFinished(waitMs)) {
        return;
    }
    host->setParent(nullptr);
    lingeringHosts().push_back(host);
}

void HostLink::launch(const QString& bundleDirectory) {
    auto* host = new QProcess(this);
    host->setProgram(HostPaths::inBundle(bundleDirectory).launcher);
    host->setArguments({QStringLiteral("--desktop-host")});
    host->setProcessEnvironment(hostEnvironment(m_platform.processEnvironment()));
    // The host's diagnostics are not shown or kept.
    host->setStandardErrorFile(QProcess::nullDevice());

    // Output is handled on the main thread in the order it was read; the final read happens before the end.
    connect(host, &QProcess::readyReadStandardOutput, this, [this, host] {
        const QByteArray chunk = host->readAllStandardOutput();
        if (!chunk.isEmpty()) {
            consumeOnMain(chunk);
        }
    });
    connect(host, &QProcess::finished, this, [this, host](int exitCode, QProcess::ExitStatus) {
        const QByteArray rest = host->readAllStandardOutput();
        host->deleteLater();
        if (!rest.isEmpty()) {
            consumeOnMain(rest);
        }
        hostEnded(exitCode);
    });
    connect(host, &QProcess::bytesWritten, this, [this, host](qint64 bytes) {
        if (m_process == host) {
            noteWritten(bytes);
        }
    });
    connect(host, &QProcess::started, this, [this, host] { onHostStarted(host); });
    connect(host, &QProcess::errorOccurred, this, [this, host](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || m_process != host) {
            return;
        }
        m_process = nullptr;
        m_input = nullptr;
        m_state.hostProcessAlive = false;
        host->deleteLater();
        Q_EMIT startFailed(m_copy.text("サービスを開始できません", "Could not start service"));
    });

    // The handle is kept from the start request on, so a second start asks this host to reconnect instead.
    m_process = host;
    forgetWrites();
    m_state.hostProcessAlive = true;
    host->start(QIODevice::ReadWrite);
    // Whether the host could be started is settled before the launch returns: a failure is presented before what the
    // caller shows next (an installer error, a failed restart) instead of arriving later and overwriting it.
    host->waitForStarted(kStartWait);
}

void HostLink::onHostStarted(QProcess* host) {
    if (m_process != host) {
        return;
    }
    m_input = host;
    m_state.connected = true;
    m_hostStartedAt = m_platform.now();
    Q_EMIT started();
}

bool HostLink::hostIsRunning() const {
    return m_process && m_process->state() == QProcess::Running;
}

void HostLink::consumeOnMain(QByteArrayView chunk) {
    const QPointer<HostLink> self(this);
    m_frames.consume(
        chunk,
        [self](QByteArrayView frame) {
            if (self) {
                self->handleLine(frame);
            }
        },
        [self] {
            if (self) {
                Q_EMIT self->stale(
                    self->m_copy.text("サービスから大きすぎる応答を受信しました", "Service response was too large"));
            }
        });
}

void HostLink::handleLine(QByteArrayView frame) {
    // A heartbeat usually repeats the last snapshot exactly; comparing bytes is far cheaper than parsing.
    if (!m_lastStatusFrame.isEmpty() && frame == m_lastStatusFrame) {
        m_state.connected = true;
        Q_EMIT statusRepeated(m_lastStatus);
        return;
    }
    const std::optional<QJsonObject> read = m_reader.read(frame);
    if (!read) {
        return;
    }
    const QJsonObject& message = *read;
    const std::optional<QString> type = stringAt(message, u"type");
    if (!type) {
        return;
    }
    if (*type == u"status") {
        const QJsonValue status = message.value(u"status");
        if (status.isObject()) {
            m_state.connected = true;
            const QJsonObject snapshot = status.toObject();
            // A cleared frame (a new host, a refresh the user asked for) draws the next snapshot in full.
            const bool repeats = !m_lastStatusFrame.isEmpty() && sameApartFromSampleTime(snapshot, m_lastStatus);
            m_lastStatusFrame = m_reader.keptCopy(frame); // large frames are held once
            m_lastStatus = snapshot;
            if (repeats) {
                Q_EMIT statusRepeated(snapshot);
            } else {
                Q_EMIT statusReceived(snapshot);
            }
        }
    } else if (*type == u"error") {
        if (stringAt(message, u"code") == QStringLiteral("process_conflict")) {
            Q_EMIT processConflict(message);
        } else {
            Q_EMIT serviceError(safeMessage(stringAt(message, u"message"), kShortTextLimit)
                                    .value_or(m_copy.text("サービスエラー", "Service error")));
        }
    } else if (*type == u"task_detail") {
        Q_EMIT taskDetailReceived(message);
    } else if (*type == u"result") {
        m_pending.complete(message);
    }
}

void HostLink::noteStatusRendered() {
    m_state.lastStatusReceivedAt = m_platform.now();
    m_state.connected = true;
}

void HostLink::markDisconnected() {
    m_state.connected = false;
}

bool HostLink::hasProcess() const {
    return !m_process.isNull();
}

QProcess* HostLink::process() const {
    return m_process;
}

bool HostLink::statusWatchdogRunning() const {
    return m_watchdog && m_watchdog->isActive();
}
