#include "host/CommandEnvelope.h"

#include <QJsonDocument>
#include <QUuid>

QString newCommandId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QJsonObject commandEnvelope(const QString& id, const QString& action, bool force, const std::optional<QString>& taskKey,
                            const QJsonObject& fields) {
    QJsonObject envelope{{QStringLiteral("id"), id}, {QStringLiteral("action"), action}};
    if (force) {
        envelope.insert(QStringLiteral("force"), true);
    }
    if (taskKey) {
        envelope.insert(QStringLiteral("taskKey"), *taskKey);
    }
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        envelope.insert(field.key(), field.value());
    }
    return envelope;
}

std::optional<QByteArray> commandLine(const QJsonObject& envelope) {
    QByteArray line = QJsonDocument(envelope).toJson(QJsonDocument::Compact);
    // Qt writes non-finite numbers as null rather than failing; a command must not silently change meaning.
    for (auto field = envelope.begin(); field != envelope.end(); ++field) {
        if (field.value().isDouble() && !qIsFinite(field.value().toDouble())) {
            return std::nullopt;
        }
    }
    if (line.isEmpty() || line.contains('\n')) {
        return std::nullopt;
    }
    line.append('\n');
    return line;
}
