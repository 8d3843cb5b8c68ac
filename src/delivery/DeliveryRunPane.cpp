// The selected run's part of the Sessions home: decided as one value from the run record, its conversation and the
// pane's memory; the details body is drawn here, everything else by the home from the value.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "delivery/DeliveryDetails.h"
#include "delivery/DeliveryDetailsView.h"
#include "model/RecordIdentity.h"
#include "sessions/conversation/CompactSessionDetails.h"
#include "sessions/home/SupervisionModel.h"

HomeView DeliveryController::presentRun(const QJsonObject& run) {
    RunPaneMemory memory = m_memory;
    memory.pickedPolicy = m_home.pickedPolicy();
    memory.criterionIndex = m_home.criterionIndex();
    const std::optional<RunSessionFacts> session = sessionFacts(run);
    RunPresentation p = deliveryRunPresentation(
        {run, session, memory, m_context.link.fixtureMode, m_context.link.connected}, m_context.copy);
    if (p.runChanged && m_openDetailsForFirstRun) {
        // The preview asked for open details; the first run it shows is not a change the user made.
        p.memory.detailsOpen = true;
        p.detailsGroupVisible = true;
    }
    m_openDetailsForFirstRun = false;
    m_memory = p.memory;
    const bool compact = p.compactSessionDetails && session;
    if (compact) {
        showCompactSessionDetails(session->record, run);
    } else if (p.memory.detailsOpen) {
        renderDeliveryDetails(run);
    } else {
        // Drawn when the group opens; a closed group holds nothing to keep up to date.
        clearDetailsBody();
    }
    const QString identity = deliveryIdentity(run);
    const RunCommandsInFlight sent = m_inFlight.value(identity);
    const RunCommandsInFlight answered = m_answered.value(identity);
    const RunCommandsInFlight busy{sent.actions || answered.actions, sent.policy || answered.policy,
                                   sent.verify || answered.verify, sent.dependency || answered.dependency};
    return runHomeView(p, originalNavigationButton(run, m_context.link.fixtureMode, m_context.copy), compact,
                       m_deliveryDetailsIndex, busy);
}

// The body is rebuilt only when what it should show changed: a heartbeat repeating the same run keeps its views.
bool DeliveryController::detailsBodyShows(const QJsonObject& key) {
    if (m_detailsBodyKey == key) {
        return true;
    }
    m_detailsBodyKey = key;
    return false;
}

void DeliveryController::clearDetailsBody() {
    if (!detailsBodyShows(QJsonObject())) {
        clearDeliveryDetails(m_home.deliveryDetailsBody());
    }
}

void DeliveryController::renderDeliveryDetails(const QJsonObject& run) {
    if (detailsBodyShows({{QStringLiteral("run"), run}, {QStringLiteral("tab"), m_deliveryDetailsIndex}})) {
        return;
    }
    showDetailSections(m_home.deliveryDetailsBody(), deliveryDetails(run, m_deliveryDetailsIndex, m_context.copy),
                       m_context.copy);
}

void DeliveryController::showCompactSessionDetails(const QJsonObject& session, const QJsonObject& run) {
    if (detailsBodyShows({{QStringLiteral("run"), run}, {QStringLiteral("session"), session}})) {
        return;
    }
    QWidget* body = m_home.deliveryDetailsBody();
    clearDeliveryDetails(body);
    renderCompactSessionDetails(
        session, run, m_context.copy,
        [body](const QString& title, const QList<QWidget*>& views) { addDetailSection(body, title, views); },
        [this] { Q_EMIT originalSessionRequested(); });
}

void DeliveryController::toggleDeliveryDetails() {
    m_memory.detailsOpen = !m_memory.detailsOpen;
    Q_EMIT homeChanged();
}

void DeliveryController::toggleDeliverySettings() {
    m_memory.settingsOpen = !m_memory.settingsOpen;
    Q_EMIT homeChanged();
}

void DeliveryController::selectDeliveryDetails(int tab) {
    m_deliveryDetailsIndex = tab;
    Q_EMIT homeChanged();
}
