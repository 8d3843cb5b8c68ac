#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <optional>

// org.freedesktop.Notifications over the session bus: one notification per key, replaced in place, with a default
// action, withdrawn on request. Every call is asynchronous, so a slow or missing service never holds up the window;
// the service's capabilities are asked once.
class DesktopNotifications final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifications)

public:
    // `iconFile`: the app's icon as a file, sent for servers that cannot find the icon theme's name.
    explicit DesktopNotifications(QString iconFile, QObject* parent = nullptr);

    void show(const DesktopNotification& notification, std::function<void(bool delivered)> done);
    // Takes the notification with `key` off the screen, if one is there.
    void withdraw(const QString& key);
    void setHandler(std::function<void(const QString& key)> handler) { m_handler = std::move(handler); }

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    struct Waiting {
        DesktopNotification notification;
        std::function<void(bool)> done;
    };
    void askCapabilities();
    void notify(const DesktopNotification& notification, std::function<void(bool)> done);

    QString m_iconFile;
    QHash<QString, uint> m_ids;       // key -> the service's id of its notification on screen
    std::optional<bool> m_bodyMarkup; // the service reads the body as markup; unknown until it said
    bool m_capabilitiesAsked = false;
    QList<Waiting> m_waiting; // shown once the capabilities are known
    std::function<void(const QString&)> m_handler;
    bool m_listening = false;
};
