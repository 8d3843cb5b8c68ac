#pragma once

#include "delivery/DeliveryCommands.h"
#include "delivery/RunPresentation.h"
#include "sessions/RunPresenter.h"
#include "sessions/SupervisionHome.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

#include <optional>

class QComboBox;
class QWidget;
class ActionAssociationArea;
class UnderstandingPanel;
struct AppContext;
struct SupervisionModel;

// Managed Dozadavi Zaro runs: the run picker of the settings sheet, the selected run's presentation in the
// Sessions home, its details and its actions.
class DeliveryController final : public QObject, public RunPresenter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeliveryController)

public:
    DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                       UnderstandingPanel& understanding, ActionAssociationArea& association,
                       QObject* parent = nullptr);

    // The run picker; hidden until there are runs.
    QComboBox* buildPicker();

    // The run list of a snapshot: picker titles and the selection kept by identity.
    void renderDeliveryRuns(const QJsonArray& runs);
    // The picker's own action: a run chosen by the user.
    void selectDeliveryRun();
    void selectDeliveryRun(const QString& identity) override;
    void renderSelectedDeliveryRun() override;
    void hideRunControls() override;
    // Preview: start with the details group open.
    void openDetails();
    bool detailsOpen() const { return m_memory.detailsOpen; }

    // The pane's toggles and tabs.
    void toggleDeliveryDetails();
    void toggleDeliverySettings();
    void selectDeliveryDetails(int tab);
    void showDeliverySetup();

    // Commands about the presented run.
    void deliveryAction(const QString& action, bool approval);
    void performPrimaryDeliveryAction();
    void applyDeliveryPolicy();
    void verifyDelivery();
    void confirmDependencyReady(const QJsonObject& run);

Q_SIGNALS:
    // The settings sheet, opened on its Dozadavi Zaro tab.
    void deliverySetupRequested();
    // The compact summary's button to the original conversation was pressed.
    void originalSessionRequested();

private:
    void controlClicked(SupervisionHome::RunControl control);
    // The run the pane presents (the last one drawn); absent in the empty state or when it left the list.
    std::optional<QJsonObject> presentedRun() const;
    std::optional<RunSessionFacts> sessionFacts(const QJsonObject& run) const;
    bool turnRunning(const QJsonObject& run) const;
    void applyRunPresentation(const QJsonObject& run, const std::optional<RunSessionFacts>& session,
                              const RunPresentation& p);
    void applyEmptyPresentation(const RunPresentation& p);
    void applyCommonPresentation(const RunPresentation& p);
    void renderDeliveryDetails(const QJsonObject& run);
    // A run of an auto-continue conversation: the details body holds the conversation's compact summary instead.
    void showCompactSessionDetails(const QJsonObject& session, const QJsonObject& run);
    void clearDetailsBody();
    // Whether the details body already shows `key` (what it was built from); if not, it is noted as shown.
    bool detailsBodyShows(const QJsonObject& key);
    void setActionButtonsEnabled(bool enabled);
    bool confirm(const DeliveryAlert& alert);
    void sendDeliveryCommand(const DeliveryCommand& command, DeliveryRequest request);
    void finishDeliveryCommand(const DeliveryCommand& command, DeliveryRequest request, bool ok,
                               const std::optional<QString>& message);

    AppContext& m_context;
    SupervisionModel& m_model;
    QJsonObject m_detailsBodyKey; // what the details body was last built from; empty: nothing
    SupervisionHome& m_home;
    UnderstandingPanel& m_understanding;
    ActionAssociationArea& m_association;
    QComboBox* m_deliveryPicker = nullptr;
    // What the pane remembers between renders; its selected identity mirrors the model's.
    RunPaneMemory m_memory;
    int m_deliveryDetailsIndex = 0;
    DeliveryPrimaryAction m_primaryAction = DeliveryPrimaryAction::showDeliverySetup;
    // Preview: the first run presented keeps the details open instead of closing them as a change of run.
    bool m_openDetailsForFirstRun = false;
};
