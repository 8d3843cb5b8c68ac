// The commands that steer the presented run: what is asked first, the feedback line while a command is in flight
// and after its result, and the status refresh that follows every result.
#include "delivery/DeliveryController.h"

#include "context/AppContext.h"
#include "platform/Platform.h"
#include "sessions/OriginalConversation.h"
#include "sessions/SupervisionModel.h"

#include <QPointer>

void DeliveryController::deliveryAction(const QString& action, bool approval) {
    const std::optional<QJsonObject> run = presentedRun();
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command =
        ::deliveryAction(*run, action, approval, turnRunning(*run), m_context.copy);
    if (!command || (command->confirmation && !confirm(*command->confirmation))) {
        return;
    }
    setActionButtonsEnabled(false);
    sendDeliveryCommand(*command, DeliveryRequest::action);
}

void DeliveryController::performPrimaryDeliveryAction() {
    if (m_primaryAction == DeliveryPrimaryAction::showDeliverySetup) {
        showDeliverySetup();
        return;
    }
    const std::optional<QJsonObject> run = presentedRun();
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
    const std::optional<QJsonObject> run = presentedRun();
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command = policyCommand(*run, m_home.pickedPolicy());
    if (!command) {
        return;
    }
    m_home.setRunControlEnabled(SupervisionHome::RunControl::policyApply, false);
    sendDeliveryCommand(*command, DeliveryRequest::policy);
}

void DeliveryController::verifyDelivery() {
    const std::optional<QJsonObject> run = presentedRun();
    if (!run) {
        return;
    }
    const std::optional<DeliveryCommand> command =
        verifyCommand(*run, m_memory.criteria, m_home.criterionIndex(), m_context.copy);
    if (!command || !confirm(*command->confirmation)) {
        return;
    }
    m_home.setRunControlEnabled(SupervisionHome::RunControl::verify, false);
    sendDeliveryCommand(*command, DeliveryRequest::verify);
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
        m_home.setActionMessage(dependencySampleText(m_context.copy));
        return;
    }
    if (!m_context.link.connected) {
        return;
    }
    const std::optional<DeliveryCommand> command = dependencyCommand(run, *typed);
    if (!command) {
        return;
    }
    m_home.setRunControlEnabled(SupervisionHome::RunControl::primary, false);
    sendDeliveryCommand(*command, DeliveryRequest::dependency);
}

bool DeliveryController::confirm(const DeliveryAlert& alert) {
    AlertRequest request;
    request.style = AlertRequest::Style::warning;
    request.message = alert.message;
    request.informativeText = alert.detail;
    request.buttons = {alert.firstButton, alert.secondButton};
    return m_context.platform.runAlert(request, m_context.window).button == 1;
}

void DeliveryController::setActionButtonsEnabled(bool enabled) {
    using Control = SupervisionHome::RunControl;
    for (Control control :
         {Control::pause, Control::resume, Control::approve, Control::reject, Control::replan, Control::stop}) {
        m_home.setRunControlEnabled(control, enabled);
    }
}

void DeliveryController::sendDeliveryCommand(const DeliveryCommand& command, DeliveryRequest request) {
    if (const std::optional<QString> sending = deliverySendingText(request, m_context.copy)) {
        m_home.setActionMessage(*sending);
    }
    const QPointer<DeliveryController> self(this);
    m_context.commands.send(command.action, false, std::nullopt, command.fields,
                            [self, command, request](bool ok, const std::optional<QString>& message) {
                                if (self) {
                                    self->finishDeliveryCommand(command, request, ok, message);
                                }
                            });
}

void DeliveryController::finishDeliveryCommand(const DeliveryCommand& command, DeliveryRequest request, bool ok,
                                               const std::optional<QString>& message) {
    m_home.setActionMessage(deliveryResultText(request, ok, message, m_context.copy));
    // The conversation opens only for the run still presented: a result that arrives after the user moved on must
    // not pull them into another conversation.
    if (ok && command.handoff && m_model.selectedDeliveryIdentity == command.requestKey) {
        const std::optional<QUrl> link =
            exactCodexThreadURL(command.handoffTarget, command.fields.value(u"session").toString());
        if (!link || !m_context.platform.openUrl(*link)) {
            m_home.setActionMessage(deliveryHandoffManualText(m_context.copy));
        }
    }
    m_context.commands.send(QStringLiteral("refresh"));
}
