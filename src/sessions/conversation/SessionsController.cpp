// The conversations of each snapshot: the list with its groups and search, and the selection that survives both.
#include "sessions/conversation/SessionsController.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "overview/OverviewDecisions.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/list/SessionList.h"
#include "sessions/list/SessionListModel.h"
#include "sessions/list/SessionRowDelegate.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/records/SessionRecords.h"
#include "ui/Copy.h"
#include "ui/ListKeys.h"
#include "ui/SearchField.h"
#include "ui/Surfaces.h"
#include "ui/ToggleSwitch.h"
#include "ui/ViewFactory.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Up and Down in the search field move the list's selection, so the list can be used without leaving the field.
class SearchKeys final : public QObject {
public:
    SearchKeys(QObject* parent, QTableView* table) : QObject(parent), m_table(table) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Down && key != Qt::Key_Up) {
            return false;
        }
        QKeyEvent forwarded(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(m_table, &forwarded);
        return true;
    }

private:
    QTableView* m_table;
};

} // namespace

SessionsController::SessionsController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       RunPresenter& runs, UnderstandingPanel& understanding,
                                       ActionAssociationArea& association, OriginalNavigation& original,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home), m_runs(runs), m_understanding(understanding),
      m_association(association), m_original(original) {}

SessionsController::~SessionsController() = default;

QWidget* SessionsController::buildSearchField(QWidget* parent) {
    auto* search = named(new SearchField(parent), "sessionSearch");
    search->setPlaceholderText(m_context.copy.text("会話を検索", "Search sessions"));
    search->setAccessibleName(search->placeholderText());
    search->setClearButtonName(m_context.copy.text("検索をクリア", "Clear search"));
    connect(search, &QLineEdit::textChanged, this, &SessionsController::searchSessionList);
    m_sessionSearch = search;
    if (m_deliveryTable) {
        search->installEventFilter(new SearchKeys(search, m_deliveryTable));
    }
    return search;
}

QWidget* SessionsController::buildSessionList(QWidget* parent) {
    m_deliveryListScroll = named(new QWidget(parent), "deliveryListScroll");
    auto* column = new QVBoxLayout(m_deliveryListScroll);
    column->setContentsMargins(0, 0, 0, 0);
    m_sessionListModel = new SessionListModel(this);
    m_deliveryTable = named(new QTableView(m_deliveryListScroll), "deliveryTable");
    useListKeys(m_deliveryTable);
    m_deliveryTable->setProperty("columnIdentifier", QStringLiteral("delivery"));
    m_deliveryTable->setModel(m_sessionListModel);
    m_deliveryTable->setItemDelegate(new SessionRowDelegate(m_deliveryTable));
    m_deliveryTable->horizontalHeader()->hide();
    m_deliveryTable->horizontalHeader()->setStretchLastSection(true);
    m_deliveryTable->verticalHeader()->hide();
    m_deliveryTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_deliveryTable->verticalHeader()->setMinimumSectionSize(SessionRowDelegate::kHeadingHeight);
    m_deliveryTable->verticalHeader()->setDefaultSectionSize(SessionRowDelegate::kRowHeight);
    m_deliveryTable->setShowGrid(false);
    m_deliveryTable->setFrameShape(QFrame::NoFrame);
    m_deliveryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_deliveryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_deliveryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_deliveryTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_deliveryTable->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_deliveryTable->setWordWrap(false);
    m_deliveryTable->setTabKeyNavigation(false);
    m_deliveryTable->viewport()->setAutoFillBackground(false);
    m_deliveryTable->setAutoFillBackground(false);
    // The rows draw their own selection; the style's highlight would show square corners around it.
    QPalette clear = m_deliveryTable->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        clear.setColor(group, QPalette::Highlight, Qt::transparent);
        clear.setColor(group, QPalette::Base, Qt::transparent);
    }
    m_deliveryTable->setPalette(clear);
    m_deliveryTable->setFocusPolicy(Qt::StrongFocus);
    m_deliveryTable->setAccessibleName(m_context.copy.text("会話", "Sessions"));
    connect(m_deliveryTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SessionsController::sessionSelectionChanged);
    column->addWidget(m_deliveryTable);
    if (m_sessionSearch) {
        m_sessionSearch->installEventFilter(new SearchKeys(m_sessionSearch, m_deliveryTable));
    }
    return m_deliveryListScroll;
}

