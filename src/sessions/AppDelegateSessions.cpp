// Conversations of the snapshot. The session pages fill the Sessions home; until they exist it stays empty, and
// the waiting or disconnected texts must not outlive the snapshot that replaced them.
#include "app/AppDelegate.h"

#include <QLabel>
#include <QPushButton>

void AppDelegate::renderSessionSupervision(const QJsonArray&, const QJsonArray&) {
    deliveryStateBadge->hide();
    for (QLabel* text : {deliveryHeadline, deliveryGoal, deliveryProgress, deliverySummary, deliveryNext}) {
        text->clear();
        text->hide();
    }
    deliveryAttention->hide();
    deliveryPrimary->hide();
    deliveryPrimaryRow->setHidden(originalSessionButton->isHidden());
}

void AppDelegate::renderSelectedSession() {}
