#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// What the Sessions home presents, shared by the conversation and run areas: the records of the last snapshot and
// the two selections. Only the selections survive a snapshot.
struct SupervisionModel {
    // The conversations of the last snapshot (filled by the session list); counted by the sidebar caption.
    QList<QJsonObject> sessionCandidates;
    // The managed runs of the last snapshot, in the host's order.
    QList<QJsonObject> deliveryRuns;
    // The presented conversation ("provider|session"); empty when none.
    QString selectedSessionIdentity;
    // The presented run ("provider|session|taskId"); empty when none.
    QString selectedDeliveryIdentity;
};
