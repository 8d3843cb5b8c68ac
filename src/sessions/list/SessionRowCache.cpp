#include "sessions/list/SessionRowCache.h"

#include "model/RecordIdentity.h"
#include "sessions/records/SessionRecords.h"

const QList<SessionRowFacts>& SessionRowCache::factsFor(const QList<QJsonObject>& records,
                                                        const QList<QJsonObject>& runs, const Copy& copy) {
    const bool sameRuns = runs == m_runs;
    const SessionRunIndex runIndex(runs);
    QList<SessionRowFacts> facts;
    facts.reserve(records.size());
    for (qsizetype index = 0; index < records.size(); ++index) {
        const QJsonObject& record = records.at(index);
        // Unchanged records share their data with the last snapshot's, which makes this comparison cheap.
        if (sameRuns && index < m_records.size() && m_records.at(index) == record) {
            facts.append(m_facts.at(index));
            continue;
        }
        const std::optional<QJsonObject> run = runIndex.find(record);
        facts.append(
            {sessionListGroup(record, runIndex), sessionRowPresentation(record, run, copy), sessionIdentity(record)});
    }
    m_records = records;
    m_runs = runs;
    m_facts = std::move(facts);
    return m_facts;
}
