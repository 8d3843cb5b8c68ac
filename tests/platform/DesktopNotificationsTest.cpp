#include "platform/DesktopNotifications.h"
#include "TestRegistry.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// A notification server on a private session bus that records what it is asked.
class NotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        uint replaces = 0;
        QString title;
        QString body;
        QVariantMap hints;
    };
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};
    int capabilityRequests = 0;
    QList<Shown> shown;
    QList<uint> closed;

public Q_SLOTS:
    QStringList GetCapabilities() {
        ++capabilityRequests;
        return capabilities;
    }
    uint Notify(const QString&, uint replaces, const QString&, const QString& title, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        shown.append({replaces, title, body, hints});
        return replaces != 0 ? replaces : static_cast<uint>(shown.size()) + 100;
    }
    void CloseNotification(uint id) { closed.append(id); }
};

class DesktopNotificationsTest final : public QObject {
    Q_OBJECT

    QProcess m_bus;
    NotificationServer m_server;

private Q_SLOTS:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        QVERIFY2(!daemon.isEmpty(), "dbus-daemon is needed for a private session bus");
        m_bus.start(daemon,
                    {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(m_bus.waitForReadyRead(5000));
        // Before the first use of the session bus in this process.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_server,
                                   QDBusConnection::ExportAllSlots));
    }

    void cleanupTestCase() {
        m_bus.kill();
        m_bus.waitForFinished();
    }

    // Capabilities are asked once for a burst; every notification carries the hints servers use; the body is host
    // text and escaped for a server that reads markup.
    void notificationsCarryHintsAndAskOnce() {
        m_server.capabilities.append(QStringLiteral("body-markup"));
        DesktopNotifications notifications(QStringLiteral("/opt/vodu/VODU.png"));
        int delivered = 0;
        notifications.show({QStringLiteral("session:a"), QStringLiteral("A"), QStringLiteral("<b>x</b>")},
                           [&delivered](bool ok) { delivered += ok; });
        notifications.show({QStringLiteral("session:b"), QStringLiteral("B"), QStringLiteral("y")},
                           [&delivered](bool ok) { delivered += ok; });
        QTRY_COMPARE(delivered, 2);
        notifications.show({QStringLiteral("session:a"), QStringLiteral("A"), QStringLiteral("again")},
                           [&delivered](bool ok) { delivered += ok; });
        QTRY_COMPARE(delivered, 3);
        QCOMPARE(m_server.capabilityRequests, 1);
        QCOMPARE(m_server.shown.size(), 3);
        QCOMPARE(m_server.shown.at(0).body, QStringLiteral("&lt;b&gt;x&lt;/b&gt;"));
        QCOMPARE(m_server.shown.at(2).replaces, m_server.shown.at(0).replaces + 101); // replaced in place
        for (const NotificationServer::Shown& shown : std::as_const(m_server.shown)) {
            QCOMPARE(shown.hints.value(QStringLiteral("urgency")).toInt(), 1);
            QCOMPARE(shown.hints.value(QStringLiteral("desktop-entry")).toString(),
                     QStringLiteral("com.zuzi.vodu.cli"));
            // No icon theme here knows the app's name, so its file goes along.
            QCOMPARE(shown.hints.value(QStringLiteral("image-path")).toString(),
                     QStringLiteral("file:///opt/vodu/VODU.png"));
        }

        notifications.withdraw(QStringLiteral("session:b"));
        notifications.withdraw(QStringLiteral("session:unknown"));
        QTRY_COMPARE(m_server.closed, QList<uint>{102});
    }
};

VODU_TEST_SUITE(DesktopNotificationsTest)
#include "DesktopNotificationsTest.moc"
