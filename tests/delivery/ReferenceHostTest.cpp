// The whole app against the real reference host and its demo: each run command a user gives reaches the host, and
// the next status shows the run in its new state.
#include "ReferenceHost.h"
#include "Harness.h"
#include "TestRegistry.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>

namespace {

const char* kApproval = "codex|5b1f0c3e-8a42-4d67-9e10-2c7ab4f9d381|task_billing_webhook";
const char* kVerification = "codex|e2c84f1a-0b6d-4a3e-8f57-1d9b6c4e2a70|task_palette";
const char* kDependency = "claude|a7d3e9b2-4c15-4f8e-b6a0-93e1d5c27f44|task_search_upgrade";
const char* kActive = "codex|9c4e7b2d-1f83-4a6c-b0d5-6e2a8f3c1b97|task_cold_start";

} // namespace

class ReferenceHostTest final : public HarnessTest {
    Q_OBJECT

    // The run as the last status reported it; empty when it is not listed.
    QJsonObject run(const char* identity) {
        for (const QJsonObject& record : app().supervision().deliveryRuns) {
            if (deliveryIdentity(record) == QLatin1String(identity)) {
                return record;
            }
        }
        return {};
    }

    // The run chosen, as a notification or the run picker chooses it.
    void present(const char* identity) {
        app().sessions().selectRun(QString::fromLatin1(identity));
        QCOMPARE(app().supervision().selectedDeliveryIdentity, QString::fromLatin1(identity));
    }

    void click(const char* name) {
        auto* button = view<QAbstractButton>(app(), name);
        QVERIFY2(button && button->isEnabled(), name);
        button->click();
    }

    QString text(const char* name) { return view<QLabel>(app(), name)->text(); }

private Q_SLOTS:
    void commandsReachTheHostAndTheNextStatusShowsThem() {
        ReferenceHost host(harness());
        QVERIFY(host.ready());
        QVERIFY(!run(kApproval).isEmpty());

        // Approve the pending approval: asked first, then sent; the approval is gone from the next status.
        present(kApproval);
        QCOMPARE(text("deliveryHeadline"), QStringLiteral("Your decision needed"));
        fake().alertAnswers = {AlertAnswer{1, {}}};
        click("deliveryPrimary");
        QCOMPARE(fake().alerts.last().message, QStringLiteral("Approve this request?"));
        QTRY_VERIFY_WITH_TIMEOUT(objectAt(run(kApproval), u"pendingApproval").isEmpty(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(text("deliveryActionMessage"), QStringLiteral("Action accepted. Refreshing status."),
                                  10000);
        present(kApproval);
        QVERIFY(text("deliveryState") != QStringLiteral("Waiting for your approval"));

        // Verify a manual criterion: one fewer is pending, and its result is the user's attestation.
        present(kVerification);
        const QJsonArray pendingBefore = arrayAt(objectAt(run(kVerification), u"verification"), u"pending");
        const QString criterion = pendingBefore.first().toString();
        auto* criteria = view<QComboBox>(app(), "deliveryCriterionPicker");
        QVERIFY(criteria->count() > 0);
        fake().alertAnswers = {AlertAnswer{1, {}}};
        click("deliveryPrimary");
        QCOMPARE(fake().alerts.last().message, QStringLiteral("Mark this criterion verified?"));
        QTRY_COMPARE_WITH_TIMEOUT(arrayAt(objectAt(run(kVerification), u"verification"), u"pending").size(),
                                  pendingBefore.size() - 1, 10000);
        const QJsonObject results = objectAt(objectAt(run(kVerification), u"verification"), u"results");
        QCOMPARE(stringAt(objectAt(results, criterion), u"source"), QStringLiteral("user_attestation"));

        // Confirm the external dependency with a typed answer: the run is active again.
        present(kDependency);
        QCOMPARE(text("deliveryHeadline"), QStringLiteral("Waiting for an external dependency"));
        fake().alertAnswers = {AlertAnswer{1, QStringLiteral("  The quota is 200 GB now.  ")}};
        click("deliveryPrimary");
        QTRY_COMPARE_WITH_TIMEOUT(stateAt(run(kDependency)), QStringLiteral("active"), 10000);
        QCOMPARE(stringAt(objectsAt(run(kDependency), u"decisionHistory").first(), u"reason"),
                 QStringLiteral("The quota is 200 GB now."));
        QTRY_COMPARE_WITH_TIMEOUT(text("deliveryActionMessage"), QStringLiteral("Confirmation accepted."), 10000);
        present(kDependency);
        QVERIFY(text("deliveryHeadline") != QStringLiteral("Waiting for an external dependency"));

        // Pause from the settings group, then resume with the primary button.
        present(kActive);
        click("deliverySettingsToggle");
        click("deliveryPause");
        QTRY_COMPARE_WITH_TIMEOUT(stateAt(run(kActive)), QStringLiteral("paused"), 10000);
        present(kActive);
        QCOMPARE(text("deliveryHeadline"), QStringLiteral("This conversation is paused"));
        QCOMPARE(view<QAbstractButton>(app(), "deliveryPrimary")->text(), QStringLiteral("Resume task"));
        click("deliveryPrimary");
        QTRY_COMPARE_WITH_TIMEOUT(stateAt(run(kActive)), QStringLiteral("active"), 10000);
        present(kActive);
        QVERIFY(text("deliveryHeadline") != QStringLiteral("This conversation is paused"));
    }
};

VODU_TEST_SUITE(ReferenceHostTest)
#include "ReferenceHostTest.moc"
