#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QList>

// A scripted desktop: alerts are answered from a queue and everything asked of it is recorded.
class FakePlatform final : public Platform {
public:
    AlertAnswer runAlert(const AlertRequest& request, QWidget* parent) override;
    bool openUrl(const QUrl& url) override;
    void setClipboardText(const QString& text) override;
    void requestAttention(QWidget* window) override;
    void showNotification(const DesktopNotification& notification, std::function<void(bool)> done) override;
    void withdrawNotification(const QString& key) override { withdrawnNotifications.append(key); }
    void setNotificationHandler(std::function<void(const QString&)> handler) override {
        notificationHandler = std::move(handler);
    }

    QDateTime now() const override { return clock; }
    std::optional<QString> environmentValue(const QString& name) const override;
    QProcessEnvironment processEnvironment() const override;
    // The environment of this test process, so a started host finds node, PATH and HOME; the workspace and
    // install-error variables of the developer's shell are left out.
    void inheritSystemEnvironment();
    QStringList preferredLanguages() const override { return languages; }

    QString bundleDirectory() const override { return bundleDir; }
    QJsonObject bundleInformation() const override { return bundleInfo; }
    std::optional<int> screenVisibleHeight(const QWidget*) const override { return screenHeight; }
    QList<QRect> screenAreas() const override { return screens; }
    QVariant storedValue(const QString& key) const override { return stored.value(key); }
    void storeValue(const QString& key, const QVariant& value) override { stored.insert(key, value); }
    qint64 processId() const override { return pid; }
    bool trayAvailable() const override { return tray; }
    void terminateApplication() override { ++terminations; }
    void exitProcess(int status) override { exitStatuses.append(status); }

    // Script.
    QList<AlertAnswer> alertAnswers; // taken in order; an empty queue answers the first button
    QDateTime clock = QDateTime(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
    QHash<QString, QString> environment;
    QStringList languages{QStringLiteral("en-US")};
    QString bundleDir;
    QJsonObject bundleInfo{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.zuzi.vodu.cli.test")},
                           {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.2.3")}};
    std::optional<int> screenHeight = 900;
    qint64 pid = 4242;
    bool tray = true;
    QList<QRect> screens{QRect(0, 0, 1440, 900)};
    QHash<QString, QVariant> stored;
    bool openUrlSucceeds = true;
    bool notificationServiceAvailable = true;

    // Record.
    QList<AlertRequest> alerts;
    QList<QUrl> openedUrls;
    QStringList clipboardTexts;
    int attentionRequests = 0;
    QList<DesktopNotification> notifications; // every one shown, in order
    QStringList withdrawnNotifications;
    std::function<void(const QString&)> notificationHandler;
    int terminations = 0;
    QList<int> exitStatuses;
};
