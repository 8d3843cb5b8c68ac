// The context area of a selected conversation (auto-continue and the provider's own goal) and the four toggles
// of the conversation view.
#include "sessions/conversation/SessionsController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "sessions/conversation/SessionPresentation.h"
#include "ui/ThemedLabel.h"
#include "ui/ToggleSwitch.h"

#include <QPushButton>

void SessionsController::renderSessionContext(const QJsonObject& record) {
    const QString identity = sessionIdentity(record);
    const AutoContinueSwitchPresentation row = autoContinueSwitchPresentation(
        record, m_pendingSessionAutoContinue.contains(identity), reachable(), m_context.copy);
    m_pane.sessionAutoContinueSwitch->setChecked(row.on);
    m_pane.sessionAutoContinueSwitch->setEnabled(row.enabled);
    m_pane.sessionAutoContinueLabel->setEnabled(row.enabled);
    m_pane.sessionAutoContinueHint->setText(row.hint);
    const QString error = m_sessionAutoContinueErrors.value(identity);
    m_pane.sessionAutoContinueError->setText(error);
    m_pane.sessionAutoContinueError->setHidden(error.isEmpty());

    const ProviderGoalPresentation goal = providerGoalPresentation(record, m_context.copy);
    m_pane.sessionProviderGoal->setHidden(!goal.objective);
    m_pane.sessionProviderGoalText->setTextFormat(Qt::PlainText);
    m_pane.sessionProviderGoalText->setText(goal.objective.value_or(QString()));
    m_pane.sessionProviderGoalText->setToolTip(goal.objective.value_or(QString()));
    m_pane.sessionProviderGoalMeta->setTextFormat(Qt::PlainText);
    m_pane.sessionProviderGoalMeta->setText(goal.meta);
    m_pane.sessionContext->show();
}

void SessionsController::toggleSessionPreferences() {
    m_sessionPreferencesOpen = !m_sessionPreferencesOpen;
    m_pane.sessionPreferencesGroup->setVisible(m_sessionPreferencesOpen);
    m_pane.sessionPreferencesToggle->setText(
        sessionToggleTitle(SessionToggle::preferences, m_sessionPreferencesOpen, m_context.copy));
}

void SessionsController::toggleSessionEvidence() {
    m_sessionEvidenceOpen = !m_sessionEvidenceOpen;
    presentSelectedSession();
}

void SessionsController::toggleSessionManual() {
    m_sessionManualOpen = !m_sessionManualOpen;
    presentSelectedSession();
}

void SessionsController::toggleSessionAdvanced() {
    m_sessionAdvancedOpen = !m_sessionAdvancedOpen;
    m_pane.sessionAdvancedGroup->setVisible(m_sessionManualOpen && m_sessionAdvancedOpen);
    m_pane.sessionAdvancedToggle->setText(
        sessionToggleTitle(SessionToggle::advanced, m_sessionAdvancedOpen, m_context.copy));
}
