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
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AttentionSurface;
class AutomationOutput;
class ConnectionButton;
class Platform;
class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QLocalServer;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QProcess;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QSystemTrayIcon;
class QTableView;
class QTimer;
class QWidget;
class SegmentedControl;
class SettingsStack;
class SidebarNavButton;
class StatusRow;
class SymbolButton;
class TaskBodyView;
class TaskListModel;
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
    // The settings sheet (src/overview/AppDelegateSettings.cpp, AppDelegateStatusItem.cpp).
    void showStatusPanel();
    void closeStatusPanel();
    bool sheetIsAttached() const;
    void installPlugins();
    void selectSettingsTab(int index);

    // ---- tasks: list and detail (src/tasks) ----
    // The sidebar's task list (taskListScroll holding taskTable) and the Tasks page's detail area (detailActions,
    // taskVisuals, taskBodyScroll with taskBody, taskLinks); the window places what these return.
    QWidget* buildTaskList(QWidget* parent);
    QWidget* buildTaskDetail(QWidget* parent);
    void renderTasks(const QJsonObject& tasks);
    void renderTaskDetail(const QJsonObject& task);
    // Shows the task of the table's selected row and asks the host for its detail.
    void selectTask();
    void showEmptyTask();
    // Empties the detail of the previous task: fingerprint, stored detail, switches, actions, cards.
    void forgetTaskDetail();
    void toggleResult();
    void toggleCriteria();
    void toggleTechnical();
    void openTaskLink(QPushButton* button);
    // A link clicked in the detail body: opened only when it is a safe web address.
    void openTaskBodyLink(const QUrl& link);
    bool refreshingTaskList = false; // selection changes are ignored while the table is reloaded
    QJsonObject selectedDetail;
    QString renderedDetail; // fingerprint of what taskBody shows; empty when nothing is rendered
    bool showFullResult = false;
    bool showAllCriteria = false;
    bool showTechnical = false;
    QWidget* taskListScroll = nullptr;
    QTableView* taskTable = nullptr;
    TaskListModel* taskListModel = nullptr;
    QWidget* detailActions = nullptr;
    QPushButton* resultButton = nullptr;
    QPushButton* criteriaButton = nullptr;
    QPushButton* technicalButton = nullptr;
    QWidget* taskVisuals = nullptr;
    QWidget* taskBodyScroll = nullptr;
    TaskBodyView* taskBody = nullptr;
    QWidget* taskLinks = nullptr;

    // ---- areas filled by their own renderers (src/sessions, src/delivery, src/update) ----
    void renderDeliveryRuns(const QJsonArray& runs);
    void renderSessionSupervision(const QJsonArray& sessions, const QJsonArray& fallbackRuns);
    void renderSelectedSession();
    void renderUpdate(const std::optional<QJsonObject>& update);

    // ---- update: update row, restart to update, launch-time install error (src/update) ----
    void updateAction();
    void restartToUpdate();
    // The install process of this bundle: true when it was started.
    bool launchSelectedAfterExit();
    void restartFailed();
    // The guard and the quit result of one restart attempt; another attempt's calls do nothing.
    void restartTimedOut(const QUuid& attempt);
    void restartQuitAnswered(const QUuid& attempt, bool ok);
    // After the host ended with a restart pending: start the install process and exit, or recover.
    void handOverAfterHostExit();
    // Launch step for a failed hand-over: the update row with the error, on the App & updates tab.
    void showInstallError();
    void wireUpdateRow();
    std::optional<QUuid> restartRequest;
    QPointer<QTimer> restartTimer;
    std::chrono::milliseconds restartGuardInterval{15000};
    std::optional<QString> restartError;
    bool updateNeedsRestart = false;
    bool updateCanInstall = false;

    // ---- host: conflicting service stop (src/host/AppDelegateConflictStop.cpp) ----
    void confirmStopConflicts();
    void stopConflicts(const QList<QJsonObject>& conflicts, bool force);
    void wireConflictStop();

    // ---- ui: window, navigation, shared builders (src/ui) ----
    void buildWindow();
    void buildStatusPanel();
    void buildDeliveryHome(QWidget* home);
    void selectSidebarNav(SidebarNavButton* button);
    void selectHome();
    void toggleWindowAppearance();
    // A vertical, leading-aligned stack of `views`, each as wide as the stack.
    SettingsStack* settingsStack(const QList<QWidget*>& views, int spacing);
    // A titled card: `surface` fill, `border` outline, radius 12, 16-point inset.
    QWidget* settingsCard(const QString& title, const QList<QWidget*>& views);
    // A multi-line text entry in an `input` box; the box is what the caller places.
    struct ComposerField {
        QWidget* box = nullptr;
        QPlainTextEdit* editor = nullptr;
    };
    ComposerField composerField(int height);
    void tintPrimaryTitle(QPushButton* button, bool attention);
    void styleAttention(bool active);
    // Writes ui.json and window images to VODU_AUTOMATION_DIR when it is set (src/app/AutomationOutput.cpp).
    void startAutomationOutput();

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
    // The conversations of the last snapshot (filled by the session list); counted by the sidebar caption.
    QList<QJsonObject> sessionCandidates;

    // ---- views: window and sidebar ----
    SegmentedControl* homeNavigation = nullptr; // holds the page choice; the sidebar buttons drive it
    SidebarNavButton* sessionsNav = nullptr;
    SidebarNavButton* tasksNav = nullptr;
    QLineEdit* sessionSearch = nullptr;
    QScrollArea* deliveryListScroll = nullptr;
    QTableView* deliveryTable = nullptr;
    ConnectionButton* connectionSummary = nullptr;
    QLabel* tasksLabel = nullptr;
    QPushButton* webButton = nullptr;
    QWidget* taskFooter = nullptr;
    QLabel* footer = nullptr;
    QPushButton* stopConflictButton = nullptr;
    QWidget* deliveryHome = nullptr;
    SymbolButton* themeToggle = nullptr;
    QWidget* tasksPage = nullptr; // holds taskDetailHeading, the task detail area and taskFooter

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
    SegmentedControl* settingsNavigation = nullptr;
    QStackedWidget* settingsTabs = nullptr;
    QComboBox* deliveryPicker = nullptr; // the run picker of the Dozadavi Zaro tab

    // ---- views: the Sessions home (header, shared headline area, run controls and groups) ----
    QLabel* sessionHeaderTitle = nullptr;
    QLabel* sessionHeaderProvider = nullptr;
    QWidget* sessionStatusBadge = nullptr;
    QLabel* sessionEyeline = nullptr;
    QWidget* deliveryPreviewBadge = nullptr;
    QWidget* deliveryStateBadge = nullptr;
    QLabel* deliveryHeadline = nullptr;
    QLabel* deliveryGoal = nullptr;
    QLabel* deliveryState = nullptr;
    QLabel* deliverySummary = nullptr;
    QLabel* deliveryProgress = nullptr;
    QLabel* deliveryNext = nullptr;
    AttentionSurface* deliveryAttentionSurface = nullptr;
    QLabel* deliveryAttention = nullptr;
    QPushButton* deliveryPrimary = nullptr;
    QWidget* deliveryPrimaryRow = nullptr;
    QPushButton* originalSessionButton = nullptr;
    QWidget* deliveryControls = nullptr;
    QComboBox* deliveryPolicyPicker = nullptr;
    QPushButton* deliveryPolicyApply = nullptr;
    QComboBox* deliveryCriterionPicker = nullptr;
    QPushButton* deliveryVerify = nullptr;
    QPushButton* deliveryPause = nullptr;
    QPushButton* deliveryResume = nullptr;
    QPushButton* deliveryApprove = nullptr;
    QPushButton* deliveryReject = nullptr;
    QPushButton* deliveryReplan = nullptr;
    QPushButton* deliveryStop = nullptr;
    QPushButton* deliveryDetailsToggle = nullptr;
    QPushButton* deliverySettingsToggle = nullptr;
    QWidget* deliveryDetailsGroup = nullptr;
    QWidget* deliveryTabButtons = nullptr;
    QWidget* deliveryDetailsBody = nullptr;
    QWidget* deliverySettingsGroup = nullptr;
    QLabel* deliveryActionMessage = nullptr;
    // The conversation pane the session pages fill (context, form, analysis area).
    QWidget* sessionPane = nullptr;

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
    QPointer<AutomationOutput> m_automationOutput;
};

// The entry type: owns the process-wide controller, created the first time it is asked for.
struct DIRIDivadeDud {
    static AppDelegate& delegate();
    static int main(int argc, char** argv);
};
