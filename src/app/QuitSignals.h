#pragma once

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP reach the main thread as one call, so a desktop logout or a terminal's Ctrl+C ends the
// app through its quit path. The handler only writes a byte to a pipe; the main loop reads it.
// One instance at a time; the previous handlers come back when it goes.
class QuitSignals final : public QObject {
public:
    explicit QuitSignals(std::function<void()> onQuitRequest, QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    bool isActive() const { return m_notifier != nullptr; }

private:
    void drain();

    std::function<void()> m_onQuitRequest;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};
