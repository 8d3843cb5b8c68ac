#pragma once

#include <QJsonObject>
#include <QObject>

class QLineEdit;
class QScrollArea;
class QTableView;
class QWidget;
class ActionAssociationArea;
class RunPresenter;
class SupervisionHome;
class UnderstandingPanel;
struct AppContext;
struct SupervisionModel;

// The conversations: the sidebar's search field and session list, and the presentation of the selected
// conversation in the Sessions home (a managed one through the run area).
class SessionsController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionsController)

public:
    SessionsController(AppContext& context, SupervisionModel& model, SupervisionHome& home, RunPresenter& runs,
                       UnderstandingPanel& understanding, ActionAssociationArea& association,
                       QObject* parent = nullptr);

    QWidget* buildSearchField(QWidget* parent);
    // deliveryListScroll holding the session table (deliveryTable).
    QWidget* buildSessionList(QWidget* parent);

    void renderSessionSupervision(const QJsonObject& status);
    void renderSelectedSession();
    // Preview: the conversation to present first.
    void presetSelection(const QString& identity);

    const QString& sessionDiscoveryMessage() const { return m_sessionDiscoveryMessage; }

private:
    AppContext& m_context;
    SupervisionModel& m_model;
    SupervisionHome& m_home;
    RunPresenter& m_runs;
    UnderstandingPanel& m_understanding;
    ActionAssociationArea& m_association;
    QString m_sessionDiscoveryMessage;

    QLineEdit* m_sessionSearch = nullptr;
    QScrollArea* m_deliveryListScroll = nullptr;
    QTableView* m_deliveryTable = nullptr;
};
