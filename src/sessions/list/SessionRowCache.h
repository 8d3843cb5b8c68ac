#pragma once

#include "sessions/list/SessionList.h"

#include <QJsonObject>
#include <QList>

// What the conversation list needs of one record: where it is listed, what its row shows, and what identifies it.
struct SessionRowFacts {
    SessionGroup group = SessionGroup::conversations;
    SessionRowPresentation presentation;
    QString key;
};

// The facts of each record depend on the record and the runs alone, and from one snapshot to the next most records
// are unchanged: their facts are kept instead of being derived again for thousands of rows.
class SessionRowCache {
public:
    // The facts of `records`, in order. Those of a record equal to the one at the same place last time are reused,
    // as long as the runs are the same.
    const QList<SessionRowFacts>& factsFor(const QList<QJsonObject>& records, const QList<QJsonObject>& runs,
                                           const Copy& copy);

private:
    QList<QJsonObject> m_records;
    QList<QJsonObject> m_runs;
    QList<SessionRowFacts> m_facts;
};
