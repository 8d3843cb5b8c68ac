#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

void DesktopNotifications::show(const DesktopNotification& notification, std::function<void(bool)> done) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(false);
        return;
    }
    if (!m_listening) {
        m_listening = true;
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
    }
    if (m_bodyMarkup) {
        notify(notification, std::move(done));
        return;
    }
    // The body is host text: it is escaped only for a service that would read it as markup.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, notification, done = std::move(done)]() mutable {
                watcher->deleteLater();
                const QDBusPendingReply<QStringList> reply = *watcher;
                if (reply.isError()) {
                    done(false);
                    return;
                }
                m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
                notify(notification, std::move(done));
            });
}

void DesktopNotifications::notify(const DesktopNotification& notification, std::function<void(bool)> done) {
    QDBusMessage message = call(QStringLiteral("Notify"));
    const QString body = m_bodyMarkup.value_or(true) ? notification.body.toHtmlEscaped() : notification.body;
    message << QStringLiteral("VODU") << m_ids.value(notification.key, 0u) << QStringLiteral("com.zuzi.vodu.cli")
            << notification.title << body << QStringList{QStringLiteral("default"), QStringLiteral("VODU")}
            << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("com.zuzi.vodu.cli")}} << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    const QString key = notification.key;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, key, done = std::move(done)] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            done(false);
            return;
        }
        m_ids.insert(key, reply.value());
        done(true);
    });
}

void DesktopNotifications::actionInvoked(uint id, const QString& action) {
    const QString key = m_ids.key(id);
    if (action == u"default" && !key.isEmpty() && m_handler) {
        m_handler(key);
    }
}

void DesktopNotifications::notificationClosed(uint id, uint) {
    const QString key = m_ids.key(id);
    if (!key.isEmpty()) {
        m_ids.remove(key); // a closed notification cannot be replaced; the next one for its key is new
    }
}
