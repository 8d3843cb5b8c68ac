#include "host/PendingCommands.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

void PendingCommands::fail(const QString& id, const std::optional<QString>& message) {
    const auto entry = m_waiting.constFind(id);
    if (entry == m_waiting.constEnd()) {
        return;
    }
    const Completion failed = entry.value();
    m_waiting.erase(entry);
    if (failed) {
        failed(false, message);
    }
}

void PendingCommands::complete(const QJsonObject& result) {
    const std::optional<QString> id = stringAt(result, u"id");
    if (!id) {
        return;
    }
    const auto entry = m_waiting.constFind(*id);
    if (entry == m_waiting.constEnd()) {
        return; // unknown or already answered
    }
    const Completion completion = entry.value();
    m_waiting.erase(entry);
    if (completion) {
        completion(boolAt(result, u"ok"), safeMessage(stringAt(result, u"message"), kShortTextLimit));
    }
}

void PendingCommands::failAll() {
    // Taken whole first: a completion may send again, and that command must fail on its own, not be failed twice.
    const QHash<QString, Completion> waiting = std::exchange(m_waiting, {});
    for (const Completion& completion : waiting) {
        if (completion) {
            completion(false, std::nullopt);
        }
    }
}
