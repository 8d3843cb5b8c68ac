#pragma once

#include <QJsonObject>
#include <QObject>

#include <optional>

class SupervisionHome;
struct AppContext;
struct SupervisionModel;

// The way back to the original conversation, shared by the conversation view and the run pane: what pressing
// either button does. Only a verified Codex thread link is ever opened; anything else is explained in an
// alert. Opening approves and resumes nothing.
class OriginalNavigation final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OriginalNavigation)

public:
    // Presses of the home's button to the original conversation arrive here.
    OriginalNavigation(AppContext& context, const SupervisionModel& model, SupervisionHome& home,
                       QObject* parent = nullptr);

    // Opens the selected conversation (unless it is managed) or else the selected run's conversation.
    void openOriginalSession();

private:
    AppContext& m_context;
    const SupervisionModel& m_model;
};
