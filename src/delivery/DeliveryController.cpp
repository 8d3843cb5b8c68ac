// The run list of each snapshot, the picker that mirrors the selected run, and the buttons of the run's controls.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "delivery/DeliveryRecords.h"
#include "model/RecordIdentity.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/records/SessionRecords.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QSignalBlocker>

DeliveryController::DeliveryController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home) {
    connect(&m_home, &SupervisionHome::runControlClicked, this, &DeliveryController::controlClicked);
    connect(&m_home, &SupervisionHome::deliveryDetailsTabChosen, this, &DeliveryController::selectDeliveryDetails);
    connect(&m_home, &SupervisionHome::deliveryPolicyChosen, this, &DeliveryController::homeChanged);
}

QComboBox* DeliveryController::buildPicker() {
    m_deliveryPicker = named(new QComboBox(), "deliveryPicker");
    m_deliveryPicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deliveryPicker->setMinimumContentsLength(24);
    m_deliveryPicker->setAccessibleName(m_context.copy.text("Dozadavi Zaro の実行", "Dozadavi Zaro run"));
    m_deliveryPicker->hide(); // shown by the run list once there are runs
    connect(m_deliveryPicker, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_model.deliveryRuns.size()) {
            Q_EMIT runChosen(deliveryIdentity(m_model.deliveryRuns.at(index)));
        }
    });
    return m_deliveryPicker;
}

void DeliveryController::renderDeliveryRuns(const QJsonArray& runs) {
    m_answered.clear(); // a fresh status: what the answered commands changed is in it
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
    mirrorRunSelection(m_mirroredRun);
    m_deliveryPicker->show();
}

void DeliveryController::mirrorRunSelection(const QString& runIdentity) {
    m_mirroredRun = runIdentity;
    if (!m_deliveryPicker) {
        return;
    }
    int index = -1;
    for (qsizetype candidate = 0; candidate < m_model.deliveryRuns.size() && !runIdentity.isEmpty(); ++candidate) {
        if (deliveryIdentity(m_model.deliveryRuns.at(candidate)) == runIdentity) {
            index = static_cast<int>(candidate);
            break;
        }
    }
    const QSignalBlocker quiet(m_deliveryPicker);
    m_deliveryPicker->setCurrentIndex(index);
}

void DeliveryController::openDetails() {
    m_memory.detailsOpen = true;
    m_openDetailsForFirstRun = true;
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
