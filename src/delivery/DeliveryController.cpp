// Managed Dozadavi Zaro runs of the snapshot.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>

DeliveryController::DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       UnderstandingPanel& understanding, ActionAssociationArea& association,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home), m_understanding(understanding),
      m_association(association) {}

QComboBox* DeliveryController::buildPicker() {
    m_deliveryPicker = named(new QComboBox(), "deliveryPicker");
    m_deliveryPicker->hide(); // shown by the run list once there are runs
    return m_deliveryPicker;
}

void DeliveryController::renderDeliveryRuns(const QJsonArray& runs) {
    m_model.deliveryRuns.clear();
    for (const QJsonValue& run : runs) {
        if (run.isObject()) {
            m_model.deliveryRuns.append(run.toObject());
        }
    }
}

void DeliveryController::selectDeliveryRun(const QString&) {}

void DeliveryController::renderSelectedDeliveryRun() {}

void DeliveryController::hideRunControls() {
    m_home.setRunControlsHidden(true);
}

void DeliveryController::openDetails() {
    m_deliveryDetailsOpen = true;
    m_home.setDetailsOpen(true);
}
