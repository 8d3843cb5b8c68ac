#pragma once

#include "sessions/RunPresenter.h"

#include <QJsonArray>
#include <QObject>

class QComboBox;
class QWidget;
class SupervisionHome;
struct AppContext;
struct SupervisionModel;

// Managed Dozadavi Zaro runs: the run picker of the settings sheet, the selected run's presentation in the
// Sessions home, its details and its actions.
class DeliveryController final : public QObject, public RunPresenter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeliveryController)

public:
    DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home, QObject* parent = nullptr);

    // The run picker; hidden until there are runs.
    QComboBox* buildPicker();

    void renderDeliveryRuns(const QJsonArray& runs);
    void renderSelectedDeliveryRun() override;
    // Preview: start with the details group open.
    void openDetails();
    bool detailsOpen() const { return m_deliveryDetailsOpen; }

private:
    AppContext& m_context;
    SupervisionModel& m_model;
    SupervisionHome& m_home;
    bool m_deliveryDetailsOpen = false;
    QComboBox* m_deliveryPicker = nullptr;
};
