#pragma once

#include "host/DesktopStatusFrames.h"
#include "ui/Copy.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class ConnectionButton;
class Platform;
class QAction;
class QDialog;
class QLabel;
class QLocalServer;
class QMainWindow;
class QMenu;
class QProcess;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class StatusRow;
class ThemedLabel;

// The one controller: it owns every piece of state and every view for the life of the process and is touched on
// the main thread only. Methods are defined in the file of their area (src/<area>/AppDelegate<Area>.cpp).
class AppDelegate final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)

public:
    // `ok` and a message that the dispatcher already masked and cut.
    using Completion = std::function<void(bool ok, const std::optional<QString>& message)>;

    explicit AppDelegate(std::unique_ptr<Platform> platform, QObject* parent = nullptr);
    ~AppDelegate() override;

    Platform& platform() const { return *m_platform; }

    // ---- app: launch sequence, main menu, single instance (src/app) ----
    void applicationDidFinishLaunching(const QStringList& arguments);
    bool activateExistingInstance();
    void showWindowFromNotification();
    void showWindow();
    QString showWindowNotification() const;
    enum class ActivationPolicy { accessory, regular };
    ActivationPolicy activationPolicy() const { return m_activationPolicy; }
    void setActivationPolicy(ActivationPolicy policy);

    // ---- host: process, frames, dispatch, commands, health, quit, preview (src/host) ----
    void startHost();
    bool hostIsRunning() const;
    void consumeOnMain(QByteArrayView chunk);
    void handleLine(QByteArrayView frame);
    void send(const QString& action, bool force = false, const std::optional<QString>& taskKey = std::nullopt,
              const QJsonObject& fields = {}, Completion completion = {});
    void runAction(const QString& action, bool force, std::function<void(bool ok)> completion = {});
    void refresh();
    void signIn();
    void codexLogin();
    void claudeLogin();
    void openCodexHooks();
    void openClaudeHooks();
    void checkStatusFreshness();
    void renderStale(const QString& message);
    void renderDisconnected(const QString& message);
    void hostEnded(int exitCode);
    void reconnect();
    void requestQuit();
    // The one way the app terminates: allowed at once after an approved quit, otherwise turned into requestQuit.
    void terminate();
    bool applicationShouldTerminate();
    bool windowShouldClose();
    void loadFixture(const QString& path);

    // ---- overview: rendering, status item (src/overview) ----
    void render(const QJsonObject& status);
    void renderWaiting();
    void renderProvider(StatusRow* row, const QJsonObject& provider, const QString& label);
    QString installedVersionText(const std::optional<QString>& running) const;
    QString lastSuccessText(const QJsonValue& timestamp) const;
    QString sampledText(const QJsonValue& timestamp) const;
    void buildStatusItem();
    void updateMenuStatus(const QString& title);
    void openWeb();
    void copyWebURL();

    // ---- tasks: list and detail (src/tasks) ----
    // The sidebar's task list (taskListScroll holding taskTable) and the Tasks page's detail area (detailActions,
    // taskVisuals, taskBodyScroll with taskBody, taskLinks); the window places what these return.
    QWidget* buildTaskList(QWidget* parent);
    QWidget* buildTaskDetail(QWidget* parent);
    void renderTasks(const QJsonObject& tasks);
    void renderTaskDetail(const QJsonObject& task);

    // ---- areas filled by their own renderers (src/sessions, src/delivery, src/update) ----
    void renderDeliveryRuns(const QJsonArray& runs);
    void renderSessionSupervision(const QJsonArray& sessions, const QJsonArray& fallbackRuns);
    void renderSelectedSession();
    void renderUpdate(const std::optional<QJsonObject>& update);

    // ---- ui: window (src/ui) ----
    void buildWindow();
    void buildStatusPanel();
    void buildDeliveryHome(QWidget* home);

    // ---- state: host link ----
    std::optional<QString> desktopInstallError;
    Copy copy;
    QPointer<QMainWindow> window;
    QPointer<QProcess> process;
    QPointer<QProcess> input; // the host's standard input is the process's write channel
    DesktopStatusFrames outputFrames;
    bool fixtureMode = false;
    bool connected = false;
    qint64 activeTaskCount = 0;
    QHash<QString, Completion> pending;
    bool restartAfterHostExit = false;
    bool approvedQuit = false;
    bool quitInFlight = false;
    std::optional<QDateTime> lastStatusReceivedAt;
    std::optional<QDateTime> hostStartedAt;
    std::optional<QString> hostConflictMessage;
    QList<QJsonObject> conflictingProcesses;
    bool resolvingConflict = false;
    QPointer<QTimer> statusWatchdog;

    // ---- state: mirrored from the last snapshot ----
    std::optional<QString> runningVersion;
    std::optional<QUrl> webRoot;
    QString hookAttentionKey;
    QString sessionDiscoveryMessage;
    QList<QJsonObject> taskItems;
    std::optional<QString> selectedTaskKey;
    QList<QJsonObject> deliveryRuns;
    QString selectedSessionIdentity;
    bool deliveryDetailsOpen = false;

    // ---- views: window and sidebar ----
    ConnectionButton* connectionSummary = nullptr;
    QLabel* tasksLabel = nullptr;
    QPushButton* webButton = nullptr;
    QLabel* footer = nullptr;
    QPushButton* stopConflictButton = nullptr;

    // ---- views: Tasks page heading (written by the task list) ----
    QWidget* taskDetailHeading = nullptr;
    QLabel* taskTitle = nullptr;
    QLabel* taskState = nullptr;

    // ---- views: settings panel ----
    QPointer<QDialog> statusPanel;
    StatusRow* accountRow = nullptr;
    StatusRow* connectionRow = nullptr;
    StatusRow* codexRow = nullptr;
    StatusRow* claudeRow = nullptr;
    QLabel* pluginSetupLabel = nullptr;
    QPushButton* pluginSetupButton = nullptr;
    QLabel* codexHookLabel = nullptr;
    QLabel* claudeHookLabel = nullptr;
    QLabel* hookLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* serviceLabel = nullptr;
    QLabel* lastSuccessLabel = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* refreshButton = nullptr;
    ThemedLabel* updateDot = nullptr;
    QLabel* updateLabel = nullptr;
    QPushButton* updateButton = nullptr;

    // ---- views: Dozadavi Zaro summary of the Sessions home ----
    QLabel* deliveryHeadline = nullptr;
    QLabel* deliveryGoal = nullptr;
    QLabel* deliveryState = nullptr;
    QLabel* deliveryNext = nullptr;
    QLabel* deliveryAttention = nullptr;
    QPushButton* deliveryPrimary = nullptr;
    QWidget* deliveryPrimaryRow = nullptr;
    QPushButton* originalSessionButton = nullptr;

    // ---- views: status item ----
    QSystemTrayIcon* statusItem = nullptr;
    QMenu* statusMenu = nullptr;
    QAction* menuStatus = nullptr;

private:
    void installMainMenu();
    void listenForShowWindow();
    void startStatusWatchdog();
    void launchHostProcess(const QString& bundleDirectory);
    void onHostStarted(QProcess* host);
    void handleProcessConflict(const QJsonObject& message);
    void completePending(const QJsonObject& message);
    void setFooterText(const QString& text);
    void setDeliveryHomeDisconnected(const QString& message);

    std::unique_ptr<Platform> m_platform;
    ActivationPolicy m_activationPolicy = ActivationPolicy::accessory;
    QPointer<QLocalServer> m_showWindowServer;
};

// The entry type: owns the process-wide controller, created the first time it is asked for.
struct DIRIDivadeDud {
    static AppDelegate& delegate();
    static int main(int argc, char** argv);
};
