// The run list of each snapshot: the picker's titles, the selection kept by identity, and the ways a run gets
// chosen (the picker, or the conversation view presenting a managed conversation).
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "delivery/DeliveryRecords.h"
#include "model/RecordIdentity.h"
#include "sessions/SessionRecords.h"
#include "sessions/SupervisionModel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QSignalBlocker>

DeliveryController::DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       UnderstandingPanel& understanding, ActionAssociationArea& association,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home), m_understanding(understanding),
      m_association(association) {
    connect(&m_home, &SupervisionHome::runControlClicked, this, &DeliveryController::controlClicked);
    connect(&m_home, &SupervisionHome::deliveryDetailsTabChosen, this, &DeliveryController::selectDeliveryDetails);
    connect(&m_home, &SupervisionHome::deliveryPolicyChosen, this, &DeliveryController::renderSelectedDeliveryRun);
}

QComboBox* DeliveryController::buildPicker() {
    m_deliveryPicker = named(new QComboBox(), "deliveryPicker");
    m_deliveryPicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deliveryPicker->setMinimumContentsLength(24);
    m_deliveryPicker->hide(); // shown by the run list once there are runs
    connect(m_deliveryPicker, &QComboBox::activated, this, [this] { selectDeliveryRun(); });
    return m_deliveryPicker;
}

void DeliveryController::renderDeliveryRuns(const QJsonArray& runs) {
    const QString remembered = m_model.selectedDeliveryIdentity;
    m_model.deliveryRuns.clear();
    m_model.deliveryRuns.reserve(runs.size());
    for (const QJsonValue& run : runs) {
        if (run.isObject()) {
            m_model.deliveryRuns.append(run.toObject());
        }
    }
    if (!m_deliveryPicker) {
        return;
    }
    // Rebuilding the items must not look like the user's choice.
    const QSignalBlocker quiet(m_deliveryPicker);
    m_deliveryPicker->clear();
    if (m_model.deliveryRuns.isEmpty()) {
        m_deliveryPicker->hide();
        return;
    }
    m_deliveryPicker->addItems(deliveryPickerTitles(m_model.deliveryRuns));
    m_deliveryPicker->setCurrentIndex(static_cast<int>(deliveryRunToSelect(m_model.deliveryRuns, remembered)));
    m_deliveryPicker->show();
}

void DeliveryController::selectDeliveryRun() {
    m_home.setActionMessage(QString());
    renderSelectedDeliveryRun();
}

void DeliveryController::selectDeliveryRun(const QString& identity) {
    if (!m_deliveryPicker) {
        return;
    }
    for (qsizetype index = 0; index < m_model.deliveryRuns.size(); ++index) {
        if (deliveryIdentity(m_model.deliveryRuns.at(index)) == identity) {
            const QSignalBlocker quiet(m_deliveryPicker);
            m_deliveryPicker->setCurrentIndex(static_cast<int>(index));
            return;
        }
    }
}

void DeliveryController::hideRunControls() {
    // Only the views: the run's disclosures open again as they were if the same run comes back.
    m_home.setRunControlsHidden(true);
    m_home.setDetailsOpen(false);
    m_home.setSettingsOpen(false);
}

void DeliveryController::openDetails() {
    m_memory.detailsOpen = true;
    m_openDetailsForFirstRun = true;
    m_home.setDetailsOpen(true);
}

std::optional<QJsonObject> DeliveryController::presentedRun() const {
    if (m_model.selectedDeliveryIdentity.isEmpty()) {
        return std::nullopt;
    }
    for (const QJsonObject& run : m_model.deliveryRuns) {
        if (deliveryIdentity(run) == m_model.selectedDeliveryIdentity) {
            return run;
        }
    }
    return std::nullopt;
}

std::optional<RunSessionFacts> DeliveryController::sessionFacts(const QJsonObject& run) const {
    const qsizetype index = runSessionIndex(m_model.sessionCandidates, run);
    if (index < 0) {
        return std::nullopt;
    }
    RunSessionFacts facts;
    facts.record = m_model.sessionCandidates.at(index);
    facts.turnRunning = sessionTurnRunning(facts.record);
    if (const std::optional<AutoContinuePresentation> shown = autoContinuePresentation(facts.record, m_context.copy)) {
        facts.autoContinueShown = true;
        facts.autoContinueStatus = shown->status;
        facts.autoContinueTitle = shown->title;
        facts.autoContinueReason = shown->reason;
    }
    return facts;
}

bool DeliveryController::turnRunning(const QJsonObject& run) const {
    const std::optional<RunSessionFacts> session = sessionFacts(run);
    return session && session->turnRunning;
}

void DeliveryController::controlClicked(SupervisionHome::RunControl control) {
    using Control = SupervisionHome::RunControl;
    switch (control) {
    case Control::primary:
        performPrimaryDeliveryAction();
        break;
    case Control::pause:
        deliveryAction(QStringLiteral("delivery_pause"), false);
        break;
    case Control::resume:
        deliveryAction(QStringLiteral("delivery_resume"), false);
        break;
    case Control::approve:
        deliveryAction(QStringLiteral("delivery_approve"), true);
        break;
    case Control::reject:
        deliveryAction(QStringLiteral("delivery_reject"), true);
        break;
    case Control::replan:
        deliveryAction(QStringLiteral("delivery_replan"), false);
        break;
    case Control::stop:
        deliveryAction(QStringLiteral("delivery_stop"), false);
        break;
    case Control::policyApply:
        applyDeliveryPolicy();
        break;
    case Control::verify:
        verifyDelivery();
        break;
    case Control::detailsToggle:
        toggleDeliveryDetails();
        break;
    case Control::settingsToggle:
        toggleDeliverySettings();
        break;
    }
}
