#include "AreaHarness.h"
#include "DataTables.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "delivery/DeliveryCommands.h"
#include "delivery/DeliveryController.h"
#include "delivery/DeliveryDetails.h"
#include "delivery/RunPresentation.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/Understanding.h"
#include "sessions/understanding/UnderstandingPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>

// A command as "action field=value ...", without the run's address.
inline QString commandLine(const QString& action, QJsonObject fields) {
    for (const char* address : {"provider", "session", "taskId"})
        fields.remove(address);
    QString line = action;
    for (auto field = fields.begin(); field != fields.end(); ++field)
        line += u' ' + field.key() + u'=' + field.value().toString();
    return line;
}

// A managed Codex run, "codex|s1|t1"; `extra` adds or replaces keys.
inline QJsonObject run(const char* extra = "{}") {
    QJsonObject record = json(R"({"provider":"codex","session":"s1","taskId":"t1","managed":true,"objective":"Ship"})");
    const QJsonObject more = json(extra);
    for (auto it = more.begin(); it != more.end(); ++it)
        record.insert(it.key(), it.value());
    return record;
}

inline const char* const kApproval = R"({"state":"blocked","canApprove":true,"canReject":true,"canStop":true,
    "pendingApproval":{"id":"a1","summary":"Deploy 1.8.3","scope":"Staging"}})";
inline const char* const kPaused = R"({"state":"paused","canResume":true,"canReplan":true,"canPause":true})";
inline const char* const kDependency = R"({"state":"blocked","canResolveDependency":true,
    "dependencyWait":{"id":"w1","condition":"Quota raised"}})";
inline const char* const kVerification = R"({"state":"verification_pending","verification":{"pending":["c1","c2","c3"]},
    "acceptanceCriteria":[{"id":"c1","description":"Docs reviewed","check":{"type":"manual"}},
        {"id":"c2","check":{"type":"file_exists"}},{"id":"c3","description":"Charts checked","check":{"type":"manual"}}]})";

// The run area of the Sessions home with the run picker and the conversations that own the selection, on AreaHarness.
struct RunPane {
    RunPane()
        : home(area.copy), understanding(area.context, model), association(area.context, model),
          original(area.context, model, home), delivery(area.context, model, home),
          sessions(area.context, model, home, delivery, understanding, association, original) {
        area.link.connected = true;
        sessions.buildSessionList(&area.parent);
        home.build(&area.parent);
        understanding.build(home.runCompanions());
        association.build(home.runCompanions());
        sessions.buildSessionPane();
        delivery.buildPicker()->setParent(&area.parent);
        QObject::connect(&delivery, &DeliveryController::runChosen, &sessions, &SessionsController::selectRun);
        QObject::connect(&delivery, &DeliveryController::homeChanged, &sessions,
                         &SessionsController::renderSelectedSession);
        QObject::connect(&delivery, &DeliveryController::feedbackChanged, &sessions, &SessionsController::showFeedback);
    }

    // A snapshot's runs (each with a stand-in conversation), then the run at `index` chosen in the picker (-1: none).
    void show(const QJsonArray& runs, int index = -1) {
        delivery.renderDeliveryRuns(runs);
        sessions.renderSessionSupervision(QJsonObject{{"sessionSupervision", QJsonObject{{"sessions", QJsonArray()}}}});
        if (index >= 0)
            pick(index);
    }
    void pick(int index) {
        auto* picker = view<QComboBox>("deliveryPicker");
        picker->setCurrentIndex(index);
        Q_EMIT picker->activated(index);
    }
    void click(const char* name) { view<QAbstractButton>(name)->click(); }

    QString text(const char* name) const {
        auto* label = view<QLabel>(name);
        return label ? label->text() : view<QAbstractButton>(name)->text();
    }
    bool visible(const char* name) const { return view<QWidget>(name)->isVisibleTo(&area.parent); }
    template <typename T> T* view(const char* name) const { return area.view<T>(name); }
    QString sent(qsizetype index = 0) const {
        const auto& commands = area.commands.commands;
        return index < commands.size() ? commandLine(commands[index].action, commands[index].fields) : QString();
    }

