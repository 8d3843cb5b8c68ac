#pragma once

#include "sessions/association/ActionAssociation.h"
#include "sessions/association/AssociationPanel.h"
#include "sessions/association/DeadlineReviewSheet.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <optional>

class QPushButton;
class QTimer;
class QWidget;
class RoundedBox;
class ThemedLabel;
struct AppContext;
struct SupervisionModel;

// The workspace Action a conversation or run is linked to, the picker that changes the link, and the Action's
// deadline decision. Changes carry the revisions the user reviewed; the host decides whether they are current.
class ActionAssociationArea final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionAssociationArea)

public:
    ActionAssociationArea(AppContext& context, SupervisionModel& model, QObject* parent = nullptr);

    void build(QWidget* parent);
    // Draws the area for a conversation or run record; an empty record draws the empty state.
    void renderActionAssociation(const QJsonObject& record);

    // The area's button: opens the picker, or the connection settings while signed out.
    void toggleActionAssociation();
    void selectActionAssociation();
    void unlinkActionAssociation();
    void refreshActionAssociation();
    // The picker's cancel button; ignored while a change is in flight.
    void closeAssociationPanel();

    void openDeadlineReview();
    void chooseDeadlineOption(const QString& optionId);
    void saveDeadlineDecision();
    // The review's cancel button; ignored while a decision is in flight.
    void closeDeadlineReview();

    bool associationOpen() const { return m_associationOpen; }
    bool deadlineOpen() const;
    // How long a request may go unanswered before the user is told it is still in progress.
    void setWaitingNoticeInterval(std::chrono::milliseconds interval) { m_waitingNoticeInterval = interval; }

Q_SIGNALS:
    // The Sessions home's feedback line about `subject` (the selection the change was made for).
    void feedbackChanged(const QString& subject, const QString& text, bool failure);
    // The user needs to sign in first: the connection settings should show.
    void connectionSettingsRequested();

private:
    void renderActionDeadline(const QJsonObject& record);
    void applyAssociationControls(const AssociationPresentation& p);
    void sendActionAssociation(AssociationCommand command);
    void associationAnswered(const QString& request, const QString& identity, const QString& subject, bool ok,
                             const std::optional<QString>& message);
    void deadlineAnswered(const QString& request, const QString& identity, bool ok,
                          const std::optional<QString>& message);
    void associationFeedback(const QString& text);
    void deadlineFeedback(const QString& text);
    void setDeadlineSaving(bool saving);
    void endAssociationPanel();
    void endDeadlineReview();
    // Writes `value` under `key` into every conversation and run with the drawn identity (preview mode).
    void writeDrawnRecords(const QString& key, const QJsonValue& value);
    bool sheetIsAttached() const;
    void startWaitingNotice(QPointer<QTimer>& timer, std::function<void()> notice);

    AppContext& m_context;
    SupervisionModel& m_model;

    QString m_identity; // "provider|session|taskId" of the drawn record
    QJsonObject m_record;
    bool m_associationOpen = false;
    bool m_associationInFlight = false;
    std::optional<QString> m_associationRequest;
    std::optional<AssociationReview> m_review; // while the picker is open
    QJsonArray m_pickerSource;                 // the candidates the picker was filled from

    QJsonObject m_deadlineSnapshot;
    QString m_deadlineChoice;
    std::optional<QString> m_deadlineDraftRequest;
    QJsonObject m_deadlineDraftReminder; // the reminder's key and revision the draft request answers
    std::optional<QString> m_deadlineRequest;
    bool m_deadlineInFlight = false;

    std::chrono::milliseconds m_waitingNoticeInterval{25000};
    QPointer<QTimer> m_associationNotice;
    QPointer<QTimer> m_deadlineNotice;

    QWidget* m_area = nullptr;
    QWidget* m_group = nullptr;
    ThemedLabel* m_label = nullptr;
    QPushButton* m_toggle = nullptr;
    RoundedBox* m_deadlineGroup = nullptr;
    ThemedLabel* m_deadlineTitle = nullptr;
    ThemedLabel* m_deadlineSummary = nullptr;
    QPushButton* m_deadlineReview = nullptr;
    AssociationPanel m_panel;
    DeadlineReviewSheet m_sheet;
};
