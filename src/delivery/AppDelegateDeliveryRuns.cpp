// Managed Dozadavi Zaro runs of the snapshot.
#include "app/AppDelegate.h"

void AppDelegate::renderDeliveryRuns(const QJsonArray& runs) {
    deliveryRuns.clear();
    for (const QJsonValue& run : runs) {
        if (run.isObject()) {
            deliveryRuns.append(run.toObject());
        }
    }
}
