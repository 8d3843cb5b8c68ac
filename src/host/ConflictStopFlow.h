#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class QPushButton;
class QWidget;
struct AppContext;

// Another service instance holds our connection: remember which processes, offer "Stop existing VODU…", run the
// stop script after a confirmation, and ask for the host to be started once they are gone.
class ConflictStopFlow final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConflictStopFlow)

public:
    explicit ConflictStopFlow(AppContext& context, QObject* parent = nullptr);

    // The footer's "Stop existing VODU…" button, hidden until a conflict names processes.
    QPushButton* buildStopButton(QWidget* parent);

    // Records a "process_conflict" error; the caller then shows the disconnected state and message().
    void recordConflict(const QJsonObject& message);
    // A new start forgets the last conflict.
    void reset();
    const std::optional<QString>& message() const { return m_hostConflictMessage; }
    const QList<QJsonObject>& conflictingProcesses() const { return m_conflictingProcesses; }
    bool isResolving() const { return m_resolvingConflict; }

    void confirmStopConflicts();
    void stopConflicts(const QList<QJsonObject>& conflicts, bool force);

Q_SIGNALS:
    void startHostRequested();

private:
    void settle();

    AppContext& m_context;
    QPointer<QPushButton> m_stopConflictButton;
    std::optional<QString> m_hostConflictMessage;
    QList<QJsonObject> m_conflictingProcesses;
    bool m_resolvingConflict = false;
};
