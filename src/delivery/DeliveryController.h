#pragma once

#include "delivery/DeliveryCommands.h"
#include "delivery/RunHomeView.h"
#include "delivery/RunPresentation.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

#include <optional>

class QComboBox;
class QWidget;
struct AppContext;
struct SupervisionModel;

// Managed Dozadavi Zaro runs: the run picker of the settings sheet (a mirror of the selection), the selected run's
// part of the Sessions home, its details and its actions. The selection and the feedback line belong to the
// Sessions home; this area asks for them by signals.
class DeliveryController final : public QObject, public RunPresenter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeliveryController)

public:
    DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home, QObject* parent = nullptr);

    // The run picker; hidden until there are runs.
    QComboBox* buildPicker();

    // The run list of a snapshot, and the picker's titles.
    void renderDeliveryRuns(const QJsonArray& runs);
    HomeView presentRun(const QJsonObject& run) override;
    void mirrorRunSelection(const QString& runIdentity) override;
    // Preview: start with the details group open.
    void openDetails();
    bool detailsOpen() const { return m_memory.detailsOpen; }

    // The pane's toggles and tabs.
    void toggleDeliveryDetails();
    void toggleDeliverySettings();
    void selectDeliveryDetails(int tab);

    // Commands about the presented run.
    void deliveryAction(const QString& action, bool approval);
    void performPrimaryDeliveryAction();
    void applyDeliveryPolicy();
    void verifyDelivery();
    void confirmDependencyReady(const QJsonObject& run);

Q_SIGNALS:
    // The user chose a run in the picker; the Sessions home selects it (and its conversation).
    void runChosen(const QString& runIdentity);
    // The run's part of the Sessions home changed (a disclosure, a tab, a picked policy, a command in flight).
    void homeChanged();
    // A command about `subject` (a run identity) reports progress or its result on the feedback line.
    void feedbackChanged(const QString& subject, const QString& text, bool failure);
    // The compact summary's button to the original conversation was pressed.
    void originalSessionRequested();

private:
    void controlClicked(SupervisionHome::RunControl control);
    std::optional<RunSessionFacts> sessionFacts(const QJsonObject& run) const;
    bool turnRunning(const QJsonObject& run) const;
    void renderDeliveryDetails(const QJsonObject& run);
    // A run of an auto-continue conversation: the details body holds the conversation's compact summary instead.
    void showCompactSessionDetails(const QJsonObject& session, const QJsonObject& run);
    void clearDetailsBody();
    // Whether the details body already shows `key` (what it was built from); if not, it is noted as shown.
    bool detailsBodyShows(const QJsonObject& key);
    bool confirm(const DeliveryAlert& alert);
    void sendDeliveryCommand(const QString& run, const DeliveryCommand& command, DeliveryRequest request);
    void finishDeliveryCommand(const QString& run, const DeliveryCommand& command, DeliveryRequest request, bool ok,
                               const std::optional<QString>& message);
    static void mark(QHash<QString, RunCommandsInFlight>& table, const QString& run, DeliveryRequest request, bool on);

    AppContext& m_context;
    SupervisionModel& m_model;
    SupervisionHome& m_home;
    QJsonObject m_detailsBodyKey; // what the details body was last built from; empty: nothing
    QComboBox* m_deliveryPicker = nullptr;
    QString m_mirroredRun; // the run the picker shows
    // What the pane remembers between renders: the run presented last, its disclosures and pickers.
    RunPaneMemory m_memory;
    int m_deliveryDetailsIndex = 0;
    // By run identity: commands sent and not answered yet, and answered ones whose run has not been redrawn from a
    // fresh status yet; the buttons of both stay disabled.
    QHash<QString, RunCommandsInFlight> m_inFlight;
    QHash<QString, RunCommandsInFlight> m_answered;
    // Preview: the first run presented keeps the details open instead of closing them as a change of run.
    bool m_openDetailsForFirstRun = false;
};
