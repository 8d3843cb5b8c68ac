// The rules a run record decides on its own: the picker title, the pane's presentation value, the commands its
// buttons build and the typed dependency confirmation.
#include "delivery/RunPresentation.h"
#include "RunPane.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "delivery/DeliveryCommands.h"

#include <QTest>

namespace {

const Copy english{false};

const char* kRecovery = R"({"state":"recovery_required","canResume":true,
    "approvedAction":{"id":"x1","action":{"kind":"external"}}})";

RunPresentation present(const QJsonObject& record, RunPaneMemory memory = {}) {
    return deliveryRunPresentation({record, std::nullopt, std::move(memory), false, true}, english);
}

void row(const char* name, const QJsonObject& input, const QString& output) {
    QTest::newRow(name) << input << output;
}

} // namespace

class RunPresentationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pickerTitles_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("title");
        row("multi-line objective", json(R"({"provider":"claude","objective":" a\nb\r\nc "})"), "claude · a b c");
        row("blank objective: the task", json(R"({"provider":"codex","objective":" \n ","taskId":"t9"})"),
            "codex · t9");
        row("long objective", {{"provider", "codex"}, {"objective", QString("word ").repeated(30)}},
            "codex · " + QString("word ").repeated(20));
        row("credential", {{"provider", "codex"}, {"objective", "Use password: hunter2 now"}}, "codex · Use ••• now");
    }
    void pickerTitles() {
        QFETCH(QJsonObject, record);
        QTEST(deliveryPickerTitle(record), "title");
    }

    // The situation chain and the layers after it: "row[!]|headline|summary|primary|next|enabled buttons", hidden
    // lines empty and left off at the end, the summary's first three words, "!" when the pane asks for attention.
    // A row named "preview" or "disconnected" is given every permission: only the sample's steps stay usable. A
    // record with "turn" belongs to a conversation whose turn is running.
    void situations_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("shown");
        const auto situation = [](const char* name, const char* extra, const char* shown) {
            row(name, run(extra), QString::fromUtf8(shown));
        };
        situation("reported done", R"({"state":"reported_done"})", "1|Reported complete|The original conversation");
        situation("understanding", R"({"phase":"understanding"})", "2|Understanding this conversation|VODU is reading");
        situation("question", R"({"phase":"needs_clarification","understandingQuestion":{"text":"Which? token=abc"}})",
                  "3!|Which? •••");
        situation("approval", kApproval, "4!|Your decision needed|Staging|Review request||approve reject stop");
        situation("approval without canApprove", R"({"pendingApproval":{"id":"a1"},"canResume":true,"canReject":true})",
                  "15|A decision is needed||||reject resume");
        situation("declined", R"({"nextStep":"Pick another way","pendingApproval":{"id":"a1","denied":true}})",
                  "5|Approval was declined|Pick another way");
        situation("recovery handoff", kRecovery, "6!|Continue in Codex|Record the handoff,|Continue in Codex||resume");
        situation("approved write is no handoff",
                  R"({"state":"active","approvedAction":{"id":"x1","action":{"kind":"write"}}})",
                  "13|VODU is taking care of it|No action needed.");
        situation("waiting for session",
                  R"({"state":"recovery_required","capability":"codex_app_server","needsAttention":true})",
                  "8|Waiting for this session|VODU will continue");
        situation("verification", kVerification, "9!|Verify the remaining criterion||Verify criterion||verify");
        situation("paused", R"({"state":"paused","canResume":true,"reason":"<b>Limit</b> https://x.example/a"})",
                  "10|This conversation is paused|<b>Limit</b> •••|Resume task||resume");
        situation("escalation question first",
                  R"({"state":"exhausted","escalation":{"userQuestion":"Keep?"},"plan":{"userQuestion":"No"}})",
                  "15|Keep?");
        situation("dependency", kDependency,
                  "15|Waiting for an external dependency||Confirm dependency ready|Quota raised");
        situation("dependency the host will not take", R"({"state":"blocked","dependencyWait":{"id":"w1"}})",
                  "15|Waiting for an external dependency");
        situation("manual recovery after the conversation ended",
                  R"({"capability":"manual_recovery","reason":"Provider session ended at 10:00"})",
                  "15!|Continue in the original conversation|Stop supervision and");
        situation("unmanaged", R"({"managed":false,"state":"paused","canResume":true,"canStop":true})",
                  "10|This conversation is paused|You can pick");
        situation("turn running", R"({"turn":true,"state":"paused","canResume":true})", "10|Running|We’ll check what");
        situation("turn running, approval", R"({"turn":true,"state":"blocked","canApprove":true,
                  "pendingApproval":{"id":"a1"}})",
                  "4!|Running|We’ll check what|Review request||approve");
        situation("disconnected", kApproval, "4!|Your decision needed|Staging");
        situation("preview dependency", kDependency,
                  "15|Waiting for an external dependency||Confirm dependency ready|Quota raised");
        situation("preview approval", kApproval, "4!|Your decision needed|Staging|Review request");
        situation("preview handoff", kRecovery, "6!|Continue in Codex|Record the handoff,|Preview handoff");
    }
    void situations() {
        QFETCH(QJsonObject, record);
        const bool fixture = QByteArray(QTest::currentDataTag()).startsWith("preview");
        const bool connected = !QByteArray(QTest::currentDataTag()).startsWith("disconnected");
        for (const char* key : {"canPause", "canResume", "canReject", "canReplan", "canStop", "canSetPolicy"}) {
            record.insert(key, record.value(key).toBool() || fixture || !connected);
        }
        RunSessionFacts turn;
        turn.turnRunning = true;
        const RunPresentation p = deliveryRunPresentation(
            {record, record.value("turn").toBool() ? std::optional(turn) : std::nullopt, {}, fixture, connected},
            english);
        QStringList enabled{p.approveEnabled ? "approve" : "", p.pause.enabled ? "pause" : "",
                            p.reject.enabled ? "reject" : "",  p.replan.enabled ? "replan" : "",
                            p.resume.enabled ? "resume" : "",  p.stop.enabled ? "stop" : "",
                            p.verify.enabled ? "verify" : "",  p.policyPickerEnabled ? "policy" : ""};
        enabled.removeAll(QString());
        QString shown = QStringList{QString::number(p.situation) + (p.attentionStyle ? "!" : ""),
                                    p.headline,
                                    p.summaryVisible ? p.summary.section(u' ', 0, 2) : QString(),
                                    p.primaryVisible ? p.primaryTitle : QString(),
                                    p.nextVisible ? p.next : QString(),
                                    enabled.join(u' ')}
                            .join(u'|');
        while (shown.endsWith(u'|')) {
            shown.chop(1);
        }
        QTEST(shown, "shown");
        QCOMPARE(p.primaryEnabled, p.primaryVisible);
        QCOMPARE(p.previewBadgeVisible, fixture);
    }

    // The policy the user picked (memory: shown for, last shown, picked) survives re-renders of the same run until
    // the host reports another policy; "+": it can be applied.
    void policyPicker_data() {
        QTest::addColumn<QJsonObject>("memory");
        QTest::addColumn<QString>("selection");
        row("first render", {}, "balanced");
        row("pending pick survives", {{"for", "codex|s1|t1"}, {"shown", "balanced"}, {"picked", "strict"}}, "strict+");
        row("host changed, no pick", {{"for", "codex|s1|t1"}, {"shown", "strict"}, {"picked", "strict"}}, "balanced");
        row("another run", {{"for", "codex|s9|t9"}, {"shown", "balanced"}, {"picked", "strict"}}, "balanced");
        row("nothing selected follows the host", {{"for", "codex|s1|t1"}}, "balanced");
    }
    void policyPicker() {
        QFETCH(QJsonObject, memory);
        RunPaneMemory before;
        before.policySelectionIdentity = memory.value("for").toString();
        before.lastShownPolicy = memory.value("shown").toString();
        if (memory.contains("picked")) {
            before.pickedPolicy = memory.value("picked").toString();
        }
        const RunPresentation p = present(run(R"({"autonomyPolicy":"balanced","canSetPolicy":true})"), before);
        QTEST(p.policySelection.value_or(QString()) + (p.policyApplyEnabled ? "+" : ""), "selection");
    }

    void criterionSelectionFollowsItsId() {
        const QJsonObject record = run(R"({"state":"verification_pending","verification":{"pending":["c2","c3",7]},
            "acceptanceCriteria":[{"id":"c1","check":{"type":"manual"}},{"id":"c2","check":{"type":"manual"}},
                {"id":"c3","description":"<i>Docs</i>","check":{"type":"manual"}},{"id":"c4","check":{"type":"file"}}]})");
        RunPaneMemory memory;
        memory.criteria = {{"c3", ""}, {"c0", ""}};
        memory.criterionIndex = 0;
        const RunPresentation p = present(record, memory);
        QCOMPARE(p.criteria, (QList<PendingCriterion>{{"c2", ""}, {"c3", "<i>Docs</i>"}}));
        QCOMPARE(p.criterionIndex, 1);
        memory.criterionIndex = 1; // c0 is gone: the first item
        QCOMPARE(present(record, memory).criterionIndex, 0);
    }

    // What a run button builds, past the run's address ("turn": the conversation's turn runs); empty: nothing.
    void commands_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("sent");
        row("delivery_approve", run(kApproval), "delivery_approve approvalId=a1");
        row("delivery_approve without an id", run(R"({"pendingApproval":{"id":""}})"), "");
        row("delivery_resume while the turn runs", run(R"({"turn":true})"), "");
        row("delivery_resume while a dependency waits", run(kDependency), "");
        row("delivery_pause while the turn runs", run(R"({"turn":true})"), "delivery_pause");
        row("delivery_stop without a task", run(R"({"taskId":""})"), "");
    }
    void commands() {
        QFETCH(QJsonObject, record);
        const QString action = QString::fromLatin1(QTest::currentDataTag()).section(u' ', 0, 0);
        const std::optional<DeliveryCommand> command =
            deliveryAction(record, action, action == u"delivery_approve", record.value("turn").toBool(), english);
        QTEST(command ? commandLine(command->action, command->fields) : QString(), "sent");
    }

    // The typed confirmation of an external dependency: trimmed, not blank, at most 1000 UTF-16 units.
    void dependencyAnswers() {
        QCOMPARE(dependencyAnswer("  Quota is 200 GB now.\n"), QStringLiteral("Quota is 200 GB now."));
        QCOMPARE(dependencyAnswer(QString(1000, u'q')), QString(1000, u'q'));
        QCOMPARE(dependencyAnswer(QString("😀").repeated(500)), QString("😀").repeated(500));
        QVERIFY(!dependencyAnswer(" \n ") && !dependencyAnswer(QString(1001, u'q')));
        QVERIFY(!dependencyAnswer(QString("😀").repeated(501)));
    }
};

VODU_TEST_SUITE(RunPresentationTest)
#include "RunPresentationTest.moc"
