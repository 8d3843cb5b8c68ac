#pragma once

#include "platform/Platform.h"

#include <memory>

class DesktopNotifications;
class QSettings;

// The real desktop: Qt's message boxes, desktop services, clipboard and screens.
class QtPlatform final : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    AlertAnswer runAlert(const AlertRequest& request, QWidget* parent) override;
    bool openUrl(const QUrl& url) override;
    void setClipboardText(const QString& text) override;
    void requestAttention(QWidget* window) override;
    void showNotification(const DesktopNotification& notification, std::function<void(bool)> done) override;
    void withdrawNotification(const QString& key) override;
    void setNotificationHandler(std::function<void(const QString&)> handler) override;

    QDateTime now() const override;
    std::optional<QString> environmentValue(const QString& name) const override;
    QProcessEnvironment processEnvironment() const override;
    QStringList preferredLanguages() const override;

    QString bundleDirectory() const override;
    QJsonObject bundleInformation() const override;
    std::optional<int> screenVisibleHeight(const QWidget* window) const override;
    QList<QRect> screenAreas() const override;
    QVariant storedValue(const QString& key) const override;
    void storeValue(const QString& key, const QVariant& value) override;
    qint64 processId() const override;
    bool trayAvailable() const override;
    void terminateApplication() override;
    void exitProcess(int status) override;

private:
    QString m_bundleDirectory;
    QJsonObject m_bundleInformation;
    std::unique_ptr<DesktopNotifications> m_notifications; // after the bundle: it sends the bundle's icon
    mutable std::unique_ptr<QSettings> m_settings;         // made on first use, after the application object
};
