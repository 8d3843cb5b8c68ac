// Desktop notifications from the whole app: what a snapshot newly asks of the user, told once, never in preview,
// and a click brings the window back.
#include "Harness.h"
#include "TestRegistry.h"
#include "sessions/list/NeedsYouNotifier.h"

#include <QAbstractButton>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

QJsonObject snapshot(const char* runs) {
    return QJsonDocument::fromJson(QByteArray(R"({"deliveryHooks":{"runs":)") + runs + "}}").object();
}

const char* const kOneRun = R"([{"provider":"codex","session":"s1","taskId":"t1","objective":"Ship it",
                                "needsAttention":true,"reason":"Approve the deploy"}])";
const char* const kReasonChanged = R"([{"provider":"codex","session":"s1","taskId":"t1","objective":"Ship it",
                                       "needsAttention":true,"reason":"Answer the question"}])";

} // namespace

class NotificationTest final : public HarnessTest {
    Q_OBJECT

private Q_SLOTS:
    void newlyWaitingIsToldOnceAndReplacedOnChange() {
        app().render(snapshot("[]")); // start-up: nothing waits
        QVERIFY(fake().notifications.isEmpty());
        app().render(snapshot(kOneRun));
        app().render(snapshot(kOneRun));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().title, QStringLiteral("Ship it"));
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Approve the deploy"));
        app().render(snapshot(kReasonChanged));
        QCOMPARE(fake().notifications.size(), 1); // a change within the minute waits
        fake().clock = fake().clock.addSecs(61);
        app().render(snapshot(kReasonChanged));
        QCOMPARE(fake().notifications.size(), 2);
        QCOMPARE(fake().notifications.at(1).key, fake().notifications.at(0).key); // replaces it
    }

    // A notification goes when its run no longer needs the user, and when the user opens it in the window.
    void withdrawnWhenAnsweredOrOpened() {
        app().render(snapshot("[]"));
        app().render(snapshot(kOneRun));
        const QString key = fake().notifications.value(0).key;
        QVERIFY(!key.isEmpty());
        app().render(snapshot("[]"));
        QCOMPARE(fake().withdrawnNotifications, (QStringList{key, QStringLiteral("summary")}));

        fake().clock = fake().clock.addSecs(61);
        app().render(snapshot(kOneRun));
        QCOMPARE(fake().notifications.size(), 2);
        fake().withdrawnNotifications.clear();
        app().showWindow();
        QVERIFY(fake().notificationHandler);
        fake().notificationHandler(key); // the user opens it from the notification
        QVERIFY(fake().withdrawnNotifications.contains(key));
    }

    void startUpGivesOneSummary() {
        app().render(snapshot(kOneRun));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().key, QStringLiteral("summary"));
    }

    void nothingInPreviewOrWhenTurnedOff() {
        app().setFixtureMode(true);
        app().render(snapshot("[]"));
        app().render(snapshot(kOneRun));
        QVERIFY(fake().notifications.isEmpty());

        // Turned off in the App tab: remembered for the next start, and nothing is shown.
        m_harness = std::make_unique<Harness>();
        auto* toggle = view<QAbstractButton>(app(), "notificationsSwitch");
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(fake().stored.value(QStringLiteral("notifyWhenNeeded")), QVariant(false));
        QVERIFY(!app().notifier().isEnabled());
        app().render(snapshot("[]"));
        app().render(snapshot(kOneRun));
        QVERIFY(fake().notifications.isEmpty());
    }

    void withoutAServiceTheUserIsStillAsked() {
        fake().notificationServiceAvailable = false;
        app().render(snapshot("[]"));
        const int before = fake().attentionRequests;
        app().render(snapshot(kOneRun));
        QVERIFY(fake().attentionRequests > before); // no tray offscreen: the attention request
    }

    void clickingShowsTheWindow() {
        app().render(snapshot("[]"));
        app().render(snapshot(kOneRun));
        QVERIFY(fake().notificationHandler);
        app().window()->hide();
        fake().notificationHandler(fake().notifications.first().key);
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
    }

    // The click leads to the conversation it told about, even past a search that hid it.
    void clickingSelectsTheConversation() {
        const QJsonObject waiting = QJsonDocument::fromJson(R"({"sessionSupervision":{"sessions":[
            {"provider":"codex","session":"a","mode":"unmanaged","title":"Alpha"},
            {"provider":"codex","session":"b","mode":"unmanaged","title":"Beta",
             "analysis":{"state":"needs_user","reason":"Pick a name"}}]}})")
                                        .object();
        app().render(QJsonObject());
        app().render(waiting);
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Pick a name"));
        view<QLineEdit>(app(), "sessionSearch")->setText(QStringLiteral("Alpha"));
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Alpha"));
        fake().notificationHandler(fake().notifications.first().key);
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Beta"));
        QVERIFY(view<QLineEdit>(app(), "sessionSearch")->text().isEmpty());
    }
};

VODU_TEST_SUITE(NotificationTest)
#include "NotificationTest.moc"
