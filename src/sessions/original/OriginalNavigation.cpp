#include "sessions/original/OriginalNavigation.h"

#include "context/AppContext.h"
#include "platform/Platform.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/original/OriginalConversation.h"

OriginalNavigation::OriginalNavigation(AppContext& context, const SupervisionModel& model, SupervisionHome& home,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {
    connect(&home, &SupervisionHome::originalSessionRequested, this, &OriginalNavigation::openOriginalSession);
}

void OriginalNavigation::openOriginalSession() {
    const std::optional<QJsonObject> record =
        originalConversationRecord(selectedConversation(m_model), selectedRun(m_model));
    const OriginalConversationOpening opening =
        originalConversationOpening(record, m_context.link.fixtureMode, m_context.copy);
    if (opening.step == OriginalConversationOpening::Step::nothing) {
        return;
    }
    // The link comes only from the session id, never from the host's text.
    if (opening.step == OriginalConversationOpening::Step::open && opening.link &&
        m_context.platform.openUrl(*opening.link)) {
        return;
    }
    AlertRequest alert;
    alert.style = AlertRequest::Style::informational;
    alert.message = opening.alert.message;
    alert.informativeText = opening.alert.text;
    alert.buttons = {opening.alert.button};
    m_context.platform.runAlert(alert, m_context.window);
}
