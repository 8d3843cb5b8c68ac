#include "platform/Platform.h"

#include <QFile>
#include <QJsonDocument>

std::optional<QString> Platform::bundleIdentifier() const {
    return bundleString(QStringLiteral("CFBundleIdentifier"));
}

std::optional<QString> Platform::bundleString(const QString& key) const {
    const QJsonValue value = bundleInformation().value(key);
    if (!value.isString() || value.toString().isEmpty()) {
        return std::nullopt;
    }
    return value.toString();
}

QJsonObject readBundleInformation(const QString& bundleDirectory) {
    QFile file(bundleDirectory + QStringLiteral("/Contents/Info.json"));
    if (bundleDirectory.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Small file, read once at start.
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20));
    return document.isObject() ? document.object() : QJsonObject();
}
