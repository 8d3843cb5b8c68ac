// The commands that steer the presented run: what is asked first, the feedback line while a command is in flight
// and after its result, and the status refresh that follows every result.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "platform/Platform.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/original/OriginalConversation.h"

#include <QPointer>

void DeliveryController::deliveryAction(const QString& action, bool approval) {
    const std::optional<QJsonObject> run = selectedRun(m_model);
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command =
        ::deliveryAction(*run, action, approval, turnRunning(*run), m_context.copy);
    if (!command || (command->confirmation && !confirm(*command->confirmation))) {
        return;
    }
    sendDeliveryCommand(deliveryIdentity(*run), *command, DeliveryRequest::action);
}

void DeliveryController::performPrimaryDeliveryAction() {
    const std::optional<QJsonObject> run = selectedRun(m_model);
    if (!run) {
        return;
    }
    switch (primaryDeliveryStep(*run, !m_memory.criteria.isEmpty(), m_context.link.fixtureMode)) {
    case PrimaryDeliveryStep::nothing:
        return;
    case PrimaryDeliveryStep::confirmDependency:
        confirmDependencyReady(*run);
        return;
    case PrimaryDeliveryStep::sampleAlert: {
        const DeliveryAlert sample = primarySampleAlert(*run, m_context.copy);
        AlertRequest request;
        request.style = AlertRequest::Style::informational;
        request.message = sample.message;
        request.informativeText = sample.detail;
        request.buttons = {sample.firstButton};
        m_context.platform.runAlert(request, m_context.window);
        return;
    }
    case PrimaryDeliveryStep::approve:
        deliveryAction(QStringLiteral("delivery_approve"), true);
        return;
    case PrimaryDeliveryStep::resume:
        deliveryAction(QStringLiteral("delivery_resume"), false);
        return;
    case PrimaryDeliveryStep::verify:
        verifyDelivery();
        return;
    }
}

void DeliveryController::applyDeliveryPolicy() {
    const std::optional<QJsonObject> run = selectedRun(m_model);
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command = policyCommand(*run, m_home.pickedPolicy());
    if (!command) {
        return;
    }
    sendDeliveryCommand(deliveryIdentity(*run), *command, DeliveryRequest::policy);
}

void DeliveryController::verifyDelivery() {
    const std::optional<QJsonObject> run = selectedRun(m_model);
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command =
        verifyCommand(*run, m_memory.criteria, m_home.criterionIndex(), m_context.copy);
    if (!command || !confirm(*command->confirmation)) {
        return;
    }
    sendDeliveryCommand(deliveryIdentity(*run), *command, DeliveryRequest::verify);
}

void DeliveryController::confirmDependencyReady(const QJsonObject& run) {
    const std::optional<DependencyPrompt> prompt = dependencyPrompt(run, m_context.copy);
    if (!prompt) {
        return;
    }
    AlertRequest request;
    request.style = AlertRequest::Style::informational;
    request.message = prompt->alert.message;
    request.informativeText = prompt->alert.detail;
    request.buttons = {prompt->alert.firstButton, prompt->alert.secondButton};
    request.hasTextField = true;
    request.textFieldPlaceholder = prompt->placeholder;
    const AlertAnswer answer = m_context.platform.runAlert(request, m_context.window);
    if (answer.button != 1) {
        return;
    }
    const std::optional<QString> typed = dependencyAnswer(answer.text);
    if (!typed) {
        return;
    }
    if (m_context.link.fixtureMode) {
        Q_EMIT feedbackChanged(deliveryIdentity(run), dependencySampleText(m_context.copy), false);
        return;
    }
    if (!m_context.link.connected) {
        return;
    }
    const std::optional<DeliveryCommand> command = dependencyCommand(run, *typed);
    if (!command) {
        return;
    }
    sendDeliveryCommand(deliveryIdentity(run), *command, DeliveryRequest::dependency);
}

bool DeliveryController::confirm(const DeliveryAlert& alert) {
    AlertRequest request;
    request.style = AlertRequest::Style::warning;
    request.message = alert.message;
    request.informativeText = alert.detail;
    request.buttons = {alert.firstButton, alert.secondButton};
    return m_context.platform.runAlert(request, m_context.window).button == 1;
}

void DeliveryController::mark(QHash<QString, RunCommandsInFlight>& table, const QString& run, DeliveryRequest request,
                              bool on) {
    RunCommandsInFlight& flags = table[run];
    switch (request) {
    case DeliveryRequest::action:
        flags.actions = on;
        break;
    case DeliveryRequest::policy:
        flags.policy = on;
        break;
    case DeliveryRequest::verify:
        flags.verify = on;
        break;
    case DeliveryRequest::dependency:
        flags.dependency = on;
        break;
    }
    if (!flags.any()) {
        table.remove(run);
    }
}

// The buttons of a command stay disabled until the status after its result redraws the run; the feedback line shows
// its progress and result (the Sessions home drops a result about a run the user has left).
void DeliveryController::sendDeliveryCommand(const QString& run, const DeliveryCommand& command,
                                             DeliveryRequest request) {
    mark(m_inFlight, run, request, true);
    if (const std::optional<QString> sending = deliverySendingText(request, m_context.copy)) {
        Q_EMIT feedbackChanged(run, *sending, false);
    }
    Q_EMIT homeChanged();
    const QPointer<DeliveryController> self(this);
    m_context.commands.send(command.action, false, std::nullopt, command.fields,
                            [self, run, command, request](bool ok, const std::optional<QString>& message) {
                                if (self) {
                                    self->finishDeliveryCommand(run, command, request, ok, message);
                                }
                            });
}

void DeliveryController::finishDeliveryCommand(const QString& run, const DeliveryCommand& command,
                                               DeliveryRequest request, bool ok,
                                               const std::optional<QString>& message) {
    mark(m_inFlight, run, request, false);
    mark(m_answered, run, request, true);
    QString result = deliveryResultText(request, ok, message, m_context.copy);
    // The conversation opens only for the run still presented: a result that arrives after the user moved on must
    // not pull them into another conversation.
    if (ok && command.handoff && m_model.selectedDeliveryIdentity == command.requestKey) {
        const std::optional<QUrl> link =
            exactCodexThreadURL(command.handoffTarget, command.fields.value(u"session").toString());
        if (!link || !m_context.platform.openUrl(*link)) {
            result = deliveryHandoffManualText(m_context.copy);
        }
    }
    Q_EMIT feedbackChanged(run, result, !ok);
    Q_EMIT homeChanged();
    m_context.commands.send(QStringLiteral("refresh"));
}
