// Conversations of the snapshot. Until the session pages exist the Sessions home stays empty, and the waiting or
// disconnected texts must not outlive the snapshot that replaced them.
#include "sessions/SessionsController.h"

#include "context/AppContext.h"
#include "model/SnapshotReading.h"
#include "overview/OverviewDecisions.h"
#include "sessions/RunPresenter.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "ui/Copy.h"
#include "ui/SearchField.h"
#include "ui/ViewFactory.h"

#include <QHeaderView>
#include <QScrollArea>
#include <QTableView>

SessionsController::SessionsController(AppContext& context, SupervisionModel& model, SupervisionHome& home,
                                       RunPresenter& runs, UnderstandingPanel& understanding,
                                       ActionAssociationArea& association, QObject* parent)
    : QObject(parent), m_context(context), m_model(model), m_home(home), m_runs(runs), m_understanding(understanding),
      m_association(association) {}

QWidget* SessionsController::buildSearchField(QWidget* parent) {
    auto* search = named(new SearchField(parent), "sessionSearch");
    search->setPlaceholderText(m_context.copy.text("会話を検索", "Search sessions"));
    m_sessionSearch = search;
    return search;
}

QWidget* SessionsController::buildSessionList(QWidget* parent) {
    m_deliveryTable = named(new QTableView(parent), "deliveryTable");
    m_deliveryTable->setProperty("columnIdentifier", QStringLiteral("delivery"));
    m_deliveryTable->horizontalHeader()->hide();
    m_deliveryTable->verticalHeader()->hide();
    m_deliveryTable->horizontalHeader()->setStretchLastSection(true);
    m_deliveryTable->setShowGrid(false);
    m_deliveryTable->setFrameShape(QFrame::NoFrame);
    m_deliveryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_deliveryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_deliveryTable->viewport()->setAutoFillBackground(false);
    m_deliveryTable->setAutoFillBackground(false);
    m_deliveryTable->setStyleSheet(QStringLiteral("QTableView { background: transparent; }"));
    m_deliveryListScroll = clearScrollArea(parent, m_deliveryTable, "deliveryListScroll");
    return m_deliveryListScroll;
}

void SessionsController::presetSelection(const QString& identity) {
    m_model.selectedSessionIdentity = identity;
}

void SessionsController::renderSessionSupervision(const QJsonObject& status) {
    const QJsonObject sessionSupervision = objectAt(status, u"sessionSupervision");
    m_sessionDiscoveryMessage = sessionDiscoveryMessageOf(sessionSupervision, m_context.copy);
    if (m_context.link.fixtureMode && m_model.selectedSessionIdentity.isEmpty()) {
        m_model.selectedSessionIdentity = stringAt(status, u"previewSelectedSession").value_or(QString());
    }
    m_home.clearHeadlineArea();
}

void SessionsController::renderSelectedSession() {}
