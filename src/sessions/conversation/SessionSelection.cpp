// The selected conversation in the Sessions home: the empty state, a managed conversation drawn as its run, the
// placeholder of a binding whose run does not exist yet, and the conversation view.
#include "sessions/SessionsController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "sessions/ActionAssociationArea.h"
#include "sessions/RunPresenter.h"
#include "sessions/SessionPresentation.h"
#include "sessions/SessionRecords.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "sessions/UnderstandingPanel.h"
#include "ui/ThemedLabel.h"

#include <QPushButton>

void SessionsController::renderSelectedSession() {
    m_presentedRun.clear(); // someone else drew the home meanwhile (waiting, stale, disconnected)
    presentSelectedSession();
}

// Each view is written once per call, so a snapshot that changes nothing repaints nothing.
void SessionsController::presentSelectedSession() {
    const std::optional<qsizetype> index = selectedCandidateIndex();
    if (!index) {
        renderEmptySession();
        return;
    }
    const QJsonObject record = m_model.sessionCandidates.at(*index);
    const QString identity = sessionIdentity(record);
    renderSessionContext(record);
    m_home.setSessionHeader(sessionDisplayTitle(record), providerDisplayName(record));

    const SessionPanePresentation pane = sessionPanePresentation(record, m_model.deliveryRuns, m_context.copy);
    if (pane.kind == SessionPaneKind::run && pane.run) {
        // The run area draws the whole headline area, its attention styling and the way back; what another
        // view left there goes first, but only once, so that a heartbeat repaints nothing.
        const QString runIdentity = deliveryIdentity(*pane.run);
        if (m_presentedRun != runIdentity) {
            m_home.clearHeadlineArea();
            m_presentedRun = runIdentity;
        }
        m_model.selectedSessionIdentity = identity;
        m_pane.sessionForm->hide();
        m_home.setSessionStatusHidden(true);
        m_home.setHeadlineMaximumLines(pane.headlineLines);
        m_runs.selectDeliveryRun(runIdentity);
        m_runs.renderSelectedDeliveryRun();
        if (pane.takeover) {
            m_home.setHeadline(pane.headline, pane.headlineLines);
            m_home.setBadge(pane.badge);
            m_home.setBadgeHidden(false);
            m_home.setAttention(pane.attention);
            m_home.setNext(pane.next);
            m_home.setDeliveryPrimaryHidden(true);
        }
        return;
    }

    m_presentedRun.clear();
    m_home.hideOriginalSessionButton();
    m_understanding.hide();
    m_association.renderActionAssociation(record);
    m_runs.hideRunControls();
    m_home.setDeliveryPrimaryHidden(true);
    m_home.setBadgeHidden(false);
    m_home.setProgress(QString());
    if (pane.kind == SessionPaneKind::placeholder) {
        m_pane.sessionForm->hide();
        m_home.setSessionStatusHidden(true);
        m_home.setHeadline(pane.headline, pane.headlineLines);
        m_home.setBadge(pane.badge);
        m_home.setGoal(pane.goal.value_or(QString()));
        m_home.setSummary(QString());
        m_home.setAttention(pane.attention);
        m_home.setNext(pane.next);
    } else {
        renderConversationView(record);
    }
    m_model.selectedSessionIdentity = identity;
    m_home.styleAttention(false);
}

void SessionsController::renderEmptySession() {
    m_presentedRun.clear();
    m_home.hideOriginalSessionButton();
    m_home.setSessionStatusHidden(true);
    m_home.setAttention(QString());
    m_home.styleAttention(false);
    m_pane.sessionContext->hide();
    m_pane.sessionForm->hide();
    m_understanding.hide();
    m_association.renderActionAssociation({});
    m_runs.hideRunControls();
    m_home.setProgress(QString());
    m_home.setDeliveryPrimaryHidden(true);
    m_model.selectedSessionIdentity.clear();
    const SessionEmptyState empty = sessionEmptyState(m_sessionDiscoveryMessage, m_context.copy);
    m_home.setSessionHeader(empty.title, QString());
    if (!m_context.link.connected) {
        // Without a status the list says nothing about this machine: the waiting or disconnected texts stay.
        return;
    }
    m_home.setHeadline(empty.headline, 3);
    m_home.setBadge(empty.badge);
    m_home.setBadgeHidden(false);
    m_home.setGoal(QString());
    m_home.setSummary(QString());
    m_home.setNext(empty.next);
}

void SessionsController::renderConversationView(const QJsonObject& record) {
    const QString identity = sessionIdentity(record);
    if (m_sessionDraftIdentity != identity) {
        resetFormFor(identity);
    }
    m_home.setGoal(QString());
    m_home.setSummary(QString());
    m_home.setAttention(QString());
    m_home.setNext(QString());
    m_home.setHeadline(QString(), 1);
    m_home.setBadge(bindingMode(record) == u"monitor" ? m_context.copy.text("監視中", "Monitoring")
                                                      : m_context.copy.text("利用可能", "Available"));
    m_home.setBadgeHidden(true);

    m_pane.sessionForm->show();
    renderSessionAnalysis(record);

    const SessionConversationPresentation view =
        sessionConversationPresentation(record, m_sessionManualOpen, reachable(), m_context.copy);
    m_home.setSessionStatus(view.eyeline, view.needsYou);
    m_home.setSessionStatusHidden(false);
    m_pane.sessionManualToggle->setText(view.manualToggleTitle);
    m_pane.sessionManualToggle->setHidden(!view.manualToggleVisible);
    m_pane.sessionCapabilityNote->setText(view.capabilityNote);
    m_pane.sessionCapabilityNote->hide();

    m_pane.sessionFields->setVisible(m_sessionManualOpen);
    m_pane.sessionPolicyRow->setVisible(m_sessionManualOpen);
    m_pane.sessionAdvancedToggle->setVisible(m_sessionManualOpen);
    m_pane.sessionAdvancedToggle->setText(
        sessionToggleTitle(SessionToggle::advanced, m_sessionAdvancedOpen, m_context.copy));
    m_pane.sessionAdvancedGroup->setVisible(m_sessionManualOpen && m_sessionAdvancedOpen);
    m_pane.sessionPreferencesGroup->setVisible(m_sessionPreferencesOpen);
    m_pane.sessionPreviewNote->hide();

    m_pane.sessionAction->setText(m_context.copy.text("再試行", "Retry"));
    m_pane.sessionAction->setVisible(view.retryVisible);
    m_pane.sessionAction->setEnabled(view.retryEnabled);
    m_pane.sessionManualAction->setVisible(view.manualSubmitVisible);
    // One enrolment at a time: a second press would only be refused by the host.
    m_pane.sessionManualAction->setEnabled(view.manualSubmitEnabled && !m_enrolmentsInFlight.contains(identity));
}

// Another conversation takes the form: its draft and its open sections, nothing of the previous one.
void SessionsController::resetFormFor(const QString& identity) {
    m_sessionPreferencesOpen = false;
    m_sessionEvidenceOpen = false;
    m_pane.sessionPreferencesGroup->hide();
    m_pane.sessionPreferencesToggle->setText(sessionToggleTitle(SessionToggle::preferences, false, m_context.copy));
    m_pane.sessionEvidenceToggle->setText(sessionToggleTitle(SessionToggle::evidence, false, m_context.copy));
    loadSessionDraft(identity);
}