void SessionsController::buildSessionPane() {
    auto* pane = qobject_cast<SettingsStack*>(m_home.sessionPane());
    if (!pane) {
        return;
    }
    m_pane.build(pane, m_context.copy);
    connect(m_pane.sessionAutoContinueSwitch, &QAbstractButton::clicked, this,
            &SessionsController::toggleSessionAutoContinue);
    connect(m_pane.sessionAutoContinueLabel, &QAbstractButton::clicked, this,
            &SessionsController::toggleSessionAutoContinue);
    connect(m_pane.sessionAction, &QAbstractButton::clicked, this, &SessionsController::submitSessionMode);
    connect(m_pane.sessionManualAction, &QAbstractButton::clicked, this, &SessionsController::submitSessionMode);
    connect(m_pane.sessionPreferencesToggle, &QAbstractButton::clicked, this,
            &SessionsController::toggleSessionPreferences);
    connect(m_pane.sessionEvidenceToggle, &QAbstractButton::clicked, this, &SessionsController::toggleSessionEvidence);
    connect(m_pane.sessionManualToggle, &QAbstractButton::clicked, this, &SessionsController::toggleSessionManual);
    connect(m_pane.sessionAdvancedToggle, &QAbstractButton::clicked, this, &SessionsController::toggleSessionAdvanced);
    connect(m_pane.sessionAnalysisOriginal, &QAbstractButton::clicked, &m_original,
            &OriginalNavigation::openOriginalSession);
}

void SessionsController::presetSelection(const QString& identity) {
    m_model.selectedSessionIdentity = identity;
}

void SessionsController::selectSession(const QString& identity) {
    if (!m_sessionListModel || !candidateIndexOf(identity)) {
        return;
    }
    saveSessionDraft();
    applySelection({identity, {}});
    revealSelection();
    presentSelectedSession();
}

void SessionsController::selectRun(const QString& runIdentity) {
    if (!m_sessionListModel ||
        homeSelection(m_model.sessionCandidates, m_model.deliveryRuns, {{}, runIdentity}).run.isEmpty()) {
        return; // not listed
    }
    saveSessionDraft();
    applySelection({{}, runIdentity});
    revealSelection();
    presentSelectedSession();
}

void SessionsController::revealSelection() {
    if (m_sessionSearch && !m_sessionSearch->text().isEmpty() && !m_model.selectedSessionIdentity.isEmpty()) {
        const QSignalBlocker quiet(m_sessionSearch);
        m_sessionSearch->clear();
        rebuildSessionList();
    }
    m_selectedRowIdentity.clear(); // asked for: brought into view even when it was selected already
    reloadSessionTable();
    const QModelIndexList rows = m_deliveryTable->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        m_deliveryTable->scrollTo(rows.first(), QAbstractItemView::EnsureVisible);
    }
}

bool SessionsController::reachable() const {
    return m_context.link.connected || m_context.link.fixtureMode;
}

void SessionsController::renderSessionSupervision(const QJsonObject& status) {
    m_notice = HomeLinkNotice::none;
    const QJsonObject sessionSupervision = objectAt(status, u"sessionSupervision");
    m_sessionDiscoveryMessage = sessionDiscoveryMessageOf(sessionSupervision, m_context.copy);
    if (m_context.link.fixtureMode && m_model.selectedSessionIdentity.isEmpty()) {
        m_model.selectedSessionIdentity = stringAt(status, u"previewSelectedSession").value_or(QString());
    }
    const QJsonArray sessions = arrayAt(sessionSupervision, u"sessions");
    if (m_listCurrent && sessions == m_lastSessions && m_model.deliveryRuns == m_lastRuns) {
        // A heartbeat: the list, its selection and its scroll position stay; the pane is drawn again, since the
        // link may have changed in between.
        saveSessionDraft();
        m_pendingSessionAutoContinue =
            reconcilePendingAutoContinue(m_pendingSessionAutoContinue, m_model.sessionCandidates);
        Q_EMIT homeSelectionRequested();
        presentSelectedSession();
        return;
    }
    QList<QJsonObject> records;
    records.reserve(sessions.size());
    for (const QJsonValue& session : sessions) {
        if (session.isObject()) {
            records.append(session.toObject());
        }
    }
    takeSessionRecords(sessionRecordsOrFallback(records, m_model.deliveryRuns));
    m_lastSessions = sessions;
    m_lastRuns = m_model.deliveryRuns;
    m_listCurrent = true;
}

// The records of a snapshot, or the same records after a local change (a toggle's result, a preview analysis).
void SessionsController::takeSessionRecords(const QList<QJsonObject>& records) {
    saveSessionDraft();
    m_model.sessionCandidates = records;
    m_listCurrent = false; // set again by a snapshot that matches what the list shows
    m_pendingSessionAutoContinue = reconcilePendingAutoContinue(m_pendingSessionAutoContinue, records);
    reconcileSelection();
    rebuildSessionList();
    reloadSessionTable();
    Q_EMIT homeSelectionRequested();
    presentSelectedSession();
}

