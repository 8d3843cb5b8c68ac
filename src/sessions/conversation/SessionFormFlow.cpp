// The supervision form: drafts kept per conversation, the auto-continue switch with its change in flight, and
// the two commands of the form (an analysis, a manual goal). Preview mode pretends and sends nothing.
#include "sessions/conversation/SessionsController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "platform/Platform.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/records/SessionRecords.h"
#include "ui/ThemedLabel.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

// Preview mode answers an auto-continue change after this long, as a host would.
constexpr int kPreviewDelayMs = 350;

// The selected item's value when it has the expected type; absent otherwise.
std::optional<QString> chosenText(const QComboBox* picker) {
    const QVariant value = picker->currentData();
    if (picker->currentIndex() < 0 || value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<int> chosenNumber(const QComboBox* picker) {
    const QVariant value = picker->currentData();
    if (picker->currentIndex() < 0 || value.typeId() != QMetaType::Int) {
        return std::nullopt;
    }
    return value.toInt();
}

void choose(QComboBox* picker, const QVariant& value) {
    picker->setCurrentIndex(picker->findData(value));
}

void showMessage(ThemedLabel* line, const QString& text) {
    line->setText(text);
    line->setHidden(text.isEmpty());
}

} // namespace

SessionDraft SessionsController::draftFromForm() const {
    const SessionDraft defaults;
    SessionDraft draft;
    draft.goal = m_pane.sessionGoal->toPlainText();
    draft.criteria = m_pane.sessionCriteria->toPlainText();
    draft.policy = chosenText(m_pane.sessionPolicy).value_or(defaults.policy);
    draft.minutes = chosenNumber(m_pane.sessionMinutes).value_or(defaults.minutes);
    draft.continuations = chosenNumber(m_pane.sessionContinuations).value_or(defaults.continuations);
    draft.failures = chosenNumber(m_pane.sessionFailures).value_or(defaults.failures);
    draft.advanced = m_sessionAdvancedOpen;
    draft.manual = m_sessionManualOpen;
    return draft;
}

void SessionsController::saveSessionDraft() {
    if (m_sessionDraftIdentity.isEmpty() || !m_pane.sessionGoal) {
        return;
    }
    m_sessionDrafts.insert(m_sessionDraftIdentity, draftFromForm());
}

void SessionsController::loadSessionDraft(const QString& identity) {
    m_sessionDraftIdentity = identity;
    const SessionDraft draft = m_sessionDrafts.value(identity);
    m_pane.sessionGoal->setPlainText(draft.goal);
    m_pane.sessionCriteria->setPlainText(draft.criteria);
    choose(m_pane.sessionPolicy, draft.policy);
    choose(m_pane.sessionMinutes, draft.minutes);
    choose(m_pane.sessionContinuations, draft.continuations);
    choose(m_pane.sessionFailures, draft.failures);
    m_sessionAdvancedOpen = draft.advanced;
    m_sessionManualOpen = draft.manual;
    showMessage(m_pane.sessionActionMessage, QString());
}

void SessionsController::toggleSessionAutoContinue() {
    const QString identity = m_model.selectedSessionIdentity;
    const std::optional<qsizetype> index = candidateIndexOf(identity);
    const std::optional<QJsonObject> record =
        index ? std::optional(m_model.sessionCandidates.at(*index)) : std::nullopt;
    const AutoContinueToggle toggle =
        autoContinueToggle(record, reachable(), m_pendingSessionAutoContinue.contains(identity));
    if (toggle.outcome != AutoContinueToggle::Outcome::send) {
        presentSelectedSession(); // the switch shows the record's value again
        return;
    }
    m_pendingSessionAutoContinue.insert(identity, {toggle.desired, false});
    m_sessionAutoContinueErrors.remove(identity);
    presentSelectedSession();

    const QPointer<SessionsController> self(this);
    if (m_context.link.fixtureMode) {
        m_lastPreviewSessionAction = QStringLiteral("session_set_auto_continue");
        m_lastPreviewSessionFields = toggle.fields;
        QTimer::singleShot(kPreviewDelayMs, this, [self, identity] {
            if (self) {
                self->finishSessionAutoContinue(identity, true);
            }
        });
        return;
    }
    m_context.commands.send(QStringLiteral("session_set_auto_continue"), false, std::nullopt, toggle.fields,
                            [self, identity](bool ok, const std::optional<QString>&) {
                                if (!self) {
                                    return;
                                }
                                self->finishSessionAutoContinue(identity, ok);
                                self->m_context.commands.send(QStringLiteral("refresh"));
                            });
}

void SessionsController::finishSessionAutoContinue(const QString& identity, bool ok) {
    if (!m_pendingSessionAutoContinue.contains(identity)) {
        return;
    }
    if (!ok) {
        m_pendingSessionAutoContinue.remove(identity);
        m_sessionAutoContinueErrors.insert(identity,
                                           sessionFormMessage(SessionFormMessage::autoContinueFailed, m_context.copy));
    } else {
        PendingSessionAutoContinue& pending = m_pendingSessionAutoContinue[identity];
        pending.accepted = true;
        if (m_context.link.fixtureMode) {
            if (const std::optional<qsizetype> index = candidateIndexOf(identity)) {
                m_model.sessionCandidates[*index].insert(QStringLiteral("autoContinue"), pending.desired);
            }
        }
    }
    takeSessionRecords(m_model.sessionCandidates);
}

void SessionsController::submitSessionMode() {
    const std::optional<qsizetype> index = selectedCandidateIndex();
    if (!index || !reachable()) {
        return;
    }
    const QJsonObject record = m_model.sessionCandidates.at(*index);
    if (!sessionCommandFields(record) || sessionTurnRunning(record)) {
        return;
    }
    if (m_sessionManualOpen) {
        submitEnrolment(record);
    } else if (const std::optional<QJsonObject> fields = sessionAnalyzeFields(record)) {
        submitAnalysis(record, *fields);
    }
}

void SessionsController::submitAnalysis(const QJsonObject& record, const QJsonObject& fields) {
    const QString identity = sessionIdentity(record);
    if (m_context.link.fixtureMode) {
        m_lastPreviewSessionAction = QStringLiteral("session_analyze");
        m_lastPreviewSessionFields = fields;
        replaceAnalysis(identity, previewAnalysisResult(record, m_context.copy));
        return;
    }
    replaceAnalysis(identity, QJsonObject{{QStringLiteral("state"), QStringLiteral("queued")}});
    const QPointer<SessionsController> self(this);
    m_context.commands.send(
        QStringLiteral("session_analyze"), false, std::nullopt, fields,
        [self, identity](bool ok, const std::optional<QString>&) {
            if (!self) {
                return;
            }
            if (!ok) {
                self->replaceAnalysis(identity, QJsonObject{{QStringLiteral("state"), QStringLiteral("failed")}});
            }
            self->m_context.commands.send(QStringLiteral("refresh"));
        });
}

void SessionsController::submitEnrolment(const QJsonObject& record) {
    if (!chosenText(m_pane.sessionPolicy) || !chosenNumber(m_pane.sessionMinutes) ||
        !chosenNumber(m_pane.sessionContinuations) || !chosenNumber(m_pane.sessionFailures)) {
        return;
    }
    const SessionEnrolment enrolment = sessionEnrolment(record, draftFromForm(), m_context.copy);
    if (enrolment.outcome == SessionEnrolment::Outcome::ignored) {
        return;
    }
    if (enrolment.outcome == SessionEnrolment::Outcome::refused) {
        showMessage(m_pane.sessionActionMessage, enrolment.message);
        return;
    }
    if (m_context.link.fixtureMode) {
        const SessionAlert sample = previewEnrolmentAlert(enrolment.fields, m_context.copy);
        AlertRequest alert;
        alert.style = AlertRequest::Style::informational;
        alert.message = sample.message;
        alert.informativeText = sample.text;
        alert.buttons = {sample.button};
        m_context.platform.runAlert(alert, m_context.window);
        return;
    }
    const QString identity = sessionIdentity(record);
    m_enrolmentsInFlight.insert(identity);
    m_pane.sessionAction->setEnabled(false);
    m_pane.sessionManualAction->setEnabled(false);
    showMessage(m_pane.sessionActionMessage, sessionFormMessage(SessionFormMessage::updating, m_context.copy));
    const QPointer<SessionsController> self(this);
    m_context.commands.send(
        QStringLiteral("session_enroll"), false, std::nullopt, enrolment.fields,
        [self, identity](bool ok, const std::optional<QString>&) {
            if (!self) {
                return;
            }
            self->m_enrolmentsInFlight.remove(identity);
            self->presentSelectedSession();
            // The form may show another conversation by now; its message line is not this one's.
            if (self->m_sessionDraftIdentity == identity) {
                showMessage(self->m_pane.sessionActionMessage,
                            sessionFormMessage(ok ? SessionFormMessage::accepted : SessionFormMessage::failed,
                                               self->m_context.copy));
            }
            self->m_context.commands.send(QStringLiteral("refresh"));
        });
}

// A local change of a conversation's analysis, shown at once in the list and the pane.
void SessionsController::replaceAnalysis(const QString& identity, const QJsonObject& analysis) {
    if (const std::optional<qsizetype> index = candidateIndexOf(identity)) {
        m_model.sessionCandidates[*index].insert(QStringLiteral("analysis"), analysis);
    }
    takeSessionRecords(m_model.sessionCandidates);
}
