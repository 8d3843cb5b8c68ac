#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>

#include <optional>

class QLabel;
class QPushButton;
class QTableView;
class QUrl;
class QWidget;
class TaskBodyView;
class TaskListModel;
struct AppContext;
struct LinkState;

// The workspace tasks: the sidebar's task list, the Tasks page heading and the selected task's detail. Views are
// built once into the parents the window gives; renders only update them.
class TasksController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TasksController)

public:
    // `state` is written here for the running-task count only.
    TasksController(AppContext& context, LinkState& state, QObject* parent = nullptr);

    // taskListScroll holding taskTable.
    QWidget* buildTaskList(QWidget* parent);
    // taskDetailHeading with taskTitle and taskState; its row layout takes a trailing view from the window.
    QWidget* buildHeading(QWidget* parent);
    // detailActions, taskVisuals, taskBodyScroll with taskBody, taskLinks.
    QWidget* buildTaskDetail(QWidget* parent);

    void renderTasks(const QJsonObject& tasks);
    // A "task_detail" message: drawn only when it is for the selected task.
    void handleTaskDetail(const QJsonObject& message);
    void renderTaskDetail(const QJsonObject& task);
    // Disconnected: no task can be running any more as far as the app knows.
    void forgetRunningTasks();

    // Shows the task of the table's selected row and asks the host for its detail.
    void selectTask();
    void showEmptyTask();
    // Empties the detail of the previous task: fingerprint, stored detail, switches, actions, cards.
    void forgetTaskDetail();
    void toggleResult();
    void toggleCriteria();
    void toggleTechnical();
    void openTaskLink(QPushButton* button);
    // A link clicked in the detail body: opened only when it is a safe web address.
    void openTaskBodyLink(const QUrl& link);

    const std::optional<QString>& selectedTaskKey() const { return m_selectedTaskKey; }
    const QList<QJsonObject>& taskItems() const { return m_taskItems; }
    const QJsonObject& selectedDetail() const { return m_selectedDetail; }
    // Fingerprint of what the body shows; empty when nothing is drawn.
    const QString& renderedDetail() const { return m_renderedDetail; }
    bool showsAllCriteria() const { return m_showAllCriteria; }

private:
    AppContext& m_context;
    LinkState& m_state;
    bool m_refreshingTaskList = false; // selection changes are ignored while the table is reloaded
    QList<QJsonObject> m_taskItems;
    QJsonArray m_taskItemsSource; // what m_taskItems was read from
    std::optional<QString> m_selectedTaskKey;
    QJsonObject m_selectedDetail;
    quint64 m_taskDetailRequest = 0; // the newest task_detail request
    QString m_renderedDetail;        // fingerprint of what taskBody shows; empty when nothing is rendered
    bool m_showFullResult = false;
    bool m_showAllCriteria = false;
    bool m_showTechnical = false;

    QWidget* m_taskListScroll = nullptr;
    QTableView* m_taskTable = nullptr;
    TaskListModel* m_taskListModel = nullptr;
    QWidget* m_taskDetailHeading = nullptr;
    QLabel* m_taskTitle = nullptr;
    QLabel* m_taskState = nullptr;
    QWidget* m_detailActions = nullptr;
    QPushButton* m_resultButton = nullptr;
    QPushButton* m_criteriaButton = nullptr;
    QPushButton* m_technicalButton = nullptr;
    QWidget* m_taskVisuals = nullptr;
    QWidget* m_taskBodyScroll = nullptr;
    TaskBodyView* m_taskBody = nullptr;
    QWidget* m_taskLinks = nullptr;
};
