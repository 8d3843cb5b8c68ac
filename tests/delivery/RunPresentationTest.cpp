#include "delivery/RunPresentation.h"
#include "TestRegistry.h"

#include <QJsonDocument>
#include <QTest>

namespace {

const Copy english{false};

// A managed, actionable Codex run; `extra` overrides or adds keys.
QJsonObject run(const char* extra = "{}") {
    QJsonObject record{{"provider", "codex"}, {"session", "s1"}, {"taskId", "t1"}, {"managed", true}};
    const QJsonObject more = QJsonDocument::fromJson(extra).object();
    for (auto it = more.begin(); it != more.end(); ++it) {
        record.insert(it.key(), it.value());
    }
    return record;
}

RunPresentation present(const QJsonObject& record, bool fixture = false, bool connected = true,
                        std::optional<RunSessionFacts> session = std::nullopt, RunPaneMemory memory = {}) {
    return deliveryRunPresentation({record, std::move(session), std::move(memory), fixture, connected}, english);
}

const char* kApproval = R"({"state":"blocked","canApprove":true,"canReject":true,
    "pendingApproval":{"id":"a1","summary":"Delete the build cache","scope":"build/"}})";
const char* kRecovery = R"({"state":"recovery_required","canResume":true,
    "approvedAction":{"id":"x1","action":{"kind":"external"}}})";
const char* kDependency = R"({"state":"blocked","canResolveDependency":true,
    "dependencyWait":{"id":"w1","condition":"CI is green"}})";
const char* kVerification = R"({"state":"verification_pending","verification":{"pending":["c1"]},
    "acceptanceCriteria":[{"id":"c1","description":"Docs reviewed","check":{"type":"manual"}}]})";

} // namespace

class RunPresentationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What a user reads and may press, row by row through the situation chain and the layers after it.
    void situations_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<int>("situation");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("summary"); // empty: hidden
        QTest::addColumn<QString>("primary"); // empty: hidden
        const QString noAction = "No action needed. We’ll ask if a decision needs you.";
        QTest::newRow("reported done") << run(R"({"state":"reported_done"})") << 1 << "Reported complete"
                                       << "Not independently verified"
                                       << "The original conversation reports no remaining work. Review the result "
                                          "and evidence if needed."
                                       << "";
        QTest::newRow("understanding") << run(R"({"state":"blocked","phase":"understanding"})") << 2
                                       << "Understanding this conversation"
                                       << "Reading context"
                                       << "VODU is reading the original conversation to identify the remaining "
                                          "work and a safe next step."
                                       << "";
        QTest::newRow("question") << run(R"({"phase":"needs_clarification","understandingQuestion":{"text":"Which?"}})")
                                  << 3 << "Which?"
                                  << "One answer needed"
                                  << ""
                                  << "";
        QTest::newRow("question without text")
            << run(R"({"phase":"needs_clarification"})") << 3 << "One detail before continuing"
            << "One answer needed"
            << ""
            << "";
        QTest::newRow("approval") << run(kApproval) << 4 << "Your decision needed"
                                  << "Waiting for your approval"
                                  << "build/"
                                  << "Review request";
        QTest::newRow("approval without scope")
            << run(R"({"canApprove":true,"pendingApproval":{"id":"a1","summary":"Delete it"}})") << 4
            << "Your decision needed"
            << "Waiting for your approval"
            << "Delete it"
            << "Review request";
        QTest::newRow("approval without canApprove")
            << run(R"({"state":"blocked","pendingApproval":{"id":"a1","summary":"Delete it"},"canResume":true})") << 15
            << "A decision is needed"
            << "Needs attention"
            << ""
            << "";
        QTest::newRow("declined") << run(R"({"state":"blocked","nextStep":"Pick another way",
                                             "pendingApproval":{"id":"a1","denied":true},"canApprove":true})")
                                  << 5 << "Approval was declined"
                                  << "Needs attention"
                                  << "Pick another way"
                                  << "";
        QTest::newRow("recovery handoff") << run(kRecovery) << 6 << "Continue in Codex"
                                          << "Approved · handoff needed"
                                          << "Record the handoff, then perform the approved action and report its "
                                             "result in the original Codex conversation. VODU does not execute it here."
                                          << "Continue in Codex";
        QTest::newRow("handoff checkpoint")
            << run(R"({"state":"active","approvedAction":{"id":"x1","action":{"kind":"destructive"}}})") << 6
            << "Continue in Codex"
            << "Awaiting an action checkpoint"
            << "Handoff recorded. Finish the approved action in the original Codex conversation and report its "
               "result. Execution is not yet verified."
            << "";
        QTest::newRow("approved action of another kind is no handoff")
            << run(R"({"state":"active","approvedAction":{"id":"x1","action":{"kind":"write"}}})") << 13
            << "VODU is taking care of it"
            << "In progress" << noAction << "";
        QTest::newRow("waiting for session")
            << run(R"({"state":"recovery_required","capability":"codex_app_server","needsAttention":true})") << 8
            << "Waiting for this session"
            << "Waiting to take over"
            << "VODU will continue in the same conversation when it is available. No action is needed now."
            << "";
        QTest::newRow("verification") << run(kVerification) << 9 << "Verify the remaining criterion"
                                      << "Verification needed"
                                      << ""
                                      << "Verify criterion";
        QTest::newRow("paused with reason") << run(R"({"state":"paused","canResume":true,"reason":"Usage limit"})")
                                            << 10 << "This conversation is paused"
                                            << "Paused"
                                            << "Usage limit"
                                            << "Resume task";
        QTest::newRow("paused") << run(R"({"state":"paused","canResume":true})") << 10 << "This conversation is paused"
                                << "Paused"
                                << "You can pick this up whenever you’re ready."
                                << "Resume task";
        QTest::newRow("claude live hook") << run(R"({"state":"active","provider":"claude","capability":"live_hook"})")
                                          << 11 << "VODU is taking care of it"
                                          << "Continues in the original conversation" << noAction << "";
        QTest::newRow("continuing") << run(R"({"state":"auto_resuming","sessionUnderstanding":{}})") << 12
                                    << "Continuing this conversation"
                                    << "Continuing"
                                    << ""
                                    << "";
        QTest::newRow("active with next step")
            << run(R"({"state":"active","nextStep":"Run the tests"})") << 13 << "VODU is taking care of it"
            << "In progress"
            << "Run the tests"
            << "";
        QTest::newRow("monitoring") << run(R"({"state":"auto_resuming"})") << 13 << "Monitoring continuation"
                                    << "Resuming"
                                    << ""
                                    << "";
        QTest::newRow("done") << run(R"({"state":"succeeded","remainingWork":"Nothing"})") << 14 << "Task completed"
                              << "Completed"
                              << "Nothing"
                              << "";
        QTest::newRow("escalation question")
            << run(R"({"state":"exhausted","escalation":{"userQuestion":"Keep the old API?"},
                       "plan":{"userQuestion":"ignored"}})")
            << 15 << "Keep the old API?"
            << "Needs a decision"
            << ""
            << "";
        QTest::newRow("plan question") << run(R"({"state":"exhausted","plan":{"userQuestion":"Which port?"}})") << 15
                                       << "Which port?"
                                       << "Needs a decision"
                                       << ""
                                       << "";
        QTest::newRow("unknown state by its derived name")
            << run(R"({"state":"waiting_on_ci","canResume":true})") << 15 << "A decision is needed"
            << "Waiting On Ci"
            << ""
            << "Resume task";
        QTest::newRow("missing state") << run(R"({"state":7})") << 15 << "A decision is needed"
                                       << "Unknown"
                                       << ""
                                       << "";
        QTest::newRow("blocked, dependency id empty")
            << run(R"({"state":"blocked","canResolveDependency":true,"dependencyWait":{"id":"","condition":"CI"}})")
            << 15 << "A decision is needed"
            << "Needs attention"
            << ""
            << "";
        QTest::newRow("dependency") << run(kDependency) << 15 << "Waiting for an external dependency"
                                    << "Needs attention"
                                    << ""
                                    << "Confirm dependency ready";
        QTest::newRow("manual recovery") << run(R"({"state":"exhausted","capability":"manual_recovery"})") << 15
                                         << "Continue in the original conversation"
                                         << "Needs a decision"
                                         << "Resume manually in the original conversation."
                                         << "";
        QTest::newRow("manual recovery after the conversation ended")
            << run(R"({"state":"exhausted","capability":"manual_recovery","nextStep":"Check logs",
                       "reason":"Provider session ended at 10:00"})")
            << 15 << "Continue in the original conversation"
            << "Needs a decision"
            << "Check logs\nStop supervision and choose a new supported conversation."
            << "";
        QTest::newRow("markup and secrets stay text")
            << run("{\"state\":\"paused\",\"reason\":\"<b>see</b> https://x.example/a token=abc\"}") << 10
            << "This conversation is paused"
            << "Paused"
            << "<b>see</b> ••• •••"
            << "";
    }

    void situations() {
        QFETCH(QJsonObject, record);
        QFETCH(int, situation);
        const RunPresentation p = present(record);
        QCOMPARE(p.situation, situation);
        QTEST(p.headline, "headline");
        QTEST(p.badge, "badge");
        QTEST(p.summaryVisible ? p.summary : QString(), "summary");
        QTEST(p.primaryVisible ? p.primaryTitle : QString(), "primary");
        QCOMPARE(p.primaryEnabled, p.primaryVisible);
    }

    void dependencyLeavesItsConditionOnTheNextLine() {
        const RunPresentation p = present(run(kDependency));
        QVERIFY(p.nextVisible && !p.summaryVisible);
        QCOMPARE(p.next, QStringLiteral("CI is green"));
        QVERIFY(!p.resume.enabled);
        QVERIFY(!present(run(R"({"state":"blocked","dependencyWait":{"id":"w1"}})")).primaryVisible);
    }

    void approvalWithoutPermissionOffersNoApproval() {
        const RunPresentation p = present(run(R"({"state":"blocked","pendingApproval":{"id":"a1"},"canReject":true})"));
        QVERIFY(!p.approveEnabled);
        QVERIFY(p.reject.enabled); // reject follows its own permission
        QVERIFY(!p.primaryAttention && !p.attentionStyle);
    }

    // Preview mode: only the steps that walk through the sample stay usable, and nothing else.
    void fixtureMode_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("primary"); // empty: hidden
        QTest::newRow("dependency") << run(kDependency) << "Confirm dependency ready";
        QTest::newRow("approval") << run(kApproval) << "Review request";
        QTest::newRow("recovery") << run(kRecovery) << "Preview handoff";
        QTest::newRow("paused") << run(R"({"state":"paused","canResume":true})") << "";
        QTest::newRow("verification") << run(kVerification) << "";
    }

    void fixtureMode() {
        QFETCH(QJsonObject, record);
        QFETCH(QString, primary);
        QJsonObject everything = record;
        for (const char* key : {"canPause", "canResume", "canReject", "canReplan", "canStop", "canSetPolicy"}) {
            everything.insert(key, true);
        }
        const RunPresentation p = present(everything, true, false);
        QVERIFY(p.previewBadgeVisible);
        QCOMPARE(p.primaryVisible ? p.primaryTitle : QString(), primary);
        for (const ButtonState& button : {p.pause, p.resume, p.reject, p.replan, p.stop, p.verify}) {
            QVERIFY(!button.enabled);
        }
        QVERIFY(!p.approveEnabled && !p.policyPickerEnabled && !p.policyApplyEnabled);
    }

    void disconnectedOrUnmanagedRunsOfferNothing() {
        for (const RunPresentation& p : {present(run(kApproval), false, false),
                                         present(run(R"({"managed":false,"state":"paused","canResume":true})")),
                                         present(run(R"({"taskId":"","state":"paused","canResume":true})"))}) {
            QVERIFY(!p.primaryEnabled && !p.primaryVisible);
            QVERIFY(!p.reject.enabled && !p.approveEnabled);
        }
    }

    // The policy the user picked survives re-renders of the same run until the host reports another policy.
    void policyPicker_data() {
        QTest::addColumn<QString>("shownFor");
        QTest::addColumn<QString>("lastShown");
        QTest::addColumn<QString>("picked"); // empty: nothing selected
        QTest::addColumn<QString>("selection");
        QTest::addColumn<bool>("applyEnabled");
        QTest::newRow("first render") << ""
                                      << ""
                                      << ""
                                      << "balanced" << false;
        QTest::newRow("pending pick survives") << "codex|s1|t1"
                                               << "balanced"
                                               << "strict"
                                               << "strict" << true;
        QTest::newRow("host changed, no pick") << "codex|s1|t1"
                                               << "strict"
                                               << "strict"
                                               << "balanced" << false;
        QTest::newRow("another run") << "codex|s9|t9"
                                     << "balanced"
                                     << "strict"
                                     << "balanced" << false;
        QTest::newRow("nothing selected follows the host") << "codex|s1|t1"
                                                           << ""
                                                           << ""
                                                           << "balanced" << false;
    }

    void policyPicker() {
        QFETCH(QString, shownFor);
        QFETCH(QString, lastShown);
        QFETCH(QString, picked);
        RunPaneMemory memory;
        memory.policySelectionIdentity = shownFor;
        memory.lastShownPolicy = lastShown;
        memory.pickedPolicy = picked.isEmpty() ? std::nullopt : std::optional<QString>(picked);
        const RunPresentation p =
            present(run(R"({"autonomyPolicy":"balanced","canSetPolicy":true})"), false, true, std::nullopt, memory);
        QTEST(p.policySelection.value_or(QString()), "selection");
        QTEST(p.policyApplyEnabled, "applyEnabled");
        QCOMPARE(p.memory.lastShownPolicy, QStringLiteral("balanced"));
    }

    void criterionSelectionFollowsItsId() {
        const QJsonObject record = run(R"({"state":"verification_pending","verification":{"pending":["c2","c3",7]},
            "acceptanceCriteria":[{"id":"c1","check":{"type":"manual"}},{"id":"c2","check":{"type":"manual"}},
                {"id":"c3","description":"<i>Docs</i>","check":{"type":"manual"}},{"id":"c4","check":{"type":"file"}}]})");
        RunPaneMemory memory;
        memory.criteria = {{"c0", ""}, {"c3", ""}};
        memory.criterionIndex = 1;
        const RunPresentation p = present(record, false, true, std::nullopt, memory);
        QCOMPARE(p.criteria, (QList<PendingCriterion>{{"c2", ""}, {"c3", "<i>Docs</i>"}}));
        QCOMPARE(p.criterionIndex, 1);
        QVERIFY(p.criterionPickerVisible && p.verify.visible && p.verify.enabled && p.primaryAttention);
        memory.criterionIndex = 0; // c0 is gone: the first item
        QCOMPARE(present(record, false, true, std::nullopt, memory).criterionIndex, 0);
    }

    void conversationLayer() {
        RunSessionFacts running;
        running.record = QJsonObject{{"autoContinue", false}};
        running.turnRunning = true;
        RunPresentation p = present(run(R"({"state":"paused","canResume":true})"), false, true, running);
        QCOMPARE(p.headline, QStringLiteral("Running"));
        QCOMPARE(p.badge, QStringLiteral("Running"));
        QCOMPARE(p.summary, QStringLiteral("We’ll check what remains when this turn finishes."));
        QVERIFY(!p.primaryVisible && !p.resume.enabled && p.compactSessionDetails && p.hideOriginalSessionButton);
        // A pending approval keeps its button while the turn runs.
        QVERIFY(present(run(kApproval), false, true, running).primaryVisible);

        RunSessionFacts following;
        following.record = QJsonObject{{"autoContinue", true}, {"autoContinueStatus", "supervising"}};
        following.autoContinueShown = true;
        following.autoContinueStatus = "Following up";
        following.autoContinueTitle = "Following up";
        following.autoContinueReason = "Continuing within the existing task budget.";
        p = present(run(R"({"state":"paused","canResume":true})"), false, true, following);
        QCOMPARE(p.headline, QStringLiteral("Following up"));
        QCOMPARE(p.summary, following.autoContinueReason);
        QVERIFY(!p.primaryVisible);
        // Attention wins over the conversation's own presentation and keeps the original-conversation button.
        p = present(run(kVerification), false, true, following);
        QCOMPARE(p.headline, QStringLiteral("Verify the remaining criterion"));
        QVERIFY(p.primaryVisible && !p.hideOriginalSessionButton);
    }

    void languageAndPreviewTexts() {
        const RunPresentation p = deliveryRunPresentation({run(kDependency), {}, {}, true, false}, Copy{true});
        QCOMPARE(p.headline, QStringLiteral("外部の依存条件を待機中"));
        QCOMPARE(p.primaryTitle, QStringLiteral("依存条件の完了を確認"));
        QCOMPARE(present(run(R"({"state":"auto_resuming","sessionUnderstanding":{}})"), true).badge,
                 QStringLiteral("Continuing · sample"));
    }
};

VODU_TEST_SUITE(RunPresentationTest)
#include "RunPresentationTest.moc"
