#pragma once

#include "context/CommandSink.h"
#include "host/DesktopStatusFrames.h"
#include "host/MessageReader.h"
#include "host/PendingCommands.h"

#include <QDeadlineTimer>
#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <deque>

class Platform;
class QProcess;
class QTimer;
struct Copy;
struct LinkState;

// The link to the host process: starts it, reads its output in order, cuts it into frames, routes each message,
// writes commands and completes them with the host's results, and watches for silence. It holds no view; what it
// learns leaves by signal.
class HostLink final : public QObject, public CommandSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostLink)

public:
    HostLink(Platform& platform, const Copy& copy, LinkState& state, QObject* parent = nullptr);
    // The language is kept by reference: it must outlive the link.
    HostLink(Platform&, const Copy&&, LinkState&, QObject* = nullptr) = delete;
    ~HostLink() override;

    // Starts `<bundle>/Contents/MacOS/vodu --desktop-host`; the handle is kept from the request on.
    void launch(const QString& bundleDirectory);
    bool hostIsRunning() const;
    // A host process handle exists: started, or still starting.
    bool hasProcess() const;
    QProcess* process() const;
    const std::optional<QDateTime>& hostStartedAt() const { return m_hostStartedAt; }
    bool statusWatchdogRunning() const;

    void consumeOnMain(QByteArrayView chunk);
    void handleLine(QByteArrayView frame);
    void send(const QString& action, bool force, const std::optional<QString>& taskKey, const QJsonObject& fields,
              Completion completion) override;
    qsizetype pendingCount() const { return m_pending.size(); }
    // The app is leaving while the areas still exist: every waiting command fails once, later ones at once.
    void abandonCommands();
    // Bytes of an unfinished frame held by the decoder.
    qsizetype bufferedBytes() const { return m_frames.pendingSize(); }

    // The repeating freshness check; stopped while a restart owns the host.
    void startStatusWatchdog();
    void stopStatusWatchdog();
    void checkStatusFreshness();
    // No snapshot for longer than the staleness threshold, counted from the launch when none came yet.
    bool statusIsStale() const;
    // The host sees the end of its input; it is not waited for here.
    void closeInput();
    // A snapshot is being shown now (from the host or a fixture).
    void noteStatusRendered();
    // The views switched to the stale or disconnected presentation.
    void markDisconnected();
    // After an end: nothing of the last host is left.
    void hostEnded(int exitCode);
    // How long a written command may wait in the write buffer before it fails: the host stopped reading.
    void setWriteTimeout(int milliseconds) { m_writeTimeout = milliseconds; }
    // How long the link, when it goes, waits for a running host to finish after the end of its input.
    void setHostExitWait(int milliseconds) { m_hostExitWait = milliseconds; }
    int hostExitWait() const { return m_hostExitWait; }

Q_SIGNALS:
    void started();
    void startFailed(const QString& message);
    void statusReceived(const QJsonObject& status);
    // A status that tells nothing new: byte for byte the last one (not parsed at all), or the same apart from the
    // time it was sampled at. Only what shows that time needs drawing.
    void statusRepeated(const QJsonObject& status);
    void taskDetailReceived(const QJsonObject& message);
    void serviceError(const QString& message);
    void processConflict(const QJsonObject& message);
    void stale(const QString& message);
    // The host is gone and every pending completion has failed.
    void ended();

private:
    void onHostStarted(QProcess* host);
    static void letHostFinish(QProcess* host, int waitMs);
    QString silentServiceText() const;
    void noteWritten(qint64 bytes);
    void failUnwritten();
    void armWriteTimer();
    void forgetWrites();

    // A command whose line is still (partly) in the write buffer: `end` is where its line ends in the byte stream.
    struct Unwritten {
        QString id;
        qint64 end = 0;
        QDeadlineTimer deadline;
    };

    Platform& m_platform;
    const Copy& m_copy;
    LinkState& m_state;
    QPointer<QProcess> m_process;
    QPointer<QProcess> m_input; // the host's standard input is the process's write channel
    DesktopStatusFrames m_frames;
    MessageReader m_reader;
    QByteArray m_lastStatusFrame; // of this host only
    QJsonObject m_lastStatus;     // what that frame held
    PendingCommands m_pending;
    std::optional<QDateTime> m_hostStartedAt;
    QPointer<QTimer> m_watchdog;
    int m_hostExitWait = 2000;
    int m_writeTimeout = 10000;
    std::deque<Unwritten> m_unwritten;
    qint64 m_bytesQueued = 0;
    qint64 m_bytesWritten = 0;
    QPointer<QTimer> m_writeTimer;
    QString m_taskDetailId; // the one task detail request that may wait; a newer one supersedes it
    bool m_abandoned = false;
};
