// The selected run drawn into the Sessions home: the presentation is decided as one value from the run record,
// its conversation and the pane's memory, then applied view by view in the order later lines overwrite earlier ones.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "delivery/DeliveryDetails.h"
#include "delivery/DeliveryDetailsView.h"
#include "sessions/ActionAssociationArea.h"
#include "sessions/CompactSessionDetails.h"
#include "sessions/OriginalConversation.h"
#include "sessions/SupervisionModel.h"
#include "sessions/UnderstandingPanel.h"

#include <QComboBox>

namespace {

QStringList criterionTitles(const QList<PendingCriterion>& criteria) {
    QStringList titles;
    titles.reserve(criteria.size());
    for (const PendingCriterion& criterion : criteria) {
        titles.append(criterion.title);
    }
    return titles;
}

} // namespace

void DeliveryController::renderSelectedDeliveryRun() {
    RunPaneMemory memory = m_memory;
    memory.selectedIdentity = m_model.selectedDeliveryIdentity;
    memory.pickedPolicy = m_home.pickedPolicy();
    memory.criterionIndex = m_home.criterionIndex();
    const bool fixture = m_context.link.fixtureMode;
    const int index = m_deliveryPicker ? m_deliveryPicker->currentIndex() : -1;
    if (index < 0 || index >= m_model.deliveryRuns.size()) {
        const RunPresentation p = emptyDeliveryRunPresentation(memory, fixture, m_context.copy);
        m_memory = p.memory;
        m_model.selectedDeliveryIdentity = p.memory.selectedIdentity;
        applyEmptyPresentation(p);
        return;
    }
    const QJsonObject run = m_model.deliveryRuns.at(index);
    const std::optional<RunSessionFacts> session = sessionFacts(run);
    RunPresentation p =
        deliveryRunPresentation({run, session, memory, fixture, m_context.link.connected}, m_context.copy);
    if (p.runChanged && m_openDetailsForFirstRun) {
        // The preview asked for open details; the first run it shows is not a change the user made.
        p.memory.detailsOpen = true;
        p.detailsGroupVisible = true;
    }
    m_openDetailsForFirstRun = false;
    m_memory = p.memory;
    m_model.selectedDeliveryIdentity = p.memory.selectedIdentity;
    applyRunPresentation(run, session, p);
}

void DeliveryController::applyRunPresentation(const QJsonObject& run, const std::optional<RunSessionFacts>& session,
                                              const RunPresentation& p) {
    m_home.setPreviewBadgeVisible(p.previewBadgeVisible);
    // The companions first: the run's lines below read whether the understanding panel speaks.
    m_home.setOriginalNavigation(originalNavigationButton(run, m_context.link.fixtureMode, m_context.copy));
    m_understanding.renderUnderstanding(run);
    m_association.renderActionAssociation(run);
    m_home.setRunControlsHidden(false);
    m_home.setDeliveryPrimaryHidden(false);
    const bool compact = p.compactSessionDetails && session;
    if (compact) {
        // Drawn below, once the run's lines are in place.
    } else if (p.memory.detailsOpen) {
        renderDeliveryDetails(run);
    } else {
        // Drawn when the group opens; a closed group holds nothing to keep up to date.
        clearDetailsBody();
    }
    m_primaryAction = p.primaryAction;
    applyCommonPresentation(p);
    m_home.setReplanTint(p.replanAttentionTint);
    if (compact) {
        showCompactSessionDetails(session->record, run);
    }
    if (p.hideOriginalSessionButton) {
        m_home.hideOriginalSessionButton();
    }
}

void DeliveryController::applyEmptyPresentation(const RunPresentation& p) {
    m_home.setPreviewBadgeVisible(p.previewBadgeVisible);
    m_home.setOriginalNavigation(OriginalNavigationButton{});
    m_understanding.hide();
    m_association.renderActionAssociation(QJsonObject());
    m_home.setRunControlsHidden(true);
    clearDetailsBody();
    m_home.setActionMessage(QString());
    m_primaryAction = p.primaryAction;
    applyCommonPresentation(p);
    m_home.setReplanTint(false);
}

// What both states set: the lines, the badge, the primary button and every run control.
void DeliveryController::applyCommonPresentation(const RunPresentation& p) {
    m_home.setRunHeadline(p.headline);
    m_home.setStateBadge(p.badge);
    m_home.setGoal(p.goal, p.goalVisible);
    m_home.setProgress(p.progress, p.progressVisible);
    m_home.setSummary(p.summary, p.summaryVisible);
    m_home.setAttention(p.attention, p.attentionVisible);
    m_home.setNext(p.next, p.nextVisible);
    m_home.styleAttention(p.attentionStyle);

    m_home.setDeliveryPrimary(p.primaryTitle, p.primaryEnabled, p.primaryAttention);
    m_home.setPolicyControls(p.policyPickerEnabled, p.policySelection, p.policyApplyEnabled);
    m_home.setCriteria(criterionTitles(p.criteria), p.criterionIndex, p.criterionPickerVisible);
    using Control = SupervisionHome::RunControl;
    m_home.setRunControl(Control::verify, p.verify.enabled, p.verify.visible);
    m_home.setRunControl(Control::pause, p.pause.enabled, p.pause.visible);
    m_home.setRunControl(Control::resume, p.resume.enabled, p.resume.visible);
    m_home.setRunControlEnabled(Control::approve, p.approveEnabled);
    m_home.setRunControl(Control::reject, p.reject.enabled, p.reject.visible);
    m_home.setRunControl(Control::replan, p.replan.enabled, p.replan.visible);
    m_home.setRunControl(Control::stop, p.stop.enabled, p.stop.visible);
    m_home.setDetailsOpen(p.detailsGroupVisible);
    m_home.setSettingsOpen(p.settingsGroupVisible);
    m_home.setDeliveryPrimaryHidden(!p.primaryVisible);
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
    m_home.setDetailsTabsVisible(true);
    m_home.setDetailsTab(m_deliveryDetailsIndex);
    if (detailsBodyShows({{QStringLiteral("run"), run}, {QStringLiteral("tab"), m_deliveryDetailsIndex}})) {
        return;
    }
    showDetailSections(m_home.deliveryDetailsBody(), deliveryDetails(run, m_deliveryDetailsIndex, m_context.copy),
                       m_context.copy);
}

void DeliveryController::showCompactSessionDetails(const QJsonObject& session, const QJsonObject& run) {
    m_understanding.hide();
    m_home.setDetailsTabsVisible(false);
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
    m_home.setDetailsOpen(m_memory.detailsOpen);
    renderSelectedDeliveryRun();
}

void DeliveryController::toggleDeliverySettings() {
    m_memory.settingsOpen = !m_memory.settingsOpen;
    m_home.setSettingsOpen(m_memory.settingsOpen);
    renderSelectedDeliveryRun();
}

void DeliveryController::selectDeliveryDetails(int tab) {
    m_deliveryDetailsIndex = tab;
    m_home.setDetailsTab(tab);
    renderSelectedDeliveryRun();
}

void DeliveryController::showDeliverySetup() {
    Q_EMIT deliverySetupRequested();
}
