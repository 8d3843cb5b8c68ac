// The composition root: the areas are created here, wired to each other and to the host link, and built into the
// window in the order the window is laid out.
#include "app/AppDelegate.h"

#include "app/AutomationOutput.h"
#include "delivery/DeliveryController.h"
#include "host/ConflictStopFlow.h"
#include "host/HostLink.h"
#include "overview/OverviewController.h"
#include "platform/Platform.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/list/NeedsYouNotifier.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"
#include "tasks/TasksController.h"
#include "ui/ConnectionButton.h"
#include "ui/WindowShell.h"
#include "update/UpdateController.h"

#include <QComboBox>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>

AppDelegate::AppDelegate(std::unique_ptr<Platform> platform, QObject* parent)
    : QObject(parent), m_platform(std::move(platform)),
      m_copy(Copy::fromPreferredLanguages(m_platform->preferredLanguages())),
      m_link(std::make_unique<HostLink>(*m_platform, m_copy, m_linkState)),
      m_shell(std::make_unique<WindowShell>(
          *m_platform, m_copy, m_linkState, [this] { return m_supervision.sessionCandidates.size(); },
          [this] { return windowShouldClose(); })),
      m_context{*m_platform, m_copy, *m_link, m_linkState, *m_shell, nullptr} {
    m_conflictStop = std::make_unique<ConflictStopFlow>(m_context);
    m_overview = std::make_unique<OverviewController>(m_context, m_linkState);
    m_tasks = std::make_unique<TasksController>(m_context, m_linkState);
    m_update = std::make_unique<UpdateController>(
        m_context, m_platform->environmentValue(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR")));
    m_home = std::make_unique<SupervisionHome>(m_copy);
    m_understanding = std::make_unique<UnderstandingPanel>(m_context, m_supervision);
    m_association = std::make_unique<ActionAssociationArea>(m_context, m_supervision);
    m_original = std::make_unique<OriginalNavigation>(m_context, m_supervision, *m_home);
    m_delivery = std::make_unique<DeliveryController>(m_context, m_supervision, *m_home);
    m_sessions = std::make_unique<SessionsController>(m_context, m_supervision, *m_home, *m_delivery, *m_understanding,
                                                      *m_association, *m_original);
    m_notifier = std::make_unique<NeedsYouNotifier>(m_context, m_supervision);
    wireAreas();
}

AppDelegate::~AppDelegate() {
    // Commands still waiting complete (as failed) while the areas that sent them exist.
    m_link->abandonCommands();
    delete m_automationOutput.data();
}

QMainWindow* AppDelegate::window() const {
    return m_shell->window();
}

void AppDelegate::wireAreas() {
    HostLink* link = m_link.get();
    connect(link, &HostLink::started, this, [this] { runAction(m_context, QStringLiteral("refresh")); });
    connect(link, &HostLink::startFailed, this, &AppDelegate::renderDisconnected);
    connect(link, &HostLink::statusReceived, this, &AppDelegate::render);
    connect(link, &HostLink::statusRepeated, this, &AppDelegate::renderRepeatedStatus);
    connect(link, &HostLink::taskDetailReceived, m_tasks.get(), &TasksController::handleTaskDetail);
    connect(link, &HostLink::serviceError, this, [this](const QString& message) { m_shell->setFooterText(message); });
    connect(link, &HostLink::processConflict, this, &AppDelegate::showProcessConflict);
    connect(link, &HostLink::stale, this, &AppDelegate::renderStale);
    connect(link, &HostLink::ended, this, &AppDelegate::hostEnded);

    connect(m_shell.get(), &WindowShell::showWindowRequested, this, &AppDelegate::showWindow);
    connect(m_shell.get(), &WindowShell::quitRequested, this, &AppDelegate::requestQuit);
    connect(m_shell.get(), &WindowShell::refreshRequested, this,
            [this] { runAction(m_context, QStringLiteral("refresh")); });
    connect(m_overview.get(), &OverviewController::showWindowRequested, this, &AppDelegate::showWindow);
    connect(m_overview.get(), &OverviewController::windowToggleRequested, this, &AppDelegate::toggleWindow);
    connect(m_shell.get(), &WindowShell::settingsRequested, m_overview.get(), &OverviewController::showStatusPanel);
    connect(m_overview.get(), &OverviewController::quitRequested, this, &AppDelegate::requestQuit);
    connect(m_overview.get(), &OverviewController::reconnectRequested, this, &AppDelegate::reconnect);
    connect(m_conflictStop.get(), &ConflictStopFlow::startHostRequested, this, &AppDelegate::startHost);
    connect(m_home.get(), &SupervisionHome::appearanceToggleRequested, this,
            [this] { m_home->setAppearanceIsDark(m_shell->toggleWindowAppearance()); });
    connect(m_home.get(), &SupervisionHome::deliverySetupRequested, this, [this] {
        m_overview->selectSettingsTab(1);
        m_overview->showStatusPanel();
    });
    connect(m_delivery.get(), &DeliveryController::originalSessionRequested, m_original.get(),
            &OriginalNavigation::openOriginalSession);
    connect(m_sessions.get(), &SessionsController::homeSelectionRequested, m_shell.get(), &WindowShell::selectHome);

    m_overview->setNotificationsEnabled(m_notifier->isEnabled());
    connect(m_overview.get(), &OverviewController::notificationsChosen, m_notifier.get(),
            &NeedsYouNotifier::setEnabled);
    // Seen in the window: its notification has done its work.
    connect(m_sessions.get(), &SessionsController::selectionChanged, this,
            [this](const QString& conversation, const QString& run) {
                if (window() && window()->isVisible()) {
                    m_notifier->noteOpened(conversation, run);
                }
            });
    connect(m_notifier.get(), &NeedsYouNotifier::undelivered, this, [this](const QString& title, const QString& body) {
        if (!m_overview->showTrayMessage(title, body)) {
            platform().requestAttention(window());
        }
    });
    const QPointer<AppDelegate> self(this);
    platform().setNotificationHandler([self](const QString& key) {
        if (self) {
            self->showNotified(key);
        }
    });
    // The selection and the feedback line are the Sessions home's; the run area and the components ask for them.
    SessionsController* sessions = m_sessions.get();
    connect(m_delivery.get(), &DeliveryController::runChosen, sessions, &SessionsController::selectRun);
    connect(m_delivery.get(), &DeliveryController::homeChanged, sessions, &SessionsController::renderSelectedSession);
    connect(m_delivery.get(), &DeliveryController::feedbackChanged, sessions, &SessionsController::showFeedback);
    connect(m_understanding.get(), &UnderstandingPanel::feedbackChanged, sessions, &SessionsController::showFeedback);
    connect(m_association.get(), &ActionAssociationArea::feedbackChanged, sessions, &SessionsController::showFeedback);
    connect(m_association.get(), &ActionAssociationArea::connectionSettingsRequested, this, [this] {
        m_overview->selectSettingsTab(0);
        m_overview->showStatusPanel();
    });

    UpdateController* update = m_update.get();
    connect(update, &UpdateController::quitInFlightChanged, this,
            [this](bool inFlight) { m_linkState.quitInFlight = inFlight; });
    connect(update, &UpdateController::statusWatchdogStopRequested, link, &HostLink::stopStatusWatchdog);
    connect(update, &UpdateController::statusWatchdogStartRequested, link, &HostLink::startStatusWatchdog);
    connect(update, &UpdateController::startHostRequested, this, &AppDelegate::startHost);
    connect(update, &UpdateController::settingsRequested, this, [this](int tab) {
        m_overview->selectSettingsTab(tab);
        m_overview->showStatusPanel();
    });
}

void AppDelegate::buildWindow() {
    WindowShell::Parts parts;
    parts.searchField = [this](QWidget* parent) {
        return m_sessions->buildSearchField(parent);
    };
    parts.sessionList = [this](QWidget* parent) {
        return m_sessions->buildSessionList(parent);
    };
    parts.taskList = [this](QWidget* parent) {
        return m_tasks->buildTaskList(parent);
    };
    parts.connectionSummary = [this](QWidget* parent) {
        return m_overview->buildConnectionSummary(parent);
    };
    parts.taskHeading = [this](QWidget* parent) {
        return m_tasks->buildHeading(parent);
    };
    parts.webButton = [this](QWidget* parent) {
        return m_overview->buildWebButton(parent);
    };
    parts.taskDetail = [this](QWidget* parent) {
        return m_tasks->buildTaskDetail(parent);
    };
    parts.stopButton = [this](QWidget* parent) {
        return m_conflictStop->buildStopButton(parent);
    };
    m_shell->build(parts);
    m_shell->installMainMenu();
    m_context.window = m_shell->window();

    m_overview->buildStatusPanel(m_shell->window(), m_delivery->buildPicker(), m_update->buildUpdateRow());
    m_home->build(m_shell->homeContainer());
    m_understanding->build(m_home->runCompanions());
    m_association->build(m_home->runCompanions());
    m_sessions->buildSessionPane();
    m_tasks->showEmptyTask();
    renderWaiting();
    m_shell->selectHome();
    startAutomationOutput();
}

void AppDelegate::buildStatusItem() {
    m_overview->buildStatusItem();
}

void AppDelegate::startAutomationOutput() {
    const std::optional<QString> directory = platform().environmentValue(QStringLiteral("VODU_AUTOMATION_DIR"));
    if (!directory || directory->isEmpty() || m_automationOutput) {
        return;
    }
    const QPointer<AppDelegate> self(this);
    m_automationOutput = new AutomationOutput(
        *directory,
        [self]() -> AutomationOutput::Sources {
            if (!self) {
                return {};
            }
            return {self->window(), self->m_overview->statusPanel(), self->m_overview->statusMenu(),
                    self->m_overview->statusItem()};
        },
        this);
}
