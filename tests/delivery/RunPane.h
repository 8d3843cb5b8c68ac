#pragma once

#include "AreaHarness.h"
#include "delivery/DeliveryController.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"

#include <QJsonObject>
#include <QList>

class QAbstractButton;

// The run area in the Sessions home: the home with the understanding panel, the run picker, the delivery controller
// and the conversations that own the selection, on a fake desktop with a recording command sink. Connected and live
// unless a test says otherwise.
struct RunPane {
    explicit RunPane(const QStringList& languages = {QStringLiteral("en-US")});

    // A snapshot's runs, then the run at `index` chosen in the picker.
    void show(const QList<QJsonObject>& runs, int index = 0);
    // The next snapshot: the runs, then the conversations.
    void refresh(const QList<QJsonObject>& runs);
    void pick(int index);
    // Clicks the conversation row with this title; the selected row's title (empty: none).
    void selectConversation(const QString& title);
    QString selectedConversation() const;
    void click(const char* name);

    QString text(const char* name) const;
    // Shown to the user: its own flag and every ancestor's up to the pane.
    bool visible(const char* name) const;
    bool enabled(const char* name) const;
    template <typename T> T* view(const char* name) const { return area.view<T>(name); }

    // The service's conversations in the next snapshots; none: each run gets a stand-in.
    QList<QJsonObject> conversations;

    AreaHarness area;
    SupervisionModel model;
    SupervisionHome home;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    DeliveryController delivery;
    SessionsController sessions;
};

// A run record from JSON text; `extra` adds or replaces keys of `base`.
QJsonObject runRecord(const char* base, const char* extra = "{}");
