#include "sessions/home/HomeSelection.h"

#include "model/RecordIdentity.h"
#include "sessions/records/SessionRecords.h"

namespace {

std::optional<QJsonObject> recordWith(const QList<QJsonObject>& records, const QString& identity,
                                      QString (*identityOf)(const QJsonObject&)) {
    if (identity.isEmpty()) {
        return std::nullopt;
    }
    for (const QJsonObject& record : records) {
        if (identityOf(record) == identity) {
            return record;
        }
    }
    return std::nullopt;
}

} // namespace

HomeSelection homeSelection(const QList<QJsonObject>& sessions, const QList<QJsonObject>& runs,
                            const HomeSelection& chosen) {
    if (const std::optional<QJsonObject> run = recordWith(runs, chosen.run, deliveryIdentity)) {
        const qsizetype owner = runSessionIndex(sessions, *run);
        return {owner >= 0 ? sessionIdentity(sessions.at(owner)) : QString(), chosen.run};
    }
    const std::optional<QJsonObject> conversation = recordWith(sessions, chosen.conversation, sessionIdentity);
    if (!conversation) {
        return {};
    }
    HomeSelection selection{chosen.conversation, {}};
    if (const std::optional<QJsonObject> run = presentedSessionRun(*conversation, runs)) {
        selection.run = deliveryIdentity(*run);
    }
    return selection;
}

std::optional<QJsonObject> selectedConversation(const SupervisionModel& model) {
    return recordWith(model.sessionCandidates, model.selectedSessionIdentity, sessionIdentity);
}

std::optional<QJsonObject> selectedRun(const SupervisionModel& model) {
    return recordWith(model.deliveryRuns, model.selectedDeliveryIdentity, deliveryIdentity);
}

QString feedbackSubject(const SupervisionModel& model) {
    return model.selectedDeliveryIdentity.isEmpty() ? model.selectedSessionIdentity : model.selectedDeliveryIdentity;
}
