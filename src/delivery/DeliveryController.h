#pragma once

#include "sessions/RunPresenter.h"

#include <QJsonArray>
#include <QObject>

class QComboBox;
class QWidget;
class ActionAssociationArea;
class SupervisionHome;
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

    void renderDeliveryRuns(const QJsonArray& runs);
    void selectDeliveryRun(const QString& identity) override;
    void renderSelectedDeliveryRun() override;
    void hideRunControls() override;
    // Preview: start with the details group open.
    void openDetails();
    bool detailsOpen() const { return m_deliveryDetailsOpen; }

private:
    AppContext& m_context;
    SupervisionModel& m_model;
    SupervisionHome& m_home;
    UnderstandingPanel& m_understanding;
    ActionAssociationArea& m_association;
    bool m_deliveryDetailsOpen = false;
    QComboBox* m_deliveryPicker = nullptr;
};
