#pragma once

#include "sessions/conversation/SessionAnalysis.h"
#include "sessions/conversation/SessionForm.h"
#include "sessions/conversation/SessionPaneViews.h"
#include "sessions/home/HomePresentation.h"
#include "sessions/list/SessionRowCache.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

class QLineEdit;
class QTableView;
class QWidget;
class ActionAssociationArea;
class OriginalNavigation;
class RunPresenter;
class SessionListModel;
class SupervisionHome;
class UnderstandingPanel;
struct AppContext;
struct HomeSelection;
struct SupervisionModel;

// The conversations and the Sessions home: the sidebar's search field and session list, the home's selection (the
// model's two identities, set by one rule however they are chosen), its feedback line, and the value the home draws
// (a run's part through the run area) with the conversation's context row, analysis area and supervision form.
// Drafts, pending auto-continue changes and the open sections live here, in memory only.
class SessionsController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionsController)

public:
    SessionsController(AppContext& context, SupervisionModel& model, SupervisionHome& home, RunPresenter& runs,
                       UnderstandingPanel& understanding, ActionAssociationArea& association,
                       OriginalNavigation& original, QObject* parent = nullptr);
    ~SessionsController() override;

    QWidget* buildSearchField(QWidget* parent);
    // deliveryListScroll holding the session table (deliveryTable).
    QWidget* buildSessionList(QWidget* parent);
    // The conversation pane, into the Sessions home's place for it; after the home is built.
    void buildSessionPane();

    // A snapshot: the conversations (or stand-ins for the runs), the list and the selected conversation.
    void renderSessionSupervision(const QJsonObject& status);
    // Presents the selection; also after the link changed (stale, disconnected), when every view is redrawn.
    void renderSelectedSession();
    // The service is starting: the headline area says so until a snapshot arrives.
    void renderWaiting();
    // No status can be had: said while nothing is selected, from the next presentation on.
    void renderDisconnected(const QString& message);
    // Progress or a result of a command about `subject` (a run or conversation identity) for the feedback line;
    // dropped when the user has moved on to another selection.
    void showFeedback(const QString& subject, const QString& text, bool failure);
    // Preview: the conversation to present first.
    void presetSelection(const QString& identity);
    // A notification asks for this conversation: its row becomes the selection and is scrolled into view (a search
    // that hides it is cleared). Unknown identities change nothing.
    void selectSession(const QString& identity);
    // The same for a run (a notification, the settings sheet's picker): its conversation's row when the list has
    // one, else no row and the run under its own name.
    void selectRun(const QString& runIdentity);

    // What the user does.
    void searchSessionList();
    void toggleSessionAutoContinue();
    void finishSessionAutoContinue(const QString& identity, bool ok);
    void submitSessionMode();
    void toggleSessionPreferences();
    void toggleSessionEvidence();
    void toggleSessionManual();
    void toggleSessionAdvanced();
    void saveSessionDraft();

    const QString& sessionDiscoveryMessage() const { return m_sessionDiscoveryMessage; }
    const QHash<QString, SessionDraft>& sessionDrafts() const { return m_sessionDrafts; }
    const PendingSessionAutoContinueTable& pendingSessionAutoContinue() const { return m_pendingSessionAutoContinue; }
    const QString& lastPreviewSessionAction() const { return m_lastPreviewSessionAction; }
    const QJsonObject& lastPreviewSessionFields() const { return m_lastPreviewSessionFields; }

Q_SIGNALS:
    // The page switch and the sidebar caption follow the new list.
    void homeSelectionRequested();
    // Another conversation or run is shown in the Sessions home.
    void selectionChanged(const QString& conversation, const QString& run);

private:
    // The list.
    void takeSessionRecords(const QList<QJsonObject>& records);
    void rebuildSessionList();
    void reloadSessionTable();
    void sessionSelectionChanged();
    std::optional<qsizetype> selectedCandidateIndex() const;
    std::optional<qsizetype> candidateIndexOf(const QString& identity) const;
    // The identity of the conversation on list row `row`, empty for a heading.
    QString selectedIdentityAt(qsizetype row) const;
    bool reachable() const;

    // The selection.
    void applySelection(const HomeSelection& chosen);
    void reconcileSelection();
    // Brings the selection's row into view, clearing a search that hides it.
    void revealSelection();
    void presentSelectedSession();
    void renderConversationView(const QJsonObject& record);
    void renderSessionContext(const QJsonObject& record);
    void renderSessionAnalysis(const QJsonObject& record);
    void resetFormFor(const QString& identity);

    // The form.
    SessionDraft draftFromForm() const;
    void loadSessionDraft(const QString& identity);
    void submitAnalysis(const QJsonObject& record, const QJsonObject& fields);
    void submitEnrolment(const QJsonObject& record);
    void replaceAnalysis(const QString& identity, const QJsonObject& analysis);

    AppContext& m_context;
    SupervisionModel& m_model;
    SupervisionHome& m_home;
    RunPresenter& m_runs;
    UnderstandingPanel& m_understanding;
    ActionAssociationArea& m_association;
    OriginalNavigation& m_original;

    QString m_sessionDiscoveryMessage;
    bool m_refreshingSessionList = false; // selection changes are ignored while the table is reloaded
    QString m_selectedRowIdentity;        // the conversation whose row the table last selected
    // What the list was last built from; an identical snapshot leaves list, selection and scroll as they are.
    QJsonArray m_lastSessions;
    QList<QJsonObject> m_lastRuns;
    bool m_listCurrent = false;

    // View state of the conversation view.
    QString m_sessionDraftIdentity;
    QHash<QString, SessionDraft> m_sessionDrafts;
    PendingSessionAutoContinueTable m_pendingSessionAutoContinue;
    QHash<QString, QString> m_sessionAutoContinueErrors;
    QSet<QString> m_enrolmentsInFlight;
    bool m_sessionPreferencesOpen = false;
    bool m_sessionEvidenceOpen = false;
    bool m_sessionManualOpen = false;
    bool m_sessionAdvancedOpen = false;
    QList<SessionDetailEntry> m_shownAnalysisDetails;
    // The Sessions home's own state beside the selection.
    HomeLinkNotice m_notice = HomeLinkNotice::none;
    QString m_disconnectedMessage;
    HomeFeedback m_feedback;
    QString m_lastPreviewSessionAction;
    QJsonObject m_lastPreviewSessionFields;

    QLineEdit* m_sessionSearch = nullptr;
    QWidget* m_deliveryListScroll = nullptr;
    QTableView* m_deliveryTable = nullptr;
    SessionListModel* m_sessionListModel = nullptr;
    SessionRowCache m_rowCache;
    SessionPaneViews m_pane;
};
