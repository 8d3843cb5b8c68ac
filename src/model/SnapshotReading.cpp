#include "model/SnapshotReading.h"

#include <QJsonDocument>

#include <cmath>

QJsonObject objectAt(const QJsonObject& record, QStringView key) {
    const QJsonValue value = record.value(key);
    return value.isObject() ? value.toObject() : QJsonObject();
}

QJsonArray arrayAt(const QJsonObject& record, QStringView key) {
    const QJsonValue value = record.value(key);
    return value.isArray() ? value.toArray() : QJsonArray();
}

QList<QJsonObject> objectsAt(const QJsonObject& record, QStringView key) {
    QList<QJsonObject> objects;
    const QJsonArray array = arrayAt(record, key);
    objects.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (element.isObject()) {
            objects.append(element.toObject());
        }
    }
    return objects;
}

std::optional<QString> stringAt(const QJsonObject& record, QStringView key) {
    const QJsonValue value = record.value(key);
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString();
}

bool boolAt(const QJsonObject& record, QStringView key) {
    const QJsonValue value = record.value(key);
    return value.isBool() && value.toBool();
}

qint64 integerAt(const QJsonObject& record, QStringView key, qint64 fallback) {
    const QJsonValue value = record.value(key);
    if (!value.isDouble()) {
        return fallback;
    }
    // QJsonValue keeps integers written without a fraction exactly; doubles need a range and fraction check.
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        return variant.toLongLong();
    }
    const double number = value.toDouble();
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(number) || std::trunc(number) != number || number < -kLimit || number >= kLimit) {
        return fallback;
    }
    return static_cast<qint64>(number);
}

QString stateAt(const QJsonObject& record, QStringView key) {
    return stringAt(record, key).value_or(QStringLiteral("unknown"));
}

QString jsonText(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double: {
        const QVariant variant = value.toVariant();
        if (variant.typeId() == QMetaType::LongLong) {
            return QString::number(variant.toLongLong());
        }
        return QString::number(value.toDouble(), 'g', 17);
    }
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

bool sameApartFromSampleTime(const QJsonObject& a, const QJsonObject& b) {
    const QLatin1StringView sample("sampledAt");
    if (a.size() - a.contains(sample) != b.size() - b.contains(sample)) {
        return false;
    }
    for (auto it = a.constBegin(); it != a.constEnd(); ++it) {
        if (it.key() == sample) {
            continue;
        }
        const auto other = b.constFind(it.key());
        if (other == b.constEnd() || other.value() != it.value()) {
            return false;
        }
    }
    return true;
}
