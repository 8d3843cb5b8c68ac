// Managed Dozadavi Zaro runs of the snapshot.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>

DeliveryController::DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home) {}

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

void DeliveryController::renderSelectedDeliveryRun() {}

void DeliveryController::openDetails() {
    m_deliveryDetailsOpen = true;
    m_home.setDetailsOpen(true);
}
