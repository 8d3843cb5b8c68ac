// The selection of the Sessions home and what it shows: one rule for every way a conversation or run is chosen,
// one value for the pane, drawn by the home; the conversation pane and the components below follow that value.
#include "sessions/conversation/SessionsController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionPresentation.h"
#include "sessions/home/HomePresentation.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/records/SessionRecords.h"
#include "sessions/understanding/UnderstandingPanel.h"
#include "ui/ThemedLabel.h"

#include <QPushButton>

void SessionsController::applySelection(const HomeSelection& chosen) {
    const HomeSelection next = homeSelection(m_model.sessionCandidates, m_model.deliveryRuns, chosen);
    const bool changed =
        next.conversation != m_model.selectedSessionIdentity || next.run != m_model.selectedDeliveryIdentity;
    if (changed) {
        m_feedback = {}; // the line spoke of what was shown before
    }
    m_model.selectedSessionIdentity = next.conversation;
    m_model.selectedDeliveryIdentity = next.run;
    if (changed) {
        Q_EMIT selectionChanged(next.conversation, next.run);
    }
}

// After a snapshot: a conversation that left the list gives way to the list's first row; a run chosen on its own
// stays while it is listed.
void SessionsController::reconcileSelection() {
    HomeSelection kept{m_model.selectedSessionIdentity, m_model.selectedDeliveryIdentity};
    if (!kept.conversation.isEmpty() && !candidateIndexOf(kept.conversation)) {
        kept = {};
    }
    applySelection(kept);
}

void SessionsController::renderWaiting() {
    m_notice = HomeLinkNotice::waiting;
    presentSelectedSession();
}

void SessionsController::renderDisconnected(const QString& message) {
    m_notice = HomeLinkNotice::disconnected;
    m_disconnectedMessage = message;
}

void SessionsController::renderSelectedSession() {
    presentSelectedSession();
}

void SessionsController::showFeedback(const QString& subject, const QString& text, bool failure) {
    if (subject != feedbackSubject(m_model)) {
        return; // a late result about a conversation or run the user has left
    }
    m_feedback = {subject, text, failure};
    presentSelectedSession();
}

// Each view is written once per call, so a snapshot that changes nothing repaints nothing.
void SessionsController::presentSelectedSession() {
    const std::optional<QJsonObject> conversation = selectedConversation(m_model);
    const std::optional<QJsonObject> run = selectedRun(m_model);
    QString mirrored = m_model.selectedDeliveryIdentity;
    if (!run && conversation) {
        // A conversation shown as itself: the picker still names the run it has, if any.
        const std::optional<QJsonObject> own = matchingSessionRun(*conversation, m_model.deliveryRuns);
        mirrored = own ? deliveryIdentity(*own) : QString();
    }
    m_runs.mirrorRunSelection(mirrored);

    HomeInput input;
    input.notice = m_notice;
    input.disconnectedMessage = m_disconnectedMessage;
    input.fixtureMode = m_context.link.fixtureMode;
    input.reachable = reachable();
    input.listEmpty = m_model.sessionCandidates.isEmpty();
    input.discoveryMessage = m_sessionDiscoveryMessage;
    input.runs = m_model.deliveryRuns;
    input.conversation = conversation;
    input.run = run;
    if (run) {
        input.runView = m_runs.presentRun(*run);
    }
    input.manualOpen = m_sessionManualOpen;
    if (m_feedback.subject == feedbackSubject(m_model)) {
        input.feedback = m_feedback.text;
        input.feedbackFailure = m_feedback.failure;
    }
    const HomeView view = supervisionHomeView(input, m_context.copy);
    m_home.apply(view);

    // The components the value hides are not drawn.
    if (view.contextRowVisible && conversation) {
        renderSessionContext(*conversation);
    } else {
        m_pane.sessionContext->hide();
    }
    if (view.conversationFormVisible && conversation) {
        renderConversationView(*conversation);
    } else {
        m_pane.sessionForm->hide();
    }
    if (view.understandingVisible && run) {
        m_understanding.renderUnderstanding(*run);
    } else {
        m_understanding.hide();
    }
    m_association.renderActionAssociation(run ? *run : conversation.value_or(QJsonObject()));
}

void SessionsController::renderConversationView(const QJsonObject& record) {
    const QString identity = sessionIdentity(record);
    if (m_sessionDraftIdentity != identity) {
        resetFormFor(identity);
    }
    m_pane.sessionForm->show();
    renderSessionAnalysis(record);

    const SessionConversationPresentation view =
        sessionConversationPresentation(record, m_sessionManualOpen, reachable(), m_context.copy);
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
