#include "sessions/UnderstandingPanel.h"

#include "ui/ViewFactory.h"

#include <QVBoxLayout>
#include <QWidget>

UnderstandingPanel::UnderstandingPanel(AppContext& context, const SupervisionModel& model, QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {}

void UnderstandingPanel::build(QWidget* parent) {
    m_panel = named(new QWidget(parent), "understandingPanel");
    auto* column = new QVBoxLayout(m_panel);
    column->setContentsMargins(0, 0, 0, 0);
    m_panel->hide();
}

void UnderstandingPanel::renderUnderstanding(const QJsonObject&) {
    hide();
}

void UnderstandingPanel::hide() {
    if (m_panel) {
        m_panel->hide();
    }
}
