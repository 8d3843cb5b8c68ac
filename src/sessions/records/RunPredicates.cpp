#include "sessions/records/RunPredicates.h"

#include "model/SnapshotReading.h"

bool dependencyWaiting(const QJsonObject& run) {
    return stringAt(run, u"state") == u"blocked" &&
           !stringAt(objectAt(run, u"dependencyWait"), u"id").value_or(QString()).isEmpty();
}

bool hasApprovedManualCodexAction(const QJsonObject& run) {
    if (stringAt(run, u"provider") != u"codex") {
        return false;
    }
    const QJsonObject approved = objectAt(run, u"approvedAction");
    if (stringAt(approved, u"id").value_or(QString()).isEmpty()) {
        return false;
    }
    const std::optional<QString> kind = stringAt(objectAt(approved, u"action"), u"kind");
    return kind == u"external" || kind == u"destructive" || kind == u"scope_change";
}
