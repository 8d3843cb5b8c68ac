#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QUuid>

#include <chrono>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;
class ThemedLabel;
struct AppContext;

// The update row of the App & updates tab (what it shows after every snapshot and what its button does), the
// launch-time install error, and restart to update: ask the host to quit, wait for it to end, start the install
// process of the selected release and exit.
class UpdateController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateController)

public:
    UpdateController(AppContext& context, const std::optional<QString>& desktopInstallError, QObject* parent = nullptr);

    // updateDot, updateLabel and updateButton in one row.
    QWidget* buildUpdateRow();

    void renderUpdate(const std::optional<QJsonObject>& update);
    void renderWaiting();
    void renderUnknown();
    void renderUnavailable();

    void updateAction();
    void restartToUpdate();
    // The install process of this bundle: true when it was started.
    bool launchSelectedAfterExit();
    void restartFailed();
    // The guard and the quit result of one restart attempt; another attempt's calls do nothing.
    void restartTimedOut(const QUuid& attempt);
    void restartQuitAnswered(const QUuid& attempt, bool ok);
    // The host has ended: when a restart is waiting for that, hand over (or recover) and return true.
    bool handOverIfWaiting();
    // After the host ended with a restart pending: start the install process and exit, or recover.
    void handOverAfterHostExit();
    // Launch step for a failed hand-over: the update row with the error, on the App & updates tab.
    void showInstallError();

    const std::optional<QString>& desktopInstallError() const { return m_desktopInstallError; }
    const std::optional<QString>& restartError() const { return m_restartError; }
    const std::optional<QUuid>& restartRequest() const { return m_restartRequest; }
    bool restartGuardRunning() const;
    bool restartAfterHostExit() const { return m_restartAfterHostExit; }
    bool updateNeedsRestart() const { return m_updateNeedsRestart; }
    void setRestartGuardInterval(std::chrono::milliseconds interval) { m_restartGuardInterval = interval; }

Q_SIGNALS:
    // The row asks the host to quit (true) or has given up waiting for it (false).
    void quitInFlightChanged(bool inFlight);
    void statusWatchdogStopRequested();
    void statusWatchdogStartRequested();
    void startHostRequested();
    void settingsRequested(int tab);

private:
    void showRestartError(const QString& text);

    AppContext& m_context;
    std::optional<QString> m_desktopInstallError;
    std::optional<QUuid> m_restartRequest;
    QPointer<QTimer> m_restartTimer;
    std::chrono::milliseconds m_restartGuardInterval{15000};
    std::optional<QString> m_restartError;
    bool m_restartAfterHostExit = false;
    bool m_updateNeedsRestart = false;
    bool m_updateCanInstall = false;

    ThemedLabel* m_updateDot = nullptr;
    QLabel* m_updateLabel = nullptr;
    QPushButton* m_updateButton = nullptr;
};
