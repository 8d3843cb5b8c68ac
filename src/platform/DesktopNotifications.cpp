#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kAppIcon = QStringLiteral("com.zuzi.vodu.cli");
constexpr uchar kNormalUrgency = 1;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

DesktopNotifications::DesktopNotifications(QString iconFile, QObject* parent)
    : QObject(parent), m_iconFile(std::move(iconFile)) {}

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
    if (m_capabilitiesAsked && m_waiting.isEmpty()) {
        notify(notification, std::move(done));
        return;
    }
    m_waiting.append({notification, std::move(done)});
    askCapabilities();
}

void DesktopNotifications::askCapabilities() {
    if (m_capabilitiesAsked) {
        return;
    }
    m_capabilitiesAsked = true;
    // The body is host text: it is sent as is only to a service that said it does not read markup.
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (!reply.isError()) {
            m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        }
        const QList<Waiting> waiting = std::exchange(m_waiting, {});
        for (const Waiting& entry : waiting) {
            notify(entry.notification, entry.done);
        }
    });
}

void DesktopNotifications::notify(const DesktopNotification& notification, std::function<void(bool)> done) {
    QDBusMessage message = call(QStringLiteral("Notify"));
    const QString body = m_bodyMarkup.value_or(true) ? notification.body.toHtmlEscaped() : notification.body;
    QVariantMap hints{{QStringLiteral("desktop-entry"), kAppIcon},
                      {QStringLiteral("urgency"), QVariant::fromValue(kNormalUrgency)}};
    if (!m_iconFile.isEmpty() && !QIcon::hasThemeIcon(kAppIcon)) {
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(m_iconFile).toString());
    }
    message << QStringLiteral("VODU") << m_ids.value(notification.key, 0u) << kAppIcon << notification.title << body
            << QStringList{QStringLiteral("default"), QStringLiteral("VODU")} << hints << qint32(-1);
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

void DesktopNotifications::withdraw(const QString& key) {
    const auto shown = m_ids.constFind(key);
    if (shown == m_ids.cend()) {
        return;
    }
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << shown.value();
    m_ids.erase(shown);
    QDBusConnection::sessionBus().asyncCall(message);
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
