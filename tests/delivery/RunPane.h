#pragma once

#include "AreaHarness.h"
#include "delivery/DeliveryController.h"
#include "sessions/ActionAssociationArea.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "sessions/UnderstandingPanel.h"

#include <QJsonObject>
#include <QList>

class QAbstractButton;

// The run area on its own: the Sessions home with the understanding panel, the run picker and the delivery
// controller, on a fake desktop with a recording command sink. Connected and live unless a test says otherwise.
struct RunPane {
    explicit RunPane(const QStringList& languages = {QStringLiteral("en-US")});

    // A snapshot's runs, then the run at `index` presented as the picker presents a choice.
    void show(const QList<QJsonObject>& runs, int index = 0);
    // The next snapshot with the same selection rules, and the pane drawn again.
    void refresh(const QList<QJsonObject>& runs);
    void pick(int index);
    void click(const char* name);

    QString text(const char* name) const;
    // Shown to the user: its own flag and every ancestor's up to the pane.
    bool visible(const char* name) const;
    bool enabled(const char* name) const;
    template <typename T> T* view(const char* name) const { return area.view<T>(name); }

    AreaHarness area;
    SupervisionModel model;
    SupervisionHome home;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    DeliveryController delivery;
};

// A run record from JSON text; `extra` adds or replaces keys of `base`.
QJsonObject runRecord(const char* base, const char* extra = "{}");
