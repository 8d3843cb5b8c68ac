#include "sessions/ActionAssociationArea.h"

#include "ui/ViewFactory.h"

#include <QVBoxLayout>
#include <QWidget>

ActionAssociationArea::ActionAssociationArea(AppContext& context, SupervisionModel& model, QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {}

void ActionAssociationArea::build(QWidget* parent) {
    m_area = named(new QWidget(parent), "actionAssociationArea");
    auto* column = new QVBoxLayout(m_area);
    column->setContentsMargins(0, 0, 0, 0);
    m_area->hide();
}

void ActionAssociationArea::renderActionAssociation(const QJsonObject&) {
    if (m_area) {
        m_area->hide();
    }
}
