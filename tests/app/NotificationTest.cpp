// Desktop notifications from the whole app: what a snapshot newly asks of the user is told and withdrawn on the
// desktop, never in preview or when turned off, and a click brings the window back on what it told about. (What is
// told when is planned in the sessions area and tested there.)
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

namespace {

QJsonObject runs(const char* reason) {
    if (!*reason) {
        return json(R"({"deliveryHooks":{"runs":[]}})");
    }
    return json(QByteArray(R"({"deliveryHooks":{"runs":[{"provider":"codex","session":"s1","taskId":"t1",
        "objective":"Ship it","needsAttention":true,"reason":")") +
                reason + "\"}]}}");
}

} // namespace

class NotificationTest final : public HarnessTest {
    Q_OBJECT

private Q_SLOTS:
    void toldReplacedAndWithdrawn() {
        app().render(runs("")); // start-up: nothing waits
        app().render(runs("Approve the deploy"));
        app().render(runs("Approve the deploy"));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().title, QStringLiteral("Ship it"));
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Approve the deploy"));
        fake().clock = fake().clock.addSecs(61);
        app().render(runs("Answer the question"));
        QCOMPARE(fake().notifications.size(), 2);
        const QString key = fake().notifications.at(0).key;
        QCOMPARE(fake().notifications.at(1).key, key); // replaces it
        app().render(runs(""));
        QCOMPARE(fake().withdrawnNotifications, (QStringList{key, QStringLiteral("summary")}));
    }

    // At start-up one summary; in preview or turned off (remembered for the next start) nothing; without a
    // notification service the user is still asked to look.
    void whenNothingOrSomethingElseIsShown() {
        app().render(runs("Approve the deploy"));
        QCOMPARE(fake().notifications.value(0).key, QStringLiteral("summary"));
        for (const bool preview : {true, false}) {
            m_harness = std::make_unique<Harness>();
            app().setFixtureMode(preview);
            if (!preview) {
                view<QAbstractButton>(app(), "notificationsSwitch")->click();
                QCOMPARE(fake().stored.value(QStringLiteral("notifyWhenNeeded")), QVariant(false));
            }
            app().render(runs(""));
            app().render(runs("Approve the deploy"));
            QVERIFY(fake().notifications.isEmpty());
        }
        m_harness = std::make_unique<Harness>();
        fake().notificationServiceAvailable = false;
        app().render(runs(""));
        app().render(runs("Approve the deploy"));
        QVERIFY(fake().attentionRequests > 0);
    }

    // The click shows the window on the conversation it told about, even past a search that hid it.
    void clickingShowsTheConversation() {
        app().render(QJsonObject());
        app().render(json(R"({"sessionSupervision":{"sessions":[
            {"provider":"codex","session":"a","mode":"unmanaged","title":"Alpha"},
            {"provider":"codex","session":"b","mode":"unmanaged","title":"Beta",
             "analysis":{"state":"needs_user","reason":"Pick a name"}}]}})"));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Pick a name"));
        view<QLineEdit>(app(), "sessionSearch")->setText(QStringLiteral("Alpha"));
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Alpha"));
        app().window()->hide();
        fake().notificationHandler(fake().notifications.first().key);
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Beta"));
        QVERIFY(view<QLineEdit>(app(), "sessionSearch")->text().isEmpty());
        QVERIFY(fake().withdrawnNotifications.contains(fake().notifications.first().key));
    }
};

VODU_TEST_SUITE(NotificationTest)
#include "NotificationTest.moc"
