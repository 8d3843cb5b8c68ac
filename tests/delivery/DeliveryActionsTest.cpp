// What the run pane's buttons send, what they ask first, the feedback line, and the refresh after every result.
#include "RunPane.h"
#include "TestRegistry.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>

namespace {

const char* kBase = R"({"provider":"codex","session":"s1","taskId":"t1","managed":true,"objective":"Ship the docs"})";

QJsonObject run(const char* extra = "{}") {
    return runRecord(kBase, extra);
}

const char* kApproval = R"({"state":"blocked","canApprove":true,"canReject":true,"canStop":true,"canPause":true,
    "canReplan":true,"pendingApproval":{"id":"a1","summary":"Deploy 1.8.3","scope":"Staging"}})";
const char* kPaused = R"({"state":"paused","canResume":true,"canReplan":true,"canStop":true})";
const char* kDependency = R"({"state":"blocked","canResolveDependency":true,
    "dependencyWait":{"id":"w1","condition":"Quota raised"}})";
const char* kThread = "1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057";
const char* kHandoffRun = R"({"provider":"codex","session":"1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057","taskId":"t1",
    "managed":true,"state":"recovery_required","canResume":true,
    "approvedAction":{"id":"x1","action":{"kind":"destructive"}}})";

// A Codex handoff whose conversation target links to `url`, verified or not.
QJsonObject handoffRun(const QString& url, bool verified = true) {
    QJsonObject record = runRecord(kHandoffRun);
    record.insert(QStringLiteral("originalSessionTarget"),
                  QJsonObject{{"kind", "url"}, {"verifiedOnPlatform", verified}, {"url", url}});
    return record;
}

QString threadLink() {
    return QStringLiteral("codex:") + QStringLiteral("//threads/") + QLatin1String(kThread);
}

// The one command a click sent, as "action field=value ...", with the fields past the run's address.
QString sentCommand(const RunPane& pane) {
    if (pane.area.commands.commands.isEmpty()) {
        return QString();
    }
    const RecordingCommandSink::Command& command = pane.area.commands.commands.first();
    QStringList parts{command.action};
    for (auto field = command.fields.begin(); field != command.fields.end(); ++field) {
        if (field.key() != u"provider" && field.key() != u"session" && field.key() != u"taskId") {
            parts.append(field.key() + u'=' + field.value().toString());
        }
    }
    return parts.join(u' ');
}

} // namespace

class DeliveryActionsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A click, the answer to its alert (-1: no alert expected), and what is sent.
    void buttons_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<bool>("settingsOpen");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("sent"); // empty: nothing
        QTest::newRow("primary approves after asking")
            << run(kApproval) << false << "deliveryPrimary" << 1 << "delivery_approve approvalId=a1";
        QTest::newRow("approve waits for the second button") << run(kApproval) << false << "deliveryPrimary" << 0 << "";
        QTest::newRow("reject does not ask")
            << run(kApproval) << false << "deliveryReject" << -1 << "delivery_reject approvalId=a1";
        QTest::newRow("stop asks") << run(kApproval) << true << "deliveryStop" << 1 << "delivery_stop";
        QTest::newRow("stop declined") << run(kApproval) << true << "deliveryStop" << 0 << "";
        QTest::newRow("replan") << run(kPaused) << false << "deliveryReplan" << -1 << "delivery_replan";
        QTest::newRow("pause") << run(R"({"state":"active","canPause":true})") << true << "deliveryPause" << -1
                               << "delivery_pause";
        QTest::newRow("primary resumes") << run(kPaused) << false << "deliveryPrimary" << -1 << "delivery_resume";
    }
    void buttons() {
        QFETCH(QJsonObject, record);
        QFETCH(bool, settingsOpen);
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(QString, sent);
        RunPane pane;
        pane.show({record});
        if (settingsOpen) {
            pane.click("deliverySettingsToggle");
        }
        if (answer >= 0) {
            pane.area.platform.alertAnswers = {AlertAnswer{answer, {}}};
        }
        pane.view<QAbstractButton>(qPrintable(button))->click();
        QCOMPARE(pane.area.platform.alerts.size(), answer >= 0 ? 1 : 0);
        QCOMPARE(sentCommand(pane), sent);
        QCOMPARE(pane.text("deliveryActionMessage"), sent.isEmpty() ? QString() : QStringLiteral("Sending action…"));
        if (!sent.isEmpty()) {
            QVERIFY(!pane.enabled("deliveryReject") && !pane.enabled("deliveryStop"));
            QCOMPARE(pane.area.commands.commands.first().fields.value(u"taskId").toString(), QStringLiteral("t1"));
            QVERIFY(!pane.area.commands.commands.first().force);
        }
    }

    // Handlers reached without a usable button end silently: no alert, no command, no text.
    void incompleteRequestsEndSilently() {
        RunPane pane;
        pane.show({run(R"({"state":"blocked","canApprove":true,"canReject":true,"pendingApproval":{"id":""}})")});
        pane.delivery.deliveryAction(QStringLiteral("delivery_approve"), true);
        pane.show({run(R"({"state":"blocked","dependencyWait":{"id":"w1"}})")});
        pane.delivery.performPrimaryDeliveryAction();
        pane.show(
            {runRecord(R"({"provider":"codex","session":"s1","managed":true,"state":"paused","canResume":true})")});
        pane.delivery.deliveryAction(QStringLiteral("delivery_resume"), false);
        QVERIFY(pane.area.platform.alerts.isEmpty());
        QVERIFY(pane.area.commands.commands.isEmpty());
        QCOMPARE(pane.text("deliveryActionMessage"), QString());
    }

    void confirmationsSayWhatIsAsked() {
        RunPane pane;
        pane.show({run(kApproval)});
        pane.click("deliveryPrimary");
        QCOMPARE(pane.area.platform.alerts.first().message, QStringLiteral("Approve this request?"));
        QCOMPARE(pane.area.platform.alerts.first().informativeText, QStringLiteral("Staging\nDeploy 1.8.3"));
        QCOMPARE(pane.area.platform.alerts.first().buttons, (QStringList{"Not now", "Approve"}));
        pane.click("deliverySettingsToggle");
        pane.click("deliveryStop");
        QCOMPARE(pane.area.platform.alerts.last().message, QStringLiteral("Stop this Dozadavi Zaro?"));
        QCOMPARE(pane.area.platform.alerts.last().informativeText, QStringLiteral("Ship the docs"));
        QCOMPARE(pane.area.platform.alerts.last().buttons, (QStringList{"Cancel", "Stop"}));
    }

    // Every result writes one line and asks for a fresh status, which redraws the controls.
    void results_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("accepted") << true << ""
                                  << "Action accepted. Refreshing status.";
        QTest::newRow("refused") << false << "This run cannot be replanned now."
                                 << "This run cannot be replanned now.";
        QTest::newRow("failed silently") << false << ""
                                         << "Action failed. Refresh status and try again.";
    }
    void results() {
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        RunPane pane;
        pane.show({run(kPaused)});
        pane.click("deliveryReplan");
        pane.area.commands.complete(0, ok, message.isEmpty() ? std::nullopt : std::optional<QString>(message));
        QCOMPARE(pane.text("deliveryActionMessage"), shown);
        QCOMPARE(pane.area.commands.actions(), (QStringList{"delivery_replan", "refresh"}));
        QVERIFY(!pane.area.commands.commands.last().completion);
        QVERIFY(!pane.enabled("deliveryReplan")); // until the next status redraws the pane
        pane.refresh(pane.model.deliveryRuns);
        QVERIFY(pane.enabled("deliveryReplan"));
    }

    // After a click on a conversation, an action on its run shows its progress and then its result (the host's
    // words when refused); a result about a run the user has left does not reach the new selection's line.
    void feedbackLineAfterChoosingAConversation() {
        RunPane pane;
        QJsonObject second = run(kPaused);
        second.insert(QStringLiteral("session"), QStringLiteral("s2"));
        second.insert(QStringLiteral("objective"), QStringLiteral("Fix the tests"));
        pane.show({run(kPaused), second}, -1);
        pane.selectConversation(QStringLiteral("Fix the tests"));
        pane.click("deliveryReplan");
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("Sending action…"));
        QVERIFY(pane.visible("deliveryActionMessage"));
        pane.area.commands.complete(0, false, QStringLiteral("This run cannot be replanned now."));
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("This run cannot be replanned now."));
        QVERIFY(pane.visible("deliveryActionMessage"));

        pane.refresh(pane.model.deliveryRuns); // a snapshot keeps the line
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("This run cannot be replanned now."));
        pane.click("deliveryReplan");
        pane.selectConversation(QStringLiteral("Ship the docs"));
        QCOMPARE(pane.text("deliveryActionMessage"), QString());
        pane.area.commands.complete(2, true);
        QCOMPARE(pane.text("deliveryActionMessage"), QString());
        QCOMPARE(pane.model.selectedDeliveryIdentity, QStringLiteral("codex|s1|t1"));
    }

    void resumeIsRefusedWhileTheTurnRuns() {
        RunPane pane;
        pane.conversations = {runRecord(R"({"provider":"codex","session":"s1","isRunning":true})")};
        pane.show({run(kPaused)});
        pane.delivery.deliveryAction(QStringLiteral("delivery_resume"), false);
        QVERIFY(pane.area.commands.commands.isEmpty());
        QCOMPARE(pane.text("deliveryActionMessage"), QString());
    }

    // The typed confirmation of an external dependency: trimmed, not blank, at most 1000 UTF-16 units.
    void dependencyAnswers_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer"); // empty: nothing sent
        QTest::newRow("confirmed") << 1 << "  Quota is 200 GB now.\n"
                                   << "Quota is 200 GB now.";
        QTest::newRow("cancelled") << 0 << "Quota is 200 GB now."
                                   << "";
        QTest::newRow("blank") << 1 << "   \n "
                               << "";
        QTest::newRow("1000 units") << 1 << QString(1000, u'q') << QString(1000, u'q');
        QTest::newRow("1001 units") << 1 << QString(1001, u'q') << "";
        QTest::newRow("500 emoji are 1000 units")
            << 1 << QStringLiteral("😀").repeated(500) << QStringLiteral("😀").repeated(500);
        QTest::newRow("501 emoji") << 1 << QStringLiteral("😀").repeated(501) << "";
    }
    void dependencyAnswers() {
        QFETCH(int, button);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        RunPane pane;
        pane.show({run(kDependency)});
        pane.area.platform.alertAnswers = {AlertAnswer{button, typed}};
        pane.click("deliveryPrimary");
        const AlertRequest& prompt = pane.area.platform.alerts.first();
        QVERIFY(prompt.hasTextField);
        QCOMPARE(prompt.informativeText,
                 QStringLiteral("Quota raised\n\nDescribe how this condition has been satisfied."));
        QCOMPARE(prompt.textFieldPlaceholder, QStringLiteral("Confirmation details"));
        QCOMPARE(prompt.buttons, (QStringList{"Cancel", "Confirm"}));
        if (answer.isEmpty()) {
            QVERIFY(pane.area.commands.commands.isEmpty());
            QCOMPARE(pane.text("deliveryActionMessage"), QString());
            return;
        }
        QCOMPARE(pane.area.commands.actions(), QStringList{"delivery_dependency_ready"});
        QCOMPARE(pane.area.commands.commands.first().fields.value(u"answer").toString(), answer);
        QCOMPARE(pane.area.commands.commands.first().fields.value(u"waitId").toString(), QStringLiteral("w1"));
        QVERIFY(!pane.enabled("deliveryPrimary"));
        pane.area.commands.complete(0, true);
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("Confirmation accepted."));
        QCOMPARE(pane.area.commands.actions().last(), QStringLiteral("refresh"));
    }

    void dependencyInPreviewOnlyReviews() {
        RunPane pane;
        pane.area.link.fixtureMode = true;
        pane.show({run(kDependency)});
        pane.area.platform.alertAnswers = {AlertAnswer{1, QStringLiteral("Done")}};
        pane.click("deliveryPrimary");
        QVERIFY(pane.area.commands.commands.isEmpty());
        QCOMPARE(pane.text("deliveryActionMessage"),
                 QStringLiteral("Sample confirmation reviewed. No action was sent."));
    }

    void previewPrimaryExplainsInsteadOfSending_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("message");
        QTest::newRow("approval") << run(kApproval) << "Sample request";
        QTest::newRow("handoff") << handoffRun(threadLink()) << "Sample handoff";
    }
    void previewPrimaryExplainsInsteadOfSending() {
        QFETCH(QJsonObject, record);
        QFETCH(QString, message);
        RunPane pane;
        pane.area.link.fixtureMode = true;
        pane.show({record});
        pane.click("deliveryPrimary");
        QVERIFY(pane.area.commands.commands.isEmpty());
        QCOMPARE(pane.area.platform.alerts.size(), 1);
        QCOMPARE(pane.area.platform.alerts.first().message, message);
        QCOMPARE(pane.area.platform.alerts.first().buttons, QStringList{"Close"});
    }

    void policy() {
        RunPane pane;
        pane.show({run(R"({"state":"active","canSetPolicy":true,"autonomyPolicy":"strict"})")});
        pane.click("deliverySettingsToggle");
        QVERIFY(pane.enabled("deliveryPolicyPicker"));
        QVERIFY(!pane.enabled("deliveryPolicyApply"));
        pane.delivery.applyDeliveryPolicy(); // the policy it has already
        QVERIFY(pane.area.commands.commands.isEmpty());

        auto* picker = pane.view<QComboBox>("deliveryPolicyPicker");
        picker->setCurrentIndex(picker->findData(QStringLiteral("balanced")));
        Q_EMIT picker->activated(picker->currentIndex());
        QVERIFY(pane.enabled("deliveryPolicyApply"));
        pane.refresh(pane.model.deliveryRuns); // a snapshot keeps the choice not applied yet
        QCOMPARE(picker->currentData().toString(), QStringLiteral("balanced"));
        pane.click("deliveryPolicyApply");
        QCOMPARE(sentCommand(pane), QStringLiteral("delivery_set_policy autonomyPolicy=balanced"));
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("Changing policy…"));
        pane.area.commands.complete(0, true);
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("Policy changed. Refreshing status."));

        // The host reports the new policy: the picker follows it.
        pane.refresh({run(R"({"state":"active","canSetPolicy":true,"autonomyPolicy":"autonomous"})")});
        QCOMPARE(picker->currentData().toString(), QStringLiteral("balanced"));
        pane.refresh({run(R"({"state":"active","canSetPolicy":true,"autonomyPolicy":"balanced"})")});
        pane.refresh({run(R"({"state":"active","canSetPolicy":true,"autonomyPolicy":"strict"})")});
        QCOMPARE(picker->currentData().toString(), QStringLiteral("strict"));
    }

    void verifyTheChosenCriterion() {
        RunPane pane;
        pane.show({run(R"({"state":"verification_pending","verification":{"pending":["c1","c2","c3"]},
            "acceptanceCriteria":[{"id":"c1","description":"Docs reviewed","check":{"type":"manual"}},
                                  {"id":"c2","description":"Auto","check":{"type":"file_exists"}},
                                  {"id":"c3","description":"Charts checked","check":{"type":"manual"}}]})")});
        auto* criteria = pane.view<QComboBox>("deliveryCriterionPicker");
        QCOMPARE(criteria->count(), 2);
        criteria->setCurrentIndex(1);
        pane.area.platform.alertAnswers = {AlertAnswer{1, {}}};
        pane.click("deliveryVerify");
        QCOMPARE(pane.area.platform.alerts.first().message, QStringLiteral("Mark this criterion verified?"));
        QCOMPARE(pane.area.platform.alerts.first().informativeText, QStringLiteral("Charts checked"));
        QCOMPARE(sentCommand(pane), QStringLiteral("delivery_verify criterionId=c3"));
        QCOMPARE(pane.text("deliveryActionMessage"), QStringLiteral("Sending verification…"));
        pane.area.commands.complete(0, false, QStringLiteral("This criterion is not waiting for your verification."));
        QCOMPARE(pane.text("deliveryActionMessage"),
                 QStringLiteral("This criterion is not waiting for your verification."));
        QCOMPARE(pane.area.commands.actions().last(), QStringLiteral("refresh"));
    }

    // Resuming a Codex handoff opens the conversation, and only a verified exact thread link of the run still shown
    // (which links are exact is checked on the link rule).
    void handoff_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<bool>("moveOn");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("shown");
        const QString accepted = "Action accepted. Refreshing status.";
        const QString manual = "Handoff recorded. Open the original conversation in Codex manually.";
        QTest::newRow("verified link") << handoffRun(threadLink()) << false << true << accepted;
        // Nor does its result reach the line of the run shown now.
        QTest::newRow("another run is shown") << handoffRun(threadLink()) << true << false << QString();
        QTest::newRow("unverified link") << handoffRun(threadLink(), false) << false << false << manual;
    }
    void handoff() {
        QFETCH(QJsonObject, record);
        QFETCH(bool, moveOn);
        QFETCH(bool, opens);
        QFETCH(QString, shown);
        RunPane pane;
        pane.show({record, run(R"({"state":"active"})")});
        QCOMPARE(pane.text("deliveryPrimary"), QStringLiteral("Continue in Codex"));
        pane.click("deliveryPrimary");
        QCOMPARE(sentCommand(pane), QStringLiteral("delivery_resume"));
        if (moveOn) {
            pane.pick(1);
        }
        const QString headline = pane.text("deliveryHeadline");
        pane.area.commands.complete(0, true);
        QCOMPARE(pane.area.platform.openedUrls.size(), opens ? 1 : 0);
        if (opens) {
            QCOMPARE(pane.area.platform.openedUrls.first().toString(), threadLink());
        }
        QCOMPARE(pane.text("deliveryActionMessage"), shown);
        QCOMPARE(pane.text("deliveryHeadline"), headline); // only the feedback line changes
        QCOMPARE(pane.area.commands.actions().last(), QStringLiteral("refresh"));
    }

    void refusedOpeningFallsBackToTheManualText() {
        RunPane pane;
        pane.area.platform.openUrlSucceeds = false;
        pane.show({handoffRun(threadLink())});
        pane.click("deliveryPrimary");
        pane.area.commands.complete(0, true);
        QCOMPARE(pane.text("deliveryActionMessage"),
                 QStringLiteral("Handoff recorded. Open the original conversation in Codex manually."));
    }

    void resultAfterTheControllerIsGoneChangesNothing() {
        auto pane = std::make_unique<RunPane>();
        pane->show({run(kPaused)});
        pane->click("deliveryReplan");
        const CommandSink::Completion completion = pane->area.commands.commands.first().completion;
        pane.reset();
        completion(true, std::nullopt); // must not touch the destroyed views
    }
};

VODU_TEST_SUITE(DeliveryActionsTest)
#include "DeliveryActionsTest.moc"
