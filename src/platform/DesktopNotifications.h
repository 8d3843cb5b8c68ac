#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QObject>

#include <optional>

// org.freedesktop.Notifications over the session bus: one notification per key, replaced in place, with a default
// action. Every call is asynchronous, so a slow or missing service never holds up the window.
class DesktopNotifications final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifications)

public:
    explicit DesktopNotifications(QObject* parent = nullptr);

    void show(const DesktopNotification& notification, std::function<void(bool delivered)> done);
    void setHandler(std::function<void(const QString& key)> handler) { m_handler = std::move(handler); }

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    void notify(const DesktopNotification& notification, std::function<void(bool)> done);

    QHash<QString, uint> m_ids;       // key -> the service's id of its notification on screen
    std::optional<bool> m_bodyMarkup; // the service reads the body as markup; unknown until it said
    std::function<void(const QString&)> m_handler;
    bool m_listening = false;
};