void SessionsController::rebuildSessionList() {
    if (!m_sessionListModel) {
        return;
    }
    const QString query = m_sessionSearch ? m_sessionSearch->text().trimmed() : QString();
    const QList<SessionRowFacts>& facts =
        m_rowCache.factsFor(m_model.sessionCandidates, m_model.deliveryRuns, m_context.copy);
    QList<SessionGroup> groups;
    groups.reserve(facts.size());
    for (const SessionRowFacts& fact : facts) {
        groups.append(fact.group);
    }
    const QList<SessionListRow> rows = groupedSessionRows(m_model.sessionCandidates, groups, query, m_context.copy);
    QList<SessionListEntry> entries;
    entries.reserve(rows.size());
    for (const SessionListRow& row : rows) {
        SessionListEntry entry{row, {}, {}};
        if (row.candidateIndex) {
            const SessionRowFacts& fact = facts.at(*row.candidateIndex);
            entry.presentation = fact.presentation;
            entry.key = fact.key;
        } else {
            entry.key = QStringLiteral("#") + QString::number(static_cast<int>(row.group));
        }
        entries.append(std::move(entry));
    }
    if (entries == m_sessionListModel->entries()) {
        return; // the same rows: the view keeps its selection and scroll position
    }
    const int scrolled = m_deliveryTable->verticalScrollBar()->value();
    m_refreshingSessionList = true;
    m_sessionListModel->setEntries(std::move(entries));
    const QList<SessionListEntry>& shown = m_sessionListModel->entries();
    for (qsizetype row = 0; row < shown.size(); ++row) {
        if (!shown.at(row).row.candidateIndex) {
            m_deliveryTable->setRowHeight(static_cast<int>(row), SessionRowDelegate::kHeadingHeight);
        }
    }
    m_deliveryTable->verticalScrollBar()->setValue(scrolled);
    m_refreshingSessionList = false;
}

// Selects the remembered conversation's row, else the first conversation, else nothing.
void SessionsController::reloadSessionTable() {
    if (!m_sessionListModel) {
        return;
    }
    QList<SessionListRow> rows;
    for (const SessionListEntry& entry : m_sessionListModel->entries()) {
        rows.append(entry.row);
    }
    // A run shown on its own has no row; otherwise the selected conversation's, else the first.
    const bool runAlone = m_model.selectedSessionIdentity.isEmpty() && !m_model.selectedDeliveryIdentity.isEmpty();
    const qsizetype row =
        runAlone ? -1
                 : sessionRowToSelect(rows, m_model.sessionCandidates, m_model.selectedSessionIdentity).value_or(-1);
    QItemSelectionModel* selection = m_deliveryTable->selectionModel();
    const QModelIndex target = row >= 0 ? m_sessionListModel->index(static_cast<int>(row)) : QModelIndex();
    const QString selected = selectedIdentityAt(row);
    if (!runAlone && selected != m_model.selectedSessionIdentity) {
        applySelection({selected, {}}); // the remembered one is gone or hidden by the search
    }
    if (target.isValid() && selection->isSelected(target) && selection->selectedIndexes().size() == 1) {
        m_selectedRowIdentity = selected;
        return;
    }
    // Another conversation than before (the first one, a preset, one that replaced a vanished one) is brought into
    // view; the same one moving to another group leaves the scroll position to the user.
    const int scrolled = m_deliveryTable->verticalScrollBar()->value();
    m_refreshingSessionList = true;
    if (target.isValid()) {
        selection->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selection->clear();
    }
    m_refreshingSessionList = false;
    if (!selected.isEmpty() && selected != m_selectedRowIdentity) {
        m_deliveryTable->scrollTo(target, QAbstractItemView::EnsureVisible);
    } else {
        m_deliveryTable->verticalScrollBar()->setValue(scrolled); // the view scrolls to a new current row itself
    }
    m_selectedRowIdentity = selected;
}

void SessionsController::searchSessionList() {
    saveSessionDraft();
    rebuildSessionList();
    reloadSessionTable();
    presentSelectedSession();
}

void SessionsController::sessionSelectionChanged() {
    const std::optional<qsizetype> index = selectedCandidateIndex();
    if (m_refreshingSessionList || !index) {
        return;
    }
    m_selectedRowIdentity = sessionIdentity(m_model.sessionCandidates.at(*index));
    saveSessionDraft();
    applySelection({m_selectedRowIdentity, {}});
    presentSelectedSession();
}

std::optional<qsizetype> SessionsController::selectedCandidateIndex() const {
    if (!m_deliveryTable) {
        return std::nullopt;
    }
    const QModelIndexList rows = m_deliveryTable->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const qsizetype row = rows.first().row();
    const QList<SessionListEntry>& entries = m_sessionListModel->entries();
    if (row < 0 || row >= entries.size()) {
        return std::nullopt;
    }
    const std::optional<qsizetype> index = entries.at(row).row.candidateIndex;
    if (!index || *index < 0 || *index >= m_model.sessionCandidates.size()) {
        return std::nullopt;
    }
    return index;
}

QString SessionsController::selectedIdentityAt(qsizetype row) const {
    const QList<SessionListEntry>& entries = m_sessionListModel->entries();
    if (row < 0 || row >= entries.size() || !entries.at(row).row.candidateIndex) {
        return {};
    }
    const qsizetype index = *entries.at(row).row.candidateIndex;
    return index >= 0 && index < m_model.sessionCandidates.size() ? sessionIdentity(m_model.sessionCandidates.at(index))
                                                                  : QString();
}

std::optional<qsizetype> SessionsController::candidateIndexOf(const QString& identity) const {
    for (qsizetype index = 0; index < m_model.sessionCandidates.size(); ++index) {
        if (sessionIdentity(m_model.sessionCandidates.at(index)) == identity) {
            return index;
        }
    }
    return std::nullopt;
}