    AreaHarness area;
    SupervisionModel model;
    SupervisionHome home;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    DeliveryController delivery;
    SessionsController sessions;
};

namespace {

QStringList details(const RunPane& pane, const char* name) {
    QStringList found;
    for (const QLabel* label : pane.home.deliveryDetailsBody()->findChildren<QLabel*>(QString::fromLatin1(name)))
        found.append(label->text());
    return found;
}

// A Codex handoff whose conversation target, verified or not (%1), links to its thread.
const char* kHandoff =
    R"({"session":"1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057","state":"recovery_required","canResume":true,
    "approvedAction":{"id":"x1","action":{"kind":"destructive"}},"originalSessionTarget":{"kind":"url",
    "verifiedOnPlatform":%1,"url":"codex://threads/1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057"}})";

const Copy english{false};

const char* kRecovery =
    R"({"state":"recovery_required","canResume":true,"approvedAction":{"id":"x1","action":{"kind":"external"}}})";

const char* kQuestion = R"({"phase":"needs_clarification","canAnswer":true,
    "understandingQuestion":{"id":"q1","text":"Open https://x.example/y ?"}})";

UnderstandingPresentation understanding(const char* extra, bool fixture = false) {
    return understandingPresentation(run(extra), {}, fixture, true, english);
}

RunPresentation present(const QJsonObject& record, RunPaneMemory memory = {}) {
    return deliveryRunPresentation({record, std::nullopt, std::move(memory), false, true}, english);
}

// One line per card: "Section: title [label=value, ...]", with its facts, then its facets, then its closing facts.
QStringList outline(const QList<DetailSection>& sections) {
    QStringList lines;
    for (const DetailSection& section : sections)
        for (const DetailCard& card : section.cards) {
            QStringList facts;
            for (const DetailFact& fact : card.facts + card.facets + card.closingFacts)
                facts.append(fact.label + u'=' + fact.value);
            lines.append(section.title + ": " + card.title + (facts.isEmpty() ? "" : " [" + facts.join(", ") + "]"));
        }
    return lines;
}

} // namespace

class RunTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One row per widget the presentation feeds, with the settings open ("-": hidden).
    void widgets_data() {
        columns<QJsonObject, QString>({"record", "shown"});
        QTest::newRow("deliveryHeadline") << run(kApproval) << QStringLiteral("Your decision needed");
        QTest::newRow("deliveryState") << run(kApproval) << QStringLiteral("Waiting for your approval");
        QTest::newRow("deliverySummary") << run(kApproval) << QStringLiteral("Staging");
        QTest::newRow("deliveryNext") << run(kDependency) << QStringLiteral("Quota raised");
        QTest::newRow("deliveryPause") << run(kPaused) << QStringLiteral("Pause");
    }
    void widgets() {
        QFETCH(QJsonObject, record);
        RunPane pane;
        pane.show({record});
        pane.click("deliverySettingsToggle");
        const char* widget = QTest::currentDataTag();
        QTEST(pane.visible(widget) ? pane.text(widget) : QStringLiteral("-"), "shown");
    }

    // A click and the answer to its alert; then the alert, the command, the feedback line while it is in flight, the
    // result ("!": failed, with the host's words after it) and the line after it. Rows named "preview" run in preview.
    void actions_data() {
        columns<QJsonObject, QStringList, QStringList>(
            {"record", "click", "shown"}); // click: button, answer, typed text
        const auto row = [](const char* name, const char* extra, const QStringList& click, const QStringList& shown) {
            QTest::newRow(name) << run(extra) << click << shown;
        };
        const QString accepted = "Action accepted. Refreshing status.", sending = "Sending action…";
        row("approve", kApproval, {"deliveryPrimary", "1"},
            {"Approve this request?", "delivery_approve approvalId=a1", sending, "", accepted});
        row("reject", kApproval, {"deliveryReject"}, {"", "delivery_reject approvalId=a1", sending, "!No.", "No."});
        row("stop", kApproval, {"deliveryStop", "1"},
            {"Stop this Dozadavi Zaro?", "delivery_stop", sending, "!",
             "Action failed. Refresh status and try again."});
        row("verify the chosen criterion", kVerification, {"deliveryVerify", "1"},
            {"Mark this criterion verified?", "delivery_verify criterionId=c3", "Sending verification…", "",
             "Verification accepted."});
        row("policy", R"({"canSetPolicy":true,"autonomyPolicy":"strict"})", {"deliveryPolicyApply"},
            {"", "delivery_set_policy autonomyPolicy=balanced", "Changing policy…", "",
             "Policy changed. Refreshing status."});
        row("dependency", kDependency, {"deliveryPrimary", "1", " Done.\n"},
            {"Confirm dependency ready", "delivery_dependency_ready answer=Done. waitId=w1", "", "",
             "Confirmation accepted."});
        row("preview dependency", kDependency, {"deliveryPrimary", "1", "Done"},
            {"Confirm dependency ready", "", "Sample confirmation reviewed. No action was sent."});
    }
    void actions() {
        const auto [record, click, shown] = fetch<QJsonObject, QStringList, QStringList>({"record", "click", "shown"});
        RunPane pane;
        pane.area.link.fixtureMode = QByteArray(QTest::currentDataTag()).startsWith("preview");
        pane.show({record});
        pane.click("deliverySettingsToggle");
        auto* criteria = pane.view<QComboBox>("deliveryCriterionPicker");
        criteria->setCurrentIndex(criteria->count() - 1);
        auto* policies = pane.view<QComboBox>("deliveryPolicyPicker");
        policies->setCurrentIndex(policies->findData(QStringLiteral("balanced")));
        Q_EMIT policies->activated(policies->currentIndex());
        pane.area.platform.alertAnswers = {{click.value(1).toInt(), click.value(2)}};
        pane.click(qPrintable(click[0]));
        QStringList seen{pane.area.platform.alerts.value(0).message, pane.sent(), pane.text("deliveryActionMessage")};
        QCOMPARE(pane.area.commands.commands.size(), int(!shown[1].isEmpty()));
        if (!shown[1].isEmpty()) {
            QVERIFY(!pane.area.commands.commands.first().force);
            const QString reply = shown[3];
            pane.area.commands.complete(0, !reply.startsWith(u'!'),
                                        reply.size() > 1 ? std::optional<QString>(reply.mid(1)) : std::nullopt);
            seen << reply << pane.text("deliveryActionMessage");
            QCOMPARE(pane.area.commands.actions().last(), QStringLiteral("refresh"));
        }
        QCOMPARE(seen, shown);
    }

    // A command's buttons wait for the status after its result; a result after the pane is gone changes nothing.
    void buttonsWaitForTheNextStatus() {
        auto pane = std::make_unique<RunPane>();
        pane->show({run(kPaused)});
        pane->click("deliveryReplan");
        pane->area.commands.complete(0, true);
        QVERIFY(!pane->view<QWidget>("deliveryReplan")->isEnabled());
        pane->show({run(kPaused)});
        pane->click("deliveryReplan");
        QCOMPARE(pane->sent(2), QStringLiteral("delivery_replan"));
        const CommandSink::Completion completion = pane->area.commands.commands[2].completion;
        pane.reset();
        completion(true, std::nullopt); // must not touch the destroyed views
    }

    // Resuming a Codex handoff opens the conversation: only a verified thread link of the run still shown.
    void handoff_data() {
        QTest::addColumn<QString>("shown"); // the link opened, the feedback line
        const QString link = "codex://threads/1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057|";
        const QString manual = "Handoff recorded. Open the original conversation in Codex manually.";
        QTest::newRow("verified link") << link + "Action accepted. Refreshing status.";
        QTest::newRow("another run is shown") << "|";
        QTest::newRow("unverified link") << "|" + manual;
        QTest::newRow("opening refused") << link + manual;
    }
    void handoff() {
        const QByteArray change = QTest::currentDataTag();
        RunPane pane;
        pane.area.platform.openUrlSucceeds = change != "opening refused";
        pane.show({run(qPrintable(QString(kHandoff).arg(change == "unverified link" ? "false" : "true"))), run()});
        pane.click("deliveryPrimary");
        QCOMPARE(pane.sent(), QStringLiteral("delivery_resume"));
        if (change == "another run is shown")
            pane.pick(1);
        pane.area.commands.complete(0, true);
        QTEST(pane.area.platform.openedUrls.value(0).toString() + u'|' + pane.text("deliveryActionMessage"), "shown");
    }

    // The picker follows the run; the same run keeps its disclosures, tab and detail views, another closes them.
    void selectionAndDisclosures() {
        RunPane pane;
        const QJsonObject done = run(R"({"state":"reported_done","verification":{"verified":1,"total":2},
            "acceptanceCriteria":[{"id":"c1","description":"<b>Docs</b>"}]})");
        pane.show({run(R"({"session":"s2"})"), done}, 1);
        pane.click("deliveryDetailsToggle");
        pane.click("deliverySettingsToggle");
        pane.click("deliveryEvidenceTab");
        QCOMPARE(details(pane, "deliveryDetailTitle"),
                 (QStringList{"Provider reported completion. This is not independent verification.",
                              "1/2 criteria verified", "<b>Docs</b>"}));
        for (const QLabel* label : pane.home.deliveryDetailsBody()->findChildren<QLabel*>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
        const QPointer<QWidget> section = pane.view<QWidget>("deliveryDetailSection");
        pane.show({done, run(R"({"session":"s2"})")});
        QCOMPARE(pane.view<QComboBox>("deliveryPicker")->currentIndex(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(section && pane.visible("deliveryDetailsGroup") && pane.visible("deliverySettingsGroup"));
        pane.pick(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!section && !pane.visible("deliveryDetailsGroup") && !pane.visible("deliverySettingsGroup"));
        pane.click("deliveryDetailsToggle");
        QCOMPARE(details(pane, "deliveryDetailSectionTitle"), QStringList{"Acceptance criteria"});
    }

    void pickerTitles() {
        QCOMPARE(deliveryPickerTitle({{"provider", "codex"}, {"objective", "Use password: hunter2\nnow"}}),
                 QStringLiteral("codex · Use ••• now"));
        QCOMPARE(deliveryPickerTitle({{"provider", "codex"}, {"objective", QString("word ").repeated(30)}}),
                 "codex · " + QString("word ").repeated(20));
        QCOMPARE(deliveryPickerTitle(json(R"({"provider":"claude","objective":" ","taskId":"t9"})")), "claude · t9");
    }

    // The situation chain and the layers after it: "row[!]|headline|summary's first words|primary|next|enabled
    // buttons", hidden ones empty, "!": attention. Rows named "preview" or "disconnected" are given every permission
    // (only the sample's steps stay usable); "turn": the conversation's turn is running.
    void situations_data() {
        columns<QJsonObject, QString>({"record", "shown"});
        const auto situation = [](const char* name, const char* extra, const char* shown) {
            dataRow(name, run(extra), QString::fromUtf8(shown));
        };
        situation("reported done", R"({"state":"reported_done"})", "1|Reported complete|The original conversation");
        situation("question", R"({"phase":"needs_clarification","understandingQuestion":{"text":"Which? token=abc"}})",
                  "3!|Which? •••");
        situation("approval", kApproval, "4!|Your decision needed|Staging|Review request||approve reject stop");
        situation("approval without canApprove", R"({"pendingApproval":{"id":"a1"},"canResume":true,"canReject":true})",
                  "15|A decision is needed||||reject resume");
        situation("declined", R"({"nextStep":"Pick another way","pendingApproval":{"id":"a1","denied":true}})",
                  "5|Approval was declined|Pick another way");
        situation("recovery handoff", kRecovery, "6!|Continue in Codex|Record the handoff,|Continue in Codex||resume");
        situation("verification", kVerification, "9!|Verify the remaining criterion||Verify criterion||verify");
        situation("paused", R"({"state":"paused","canResume":true,"reason":"<b>Limit</b> https://x.example/a"})",
                  "10|This conversation is paused|<b>Limit</b> •••|Resume task||resume");
        situation("dependency", kDependency,
                  "15|Waiting for an external dependency||Confirm dependency ready|Quota raised");
        situation("dependency the host will not take", R"({"state":"blocked","dependencyWait":{"id":"w1"}})",
                  "15|Waiting for an external dependency");
        situation("manual recovery after the conversation ended",
                  R"({"capability":"manual_recovery","reason":"Provider session ended at 10:00"})",
                  "15!|Continue in the original conversation|Stop supervision and");
        situation("turn running", R"({"turn":true,"state":"paused","canResume":true})", "10|Running|We’ll check what");
        situation("turn running, approval", R"({"turn":true,"state":"blocked","canApprove":true,
                  "pendingApproval":{"id":"a1"}})",
                  "4!|Running|We’ll check what|Review request||approve");
        situation("disconnected", kApproval, "4!|Your decision needed|Staging");
        situation("preview approval", kApproval, "4!|Your decision needed|Staging|Review request");
        situation("preview handoff", kRecovery, "6!|Continue in Codex|Record the handoff,|Preview handoff");
    }
    void situations() {
        QFETCH(QJsonObject, record);
        const bool fixture = QByteArray(QTest::currentDataTag()).startsWith("preview");
        const bool connected = !QByteArray(QTest::currentDataTag()).startsWith("disconnected");
        for (const char* key : {"canPause", "canResume", "canReject", "canReplan", "canStop", "canSetPolicy"})
            record.insert(key, record.value(key).toBool() || fixture || !connected);
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
        QStringList shown{QString::number(p.situation) + (p.attentionStyle ? "!" : ""), p.headline};
        shown << (p.summaryVisible ? p.summary.section(u' ', 0, 2) : QString())
              << (p.primaryVisible ? p.primaryTitle : QString()) << (p.nextVisible ? p.next : QString())
              << enabled.join(u' ');
        QTEST(shown.join(u'|').remove(QRegularExpression(QStringLiteral("\\|+$"))), "shown");
        QCOMPARE(p.primaryEnabled, p.primaryVisible);
        QCOMPARE(p.previewBadgeVisible, fixture);
    }

    // The policy the user picked survives re-renders of the same run until the host reports another policy.
    void policyPicker() {
        RunPaneMemory memory;
        memory.policySelectionIdentity = "codex|s1|t1";
        memory.lastShownPolicy = "balanced";
        memory.pickedPolicy = "strict";
        const QJsonObject record = run(R"({"autonomyPolicy":"balanced","canSetPolicy":true})");
        QVERIFY(present(record, memory).policySelection == u"strict" && present(record, memory).policyApplyEnabled);
        memory.lastShownPolicy = QStringLiteral("strict"); // the host reported another policy since
        QVERIFY(present(record, memory).policySelection == u"balanced" && !present(record, memory).policyApplyEnabled);
    }

    void criterionSelectionFollowsItsId() {
        const QJsonObject record = run(R"({"state":"verification_pending","verification":{"pending":["c2","c3",7]},
            "acceptanceCriteria":[{"id":"c1","check":{"type":"manual"}},{"id":"c2","check":{"type":"manual"}},
                {"id":"c3","description":"<i>Docs</i>","check":{"type":"manual"}},{"id":"c4","check":{"type":"file"}}]})");
        RunPaneMemory memory;
        memory.criteria = {{"c3", ""}, {"c0", ""}};
        memory.criterionIndex = 0;
        QCOMPARE(present(record, memory).criteria, (QList<PendingCriterion>{{"c2", ""}, {"c3", "<i>Docs</i>"}}));
        QCOMPARE(present(record, memory).criterionIndex, 1);
        memory.criterionIndex = 1; // c0 is gone: the first item
        QCOMPARE(present(record, memory).criterionIndex, 0);
    }

    // What a run button builds, past the run's address ("turn": the conversation's turn runs); empty: nothing.
    void commands_data() {
        columns<QJsonObject, QString>({"record", "sent"});
        dataRow("delivery_approve", run(kApproval), QString("delivery_approve approvalId=a1"));
        dataRow("delivery_approve without an id", run(R"({"pendingApproval":{"id":""}})"), QString());
        dataRow("delivery_resume while the turn runs", run(R"({"turn":true})"), QString());
        dataRow("delivery_resume while a dependency waits", run(kDependency), QString());
        dataRow("delivery_pause while the turn runs", run(R"({"turn":true})"), QString("delivery_pause"));
        dataRow("delivery_stop without a task", run(R"({"taskId":""})"), QString());
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
        QVERIFY(!dependencyAnswer(" \n ") && !dependencyAnswer(QString(1001, u'q')) &&
                !dependencyAnswer(QString("😀").repeated(501)));
    }

    void tabs_data() {
        columns<QJsonObject, int, QStringList>({"record", "tab", "lines"});
        QTest::newRow("no plan") << json(R"({"plan":"mistyped"})") << 7 << QStringList{"Plan: No assessed plan yet."};
        QTest::newRow("options") << json(R"({"plan":{"diagnosis":"Tests fail","selectedOptionId":"o2",
                "alternatives":[{"id":"o1","action":{"summary":"Pin it","kind":"write","scope":"single_file"},
                   "assessment":{"risk":"high","inObjective":true},"expectedVerification":"CI","rollback":"Revert"},
                  {"id":"o2","action":{}}, 5],
                "recommendation":{"optionId":"o1","reason":"Smallest"}},
              "escalation":{"options":[{"id":"ignored"}],"cause":"Two ways","userQuestion":"  "}})")
                                 << 0
                                 << QStringList{"Diagnosis: Tests fail",
                                                "Options: Pin it [Action=Make a change, Target=One file, Risk=High, "
                                                "Within goal=Yes, Verify=CI, Rollback=Revert]",
                                                "Options: o2 · Selected",
                                                "Recommendation: Pin it",
                                                "Recommendation: Smallest",
                                                "Needs a decision: Two ways"};
        QTest::newRow("criteria") << json(R"({"verification":{"total":2,"verified":1.5,
              "results":{"c1":{"verified":true,"source":"file_contains","checkedAt":"2026-01-02","path":"a.md",
                      "sha256":"ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12"},
                "c2":{"verified":false,"checkedAt":"never shown","source":"robot","exactPath":"b.md","path":"x"}}},
              "acceptanceCriteria":[{"id":"c1","description":"Docs"},{"id":"c2"}]})")
                                  << 2
                                  << QStringList{"Verification status: 0/2 criteria verified",
                                                 "Acceptance criteria: Docs [Status=Verified, Source=Automatic check · "
                                                 "content matched, Checked=2026-01-02, File=a.md, SHA-256=ab12ab12ab12"
                                                 "ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12]",
                                                 "Acceptance criteria: c2 [Status=Unverified, File=b.md]"};
    }
    void tabs() {
        const auto [record, tab] = fetch<QJsonObject, int>({"record", "tab"});
        QTEST(outline(deliveryDetails(record, tab, english)), "lines");
    }

    // Host text is masked (before underscores go) and cut; of thousands of entries the first are built, others counted.
    void hostTextIsMaskedCutAndCapped() {
        const QJsonObject plan{{"plan", QJsonObject{{"diagnosis", "see https://x.example/a " + QString(300, u'z')}}}};
        const QString shown = deliveryDetails(plan, 0, english).first().cards.first().title;
        QVERIFY(shown.startsWith(QStringLiteral("see ••• ")) && shown.size() <= 180);
        QCOMPARE(detailValue(QJsonValue("token=" + QString(45, u'a') + "_b"), english), QStringLiteral("•••"));
        QCOMPARE(detailValue(QJsonValue("blast_radius"), english), QStringLiteral("blast radius"));
        QJsonArray history;
        for (int index = 0; index < 5000; ++index)
            history.append(QJsonObject{{"action", QJsonObject{{"summary", QString("Step %1").arg(index)}}}});
        const DetailSection recent = deliveryDetails(QJsonObject{{"decisionHistory", history}}, 1, english).first();
        QCOMPARE(recent.cards.last().title, QStringLiteral("Step %1").arg(kDetailCardLimit - 1));
        QCOMPARE(recent.cards.size() + recent.omitted, 5000);
    }

    // The goal: the host's understanding, then the conversation's own goal, then the run's objective; with none the
    // panel is hidden. Sources: the first three with text, labelled by where they came from.
    void understandingGoal_data() {
        columns<QJsonObject, QJsonObject, QString>(
            {"run", "session", "shown"}); // "goal | label=snippet ..."; "-": hidden
        QTest::newRow("nothing") << json(R"({"phase":"understanding","objective":" "})") << QJsonObject() << "-";
        QTest::newRow("run objective")
            << json(R"({"objective":"Ship docs","sessionUnderstanding":{"basis":[{"snippet":"b"},
                   {"snippet":"c","source":"provider_goal"}]}})")
            << QJsonObject() << "Ship docs | Context=b Original goal=c";
        QTest::newRow("conversation goal first")
            << json(R"({"objective":"run"})") << json(R"({"providerGoal":{"objective":"provider"}})") << "provider |";
        QTest::newRow("understanding first; the first three sources with text")
            << json(R"({"objective":"run","sessionUnderstanding":{"objective":"understood","basis":[
                   {"snippet":"Fix it","role":"user"},{"snippet":" "},{"snippet":"<b>a</b>","source":"file_change"},
                   {"snippet":"fourth"}]}})")
            << json(R"({"providerGoal":{"objective":"provider"}})")
            << "understood | Your request=Fix it File Change=<b>a</b>";
    }
    void understandingGoal() {
        const auto [run, session] = fetch<QJsonObject, QJsonObject>({"run", "session"});
        const UnderstandingPresentation p = understandingPresentation(run, session, false, true, english);
        QStringList shown{p.goal, QStringLiteral("|")};
        for (const UnderstandingSource& source : p.sources)
            shown.append(source.label + u'=' + source.snippet);
        QTEST(p.visible ? shown.join(u' ') : QStringLiteral("-"), "shown");
    }

    // The understanding panel: a masked question, answerable only when the host lets the user, live; bounded lists.
    void understandingPanel() {
        QCOMPARE(understanding(kQuestion).question, QStringLiteral("Open ••• ?"));
        QVERIFY(understanding(kQuestion).answerEnabled && !understanding(kQuestion, true).answerEnabled);
        QVERIFY(
            !understanding(R"({"phase":"needs_clarification","understandingQuestion":{"id":"q1"}})").answerRowVisible &&
            !understanding(R"({"phase":"understanding","understandingQuestion":{"id":"q1"}})").questionVisible);
        QJsonArray many;
        for (int index = 0; index < 10000; ++index)
            many.append(QStringLiteral("item %1").arg(index));
        const UnderstandingPresentation p = understandingPresentation(
            QJsonObject{{"sessionUnderstanding", QJsonObject{{"done", many}, {"remaining", QJsonArray{"x", 5}}}}}, {},
            false, true, english);
        QCOMPARE(p.done.last(), QStringLiteral("item %1").arg(kUnderstandingItemLimit - 1));
        QVERIFY(p.remaining.isEmpty()); // an array holding anything but strings counts as empty
    }

    // The answer: trimmed, not blank, at most 2000 user-perceived characters; nothing in preview or without a task.
    void answers() {
        using O = SessionAnswer::Outcome;
        const auto outcome = [](const QString& typed, const char* extra = kQuestion, bool fixture = false) {
            return sessionAnswer(run(extra), typed, fixture, true, english).outcome;
        };
        QCOMPARE(commandLine("session_answer", sessionAnswer(run(kQuestion), "  main  ", false, true, english).fields),
                 QStringLiteral("session_answer answer=main questionId=q1"));
        QVERIFY(outcome(" \n ") == O::refused && outcome(QString(2001, u'a')) == O::refused);
        QVERIFY(outcome(QString(2000, u'a')) == O::send &&
                outcome(QStringLiteral("e\u0301").repeated(2000)) == O::send);
        QVERIFY(outcome("main", R"({"taskId":"","canAnswer":true,"understandingQuestion":{"id":"q1"}})") ==
                    O::ignored &&
                outcome("main", kQuestion, true) == O::ignored);
    }
};

VODU_TEST_SUITE(RunTest)
#include "RunTest.moc"
