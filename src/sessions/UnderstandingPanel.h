#pragma once

#include <QJsonObject>
#include <QObject>

class QWidget;
struct AppContext;
struct SupervisionModel;

// What the service understood of a managed run's goal, its sources and progress, and its clarification question
// with the answer field. Drawn for runs only; the conversation view hides it.
class UnderstandingPanel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnderstandingPanel)

public:
    UnderstandingPanel(AppContext& context, const SupervisionModel& model, QObject* parent = nullptr);

    // The panel and its progress group, built once into the Sessions home's document.
    void build(QWidget* parent);
    void renderUnderstanding(const QJsonObject& run);
    void hide();

private:
    AppContext& m_context;
    const SupervisionModel& m_model;
    QWidget* m_panel = nullptr;
};
