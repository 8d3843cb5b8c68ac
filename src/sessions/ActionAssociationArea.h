#pragma once

#include <QJsonObject>
#include <QObject>

class QWidget;
struct AppContext;
struct SupervisionModel;

// The workspace Action a conversation or run is linked to, the picker that changes the link, and the Action's
// deadline decision.
class ActionAssociationArea final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionAssociationArea)

public:
    ActionAssociationArea(AppContext& context, SupervisionModel& model, QObject* parent = nullptr);

    void build(QWidget* parent);
    // Draws the area for a conversation or run record; an empty record draws the empty state.
    void renderActionAssociation(const QJsonObject& record);

private:
    AppContext& m_context;
    SupervisionModel& m_model;
    QWidget* m_area = nullptr;
};
