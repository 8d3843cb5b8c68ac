// Desktop notifications from the whole app: what a snapshot newly asks of the user, told once, never in preview,
// and a click brings the window back.
#include "Harness.h"
#include "TestRegistry.h"
#include "sessions/NeedsYouNotifier.h"

#include <QJsonDocument>
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
        QCOMPARE(fake().notifications.size(), 2);
        QCOMPARE(fake().notifications.at(1).key, fake().notifications.at(0).key); // replaces it
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

        m_harness = std::make_unique<Harness>();
        app().notifier().setEnabled(false);
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
};

VODU_TEST_SUITE(NotificationTest)
#include "NotificationTest.moc"
