#pragma once

#include "context/AppContext.h"
#include "context/LinkState.h"
#include "sessions/home/SupervisionModel.h"
#include "ui/Copy.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <memory>

class AutomationOutput;
class ConflictStopFlow;
class DeliveryController;
class HostLink;
class NeedsYouNotifier;
class OriginalNavigation;
class OverviewController;
class Platform;
class QLocalServer;
class QMainWindow;
class SessionsController;
class ActionAssociationArea;
class SupervisionHome;
class UnderstandingPanel;
class TasksController;
class UpdateController;
class WindowShell;

// The composition root: creates the areas and wires them, owns the launch sequence, showing the window, quitting,
// preview loading, and the render fan-outs that call the areas in their fixed order. Main thread only.
class AppDelegate final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)

public:
    explicit AppDelegate(std::unique_ptr<Platform> platform, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Launch.
    void applicationDidFinishLaunching(const QStringList& arguments);
    bool activateExistingInstance();
    QString showWindowNotification() const;
    void showWindow();
    // The tray item's left click: hides the window when it is shown and active, shows it otherwise.
    void toggleWindow();
    enum class ActivationPolicy { accessory, regular };
    ActivationPolicy activationPolicy() const { return m_activationPolicy; }
    void setActivationPolicy(ActivationPolicy policy);
    // The views of the window and the tray item, as at launch.
    void buildWindow();
    void buildStatusItem();
    // Writes ui.json and window images to VODU_AUTOMATION_DIR when it is set.
    void startAutomationOutput();

    // The host.
    void startHost();
    void reconnect();
    void loadFixture(const QString& path);

    // Every view from one snapshot, and the three states without one; the order is the one users see.
    void render(const QJsonObject& status);
    void renderWaiting();
    void renderStale(const QString& message);
    void renderDisconnected(const QString& message);
    // The host repeated its last snapshot, perhaps sampled later: only the footer is drawn again, unless another
    // state was shown in between.
    void renderRepeatedStatus(const QJsonObject& status);

    // Quit and termination.
    void requestQuit();
    // SIGTERM, SIGINT or SIGHUP: no dialog; one "quit" to a running host, and the app ends when it is answered or
    // after a short wait, within a few seconds in every state.
    void quitOnSignal();
    // While a quit waits on a host that stopped answering: asks, then closes the host's input and quits.
    void offerQuitAnyway();
    // The one way the app terminates: allowed at once after an approved quit, otherwise turned into requestQuit.
    void terminate();
    bool applicationShouldTerminate();
    bool windowShouldClose();

    Platform& platform() const { return *m_platform; }
    const Copy& copy() const { return m_copy; }
    const LinkState& linkState() const { return m_linkState; }
    const AppContext& context() const { return m_context; }
    // Preview launch: nothing is sent and the status comes from a file.
    void setFixtureMode(bool on) { m_linkState.fixtureMode = on; }
    // How long a signal's quit waits for the host's answer.
    void setSignalAnswerWait(int milliseconds) { m_signalAnswerWaitMs = milliseconds; }
    QMainWindow* window() const;

private:
    void wireAreas();
    bool confirmQuitWithRunningTasks();
    void sendQuit(bool force);
    bool quitHasWaited() const;
    // The quit is decided: windows go, the host's input ends, and the app terminates once the host has finished or
    // after a short wait.
    void approveQuit();
    void listenForShowWindow();
    // The preview data named on the command line or in the bundle, if any.
    std::optional<QString> fixturePath(const QStringList& arguments) const;
    // Starts the host before there is a window to show its start on; false when it could not be started.
    bool startHostBeforeWindow();
    // What a starting host looks like: waiting for its first snapshot, no old conflict or message.
    void presentHostStart();
    void hostEnded();
    void showProcessConflict(const QJsonObject& message);
    // A desktop notification was clicked: the window, on what it was about.
    void showNotified(const QString& key);
    // The automation mirror, when on, writes soon: renders change views on pages that are not shown.
    void mirrorScreen();

    std::unique_ptr<Platform> m_platform;
    Copy m_copy;
    LinkState m_linkState;
    SupervisionModel m_supervision;
    std::unique_ptr<HostLink> m_link;
    std::unique_ptr<WindowShell> m_shell;
    AppContext m_context;
    std::unique_ptr<ConflictStopFlow> m_conflictStop;
    std::unique_ptr<OverviewController> m_overview;
    std::unique_ptr<TasksController> m_tasks;
    std::unique_ptr<UpdateController> m_update;
    std::unique_ptr<SupervisionHome> m_home;
    std::unique_ptr<UnderstandingPanel> m_understanding;
    std::unique_ptr<ActionAssociationArea> m_association;
    std::unique_ptr<OriginalNavigation> m_original;
    std::unique_ptr<DeliveryController> m_delivery;
    std::unique_ptr<SessionsController> m_sessions;
    std::unique_ptr<NeedsYouNotifier> m_notifier;
    ActivationPolicy m_activationPolicy = ActivationPolicy::accessory;
    bool m_approvedQuit = false;
    bool m_terminated = false;
    bool m_quitOnSignal = false;
    std::optional<QDateTime> m_quitSentAt;
    QDeadlineTimer m_signalExitDeadline;
    int m_signalAnswerWaitMs = 3000;
    QJsonObject m_shownStatus;
    bool m_screenShowsStatus = false; // nothing but m_shownStatus was drawn since it was rendered
    QPointer<QLocalServer> m_showWindowServer;
    QPointer<AutomationOutput> m_automationOutput;
};

// The entry type: owns the process-wide controller, created the first time it is asked for.
struct DIRIDivadeDud {
    static AppDelegate& delegate();
    static int main(int argc, char** argv);
};
