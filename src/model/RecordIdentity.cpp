#include "model/RecordIdentity.h"

#include "model/SnapshotReading.h"

QString sessionIdentity(const QJsonObject& record) {
    return stringAt(record, u"provider").value_or(QString()) + u'|' + stringAt(record, u"session").value_or(QString());
}

QString deliveryIdentity(const QJsonObject& run) {
    return sessionIdentity(run) + u'|' + stringAt(run, u"taskId").value_or(QString());
}
