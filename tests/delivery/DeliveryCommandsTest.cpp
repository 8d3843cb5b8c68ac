#include "delivery/DeliveryCommands.h"
#include "TestRegistry.h"

#include <QJsonDocument>
#include <QTest>

namespace {

const Copy english{false};

QJsonObject run(const char* extra = "{}") {
    QJsonObject record{
        {"provider", "codex"},
        {"session", "s1"},
        {"taskId", "t1"},
        {"objective", "Ship the docs"},
        {"pendingApproval", QJsonObject{{"id", "a1"}, {"summary", "Delete cache"}, {"scope", "build/"}}}};
    const QJsonObject more = QJsonDocument::fromJson(extra).object();
    for (auto it = more.begin(); it != more.end(); ++it) {
        record.insert(it.key(), it.value());
    }
    return record;
}

const char* kDependency = R"({"state":"blocked","canResolveDependency":true,
    "dependencyWait":{"id":"w1","condition":"CI is green"}})";

} // namespace

class DeliveryCommandsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runActions_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("approval");
        QTest::addColumn<bool>("turnRunning");
        QTest::addColumn<QStringList>("fields"); // empty: nothing is sent
        QTest::addColumn<QString>("asks");       // the confirmation's message, empty: sent without asking
        const QStringList address{"provider", "session", "taskId"};
        const QStringList approval{"approvalId", "provider", "session", "taskId"};
        QTest::newRow("pause") << run() << "delivery_pause" << false << false << address << "";
        QTest::newRow("replan") << run() << "delivery_replan" << false << false << address << "";
        QTest::newRow("approve asks") << run() << "delivery_approve" << true << false << approval
                                      << "Approve this request?";
        QTest::newRow("reject does not ask") << run() << "delivery_reject" << true << false << approval << "";
        QTest::newRow("stop asks") << run() << "delivery_stop" << false << false << address
                                   << "Stop this Dozadavi Zaro?";
        QTest::newRow("resume") << run() << "delivery_resume" << false << false << address << "";
        QTest::newRow("resume while the turn runs")
            << run() << "delivery_resume" << false << true << QStringList() << "";
        QTest::newRow("pause while the turn runs") << run() << "delivery_pause" << false << true << address << "";
        QTest::newRow("resume while waiting for a dependency")
            << run(kDependency) << "delivery_resume" << false << false << QStringList() << "";
        QTest::newRow("approval id empty")
            << run(R"({"pendingApproval":{"id":""}})") << "delivery_approve" << true << false << QStringList() << "";
        QTest::newRow("task id empty") << run(R"({"taskId":""})") << "delivery_pause" << false << false << QStringList()
                                       << "";
        QTest::newRow("provider mistyped")
            << run(R"({"provider":1})") << "delivery_stop" << false << false << QStringList() << "";
        QTest::newRow("empty session is still an address")
            << run(R"({"session":""})") << "delivery_pause" << false << false << address << "";
        QTest::newRow("unknown action") << run() << "delivery_explode" << false << false << QStringList() << "";
    }

    void runActions() {
        QFETCH(QJsonObject, record);
        QFETCH(QString, action);
        QFETCH(bool, approval);
        QFETCH(bool, turnRunning);
        QFETCH(QStringList, fields);
        QFETCH(QString, asks);
        const std::optional<DeliveryCommand> command = deliveryAction(record, action, approval, turnRunning, english);
        QCOMPARE(command.has_value(), !fields.isEmpty());
        if (command) {
            QCOMPARE(command->action, action);
            QCOMPARE(command->fields.keys(), fields);
            QCOMPARE(command->confirmation ? command->confirmation->message : QString(), asks);
            QVERIFY(!command->handoff);
        }
    }

    void confirmations() {
        const DeliveryAlert approve = *deliveryAction(run(), "delivery_approve", true, false, english)->confirmation;
        QCOMPARE(approve, (DeliveryAlert{"Approve this request?", "build/\nDelete cache", "Not now", "Approve"}));
        QCOMPARE(deliveryAction(run(), "delivery_approve", true, false, english)->fields.value("approvalId"),
                 QJsonValue("a1"));
        const DeliveryAlert stop =
            *deliveryAction(run(R"({"objective":7})"), "delivery_stop", false, false, english)->confirmation;
        QCOMPARE(stop, (DeliveryAlert{"Stop this Dozadavi Zaro?", "", "Cancel", "Stop"}));
    }

    void recoveryResumeHandsOver() {
        const std::optional<DeliveryCommand> command =
            deliveryAction(run(R"({"state":"recovery_required","pendingApproval":{},
                "approvedAction":{"id":"x1","action":{"kind":"scope_change"}},
                "originalSessionTarget":{"kind":"url","verifiedOnPlatform":true}})"),
                           "delivery_resume", false, false, english);
        QVERIFY(command && command->handoff);
        QCOMPARE(command->requestKey, QStringLiteral("codex|s1|t1"));
        QCOMPARE(command->handoffTarget.value("kind"), QJsonValue("url"));
        QCOMPARE(deliveryHandoffManualText(english),
                 QStringLiteral("Handoff recorded. Open the original conversation in Codex manually."));
    }

    void primarySteps_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<bool>("criteria");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<int>("step");
        using S = PrimaryDeliveryStep;
        QTest::newRow("dependency") << run(kDependency) << false << false << int(S::confirmDependency);
        QTest::newRow("dependency in preview") << run(kDependency) << false << true << int(S::confirmDependency);
        QTest::newRow("dependency without permission")
            << run(R"({"state":"blocked","dependencyWait":{"id":"w1"}})") << false << false << int(S::nothing);
        QTest::newRow("preview never sends") << run(R"({"canApprove":true})") << false << true << int(S::sampleAlert);
        QTest::newRow("approve") << run(R"({"canApprove":true,"canResume":true})") << false << false << int(S::approve);
        QTest::newRow("approval blocks resume") << run(R"({"canResume":true})") << false << false << int(S::nothing);
        QTest::newRow("resume") << run(R"({"pendingApproval":"x","canResume":true})") << false << false
                                << int(S::resume);
        QTest::newRow("verify") << run(R"({"pendingApproval":{},"state":"verification_pending"})") << true << false
                                << int(S::verify);
        QTest::newRow("verify without criteria")
            << run(R"({"pendingApproval":{},"state":"verification_pending"})") << false << false << int(S::nothing);
    }

    void primarySteps() {
        QFETCH(QJsonObject, record);
        QFETCH(bool, criteria);
        QFETCH(bool, fixture);
        QTEST(int(primaryDeliveryStep(record, criteria, fixture)), "step");
    }

    void sampleAlerts() {
        QCOMPARE(primarySampleAlert(run(), english),
                 (DeliveryAlert{"Sample request", "Delete cache\n\nbuild/\n\nPreview data. No approval will be sent.",
                                "Close", ""}));
        QCOMPARE(primarySampleAlert(run(R"({"pendingApproval":{}})"), english).message,
                 QStringLiteral("Sample handoff"));
    }

    void policy_data() {
        QTest::addColumn<QString>("picked"); // empty: nothing picked
        QTest::addColumn<bool>("sent");
        QTest::newRow("another policy") << "strict" << true;
        QTest::newRow("the current policy") << "balanced" << false;
        QTest::newRow("not a policy") << "reckless" << false;
        QTest::newRow("nothing picked") << "" << false;
    }

    void policy() {
        QFETCH(QString, picked);
        const std::optional<DeliveryCommand> command = policyCommand(
            run(R"({"autonomyPolicy":"balanced"})"), picked.isEmpty() ? std::nullopt : std::optional<QString>(picked));
        QTEST(command.has_value(), "sent");
        if (command) {
            QCOMPARE(command->fields.value("autonomyPolicy"), QJsonValue(picked));
        }
    }

    void verify() {
        const QList<PendingCriterion> criteria{{"c1", "Docs reviewed"}, {"c2", ""}};
        QVERIFY(!verifyCommand(run(), criteria, 2, english));
        QVERIFY(!verifyCommand(run(), criteria, -1, english));
        const std::optional<DeliveryCommand> command = verifyCommand(run(), criteria, 0, english);
        QVERIFY(command);
        QCOMPARE(command->fields.value("criterionId"), QJsonValue("c1"));
        QCOMPARE(*command->confirmation,
                 (DeliveryAlert{"Mark this criterion verified?", "Docs reviewed", "Cancel", "Verified"}));
    }

    void dependencyAnswers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer"); // empty: dropped
        QTest::newRow("trimmed") << " \n done \t"
                                 << "done";
        QTest::newRow("spaces") << "     "
                                << "";
        QTest::newRow("1000 units") << QString(1000, u'x') << QString(1000, u'x');
        QTest::newRow("1001 units") << QString(1001, u'x') << "";
        const QString emoji = QStringLiteral("\U0001F600"); // two UTF-16 units
        QTest::newRow("500 emoji") << emoji.repeated(500) << emoji.repeated(500);
        QTest::newRow("500 emoji and one") << emoji.repeated(500) + u'x' << "";
    }

    void dependencyAnswers() {
        QFETCH(QString, typed);
        QTEST(dependencyAnswer(typed).value_or(QString()), "answer");
    }

    void dependencyConfirmation() {
        const std::optional<DependencyPrompt> prompt = dependencyPrompt(run(kDependency), english);
        QVERIFY(prompt);
        QCOMPARE(prompt->alert, (DeliveryAlert{"Confirm dependency ready",
                                               "CI is green\n\nDescribe how this condition has been satisfied.",
                                               "Cancel", "Confirm"}));
        QCOMPARE(prompt->placeholder, QStringLiteral("Confirmation details"));
        QVERIFY(!dependencyPrompt(run(R"({"state":"blocked","dependencyWait":{"id":"w1"}})"), english));
        const std::optional<DeliveryCommand> command = dependencyCommand(run(kDependency), "  CI run 42 passed ");
        QVERIFY(command);
        QCOMPARE(command->action, QStringLiteral("delivery_dependency_ready"));
        QCOMPARE(command->fields.value("waitId"), QJsonValue("w1"));
        QCOMPARE(command->fields.value("answer"), QJsonValue("CI run 42 passed"));
        QVERIFY(!dependencyCommand(run(kDependency), QString(1001, u'x')));
    }

    void feedbackPrefersTheHostsMessage() {
        QCOMPARE(deliveryResultText(DeliveryRequest::policy, false, QStringLiteral("Stale run"), english),
                 QStringLiteral("Stale run"));
        QCOMPARE(deliveryResultText(DeliveryRequest::dependency, false, std::nullopt, english),
                 QStringLiteral("Confirmation failed."));
        QVERIFY(!deliverySendingText(DeliveryRequest::dependency, english));
    }
};

VODU_TEST_SUITE(DeliveryCommandsTest)
#include "DeliveryCommandsTest.moc"
