#pragma once

#include "delivery/DeliveryRecords.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Where a run stands, in one row of a fixed chain: the first row whose condition holds gives the pane's headline,
// perhaps its badge, and the next step. Rows 6 and 7 (the handoff) come only after rows 1 to 5; rows 8 on apply
// only without a handoff.
struct RunSituation {
    int row = 0; // 1-15
    QString headline;
    std::optional<QString> badge; // none: the state word stays
    QString next;
};
RunSituation runSituation(const QJsonObject& run, const DeliveryRunFacts& facts, bool fixtureMode, const Copy& copy);

// The line appended to the next step of a run that must be recovered by hand.
QString manualRecoveryNote(const DeliveryRunFacts& facts, const Copy& copy);
