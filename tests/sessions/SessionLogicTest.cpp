#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/association/ActionAssociation.h"
#include "sessions/association/ActionDeadline.h"
#include "sessions/conversation/SessionAnalysis.h"
#include "sessions/conversation/SessionForm.h"
#include "sessions/conversation/SessionPresentation.h"
#include "sessions/home/HomePresentation.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/list/NeedsYouNotices.h"
#include "sessions/list/SessionList.h"
#include "sessions/original/OriginalConversation.h"
#include "sessions/records/SessionRecords.h"

namespace {

QJsonObject record(const QString& association) {
    return json(
        QStringLiteral(R"({"provider":"codex","session":"s1","taskId":"t1","actionAssociation":%1})").arg(association));
}

// The value in one line: header | badge ("(…)" hidden) | headline | attention | next | what shows | feedback ("!" a
// failure); a hidden line is "-".
QString describe(const HomeView& view) {
    const auto line = [](const HomeLine& shown) {
        return shown.visible ? shown.text : QStringLiteral("-");
    };
    QStringList shows{view.primary.visible ? "primary" : "", view.controls.visible ? "controls" : ""};
    shows << (view.understandingVisible ? "understanding" : "");
    return joined({view.headerTitle + QStringLiteral(" · ") + view.headerProvider,
                   view.stateBadgeVisible ? view.stateBadge : u'(' + view.stateBadge + u')', line(view.headline),
                   line(view.attention), line(view.next), shows.join(u' ').simplified(),
                   view.feedback.text + (view.feedbackFailure ? QStringLiteral("!") : QString())});
}

// Rows as text: a heading as its text, a session row as its record's index; ";" before each heading.
QString rowsText(const QList<SessionListRow>& rows) {
    QStringList parts;
    for (const SessionListRow& row : rows)
        parts.append(row.candidateIndex ? QString::number(*row.candidateIndex) : QStringLiteral(";") + row.heading);
    return parts.join(QLatin1Char(',')).replace(QStringLiteral(",;"), QStringLiteral(";")).remove(0, 1);
}

// Five records, one per way into the groups; each title names its place.
const char* kRecords = R"([
    {"provider":"codex","session":"a","title":"Auto","autoContinue":true,"binding":{"mode":"managed"},
     "cwd":"/home/alex/src/ledger-api"},
    {"provider":"codex","session":"b","title":"請求書のCSV出力を修正","analysis":{"state":"needs_user"}},
    {"provider":"claude","session":"c","title":"Managed","binding":{"mode":"managed"}},
    {"provider":"claude","session":"d","title":"Plain","cwd":7},
    {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"}
])";

QString keys(const QList<NeedsYouNotice>& notices) {
    QStringList list;
    for (const NeedsYouNotice& each : notices)
        list.append(each.key);
    return list.join(u' ');
}

} // namespace

class SessionLogicTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void label_data() {
        textColumns("association", "shown"); // label | toggle title | "accent" or "secondary"
        const QString titled = QStringLiteral(
            R"({"status":"%1","binding":{"action":{"id":"a1","title":"Fix invoices","dueAt":"2026-12-08"}}})");
        row("missing", "null", "Not linked | Link Action | secondary");
        row("signed out wins over a title", titled.arg("signed_out"), "Sign in to see your tasks | Sign in | accent");
        row("title and due date", titled.arg("bound"), "Fix invoices · Due 2026-12-08 | Change | accent");
        row("offline appended to the title", titled.arg("offline"),
            "Fix invoices · Due 2026-12-08 · Offline · we’ll check the related task again | Change | accent");
        row("host text is masked and one line", R"({"binding":{"action":{"title":"See\nhttps:\/\/example.com\/x"}}})",
            "See ••• | Change | accent");
    }

    void label() {
        QFETCH(QString, association);
        const AssociationPresentation p = associationPresentation(record(association), english);
        QVERIFY(p.visible);
        QTEST(joined({p.label, p.toggleTitle, p.labelColor == Theme::accent ? "accent" : "secondary"}), "shown");
    }

    void pickerItems() {
        const QJsonObject r =
            record(R"({"binding":{"action":{"id":"b","title":"B"}},"candidates":[{"id":"a","title":"A"},)"
                   R"({"id":7,"title":"number id"},{"id":"c"},"text",{"id":"b","title":"B"}]})");
        QCOMPARE(associationPickerItems(r), (QList<AssociationPickerItem>{{"A", "a"}, {"B", "b"}}));
        QCOMPARE(associationPresentation(r, english).linkedActionId, QStringLiteral("b"));
        QVERIFY(
            !associationPresentation({}, english).visible && // no conversation, no line
            associationPickerItems(record(R"({"unavailable":true,"candidates":[{"id":"a","title":"A"}]})")).isEmpty());
    }

    void controls_data() {
        textColumns("association", "state", "enabled"); // state: in flight, connected, preview, a value picked
        const char* linked = R"({"binding":{"action":{"id":"a","title":"A"}}})";
        row("connected, linked, chosen", linked, "connected picked", "1111"); // save, unlink, refresh, cancel
        row("nothing chosen", linked, "connected", "0111");
        row("not linked", "{}", "connected picked", "1011");
        row("canCorrect false", R"({"canCorrect":false,"binding":{"action":{"id":"a","title":"A"}}})",
            "connected picked", "0011");
        row("unavailable", R"({"unavailable":true,"binding":{"action":{"id":"a","title":"A"}}})", "connected picked",
            "0011");
        row("in flight", linked, "flight connected picked", "0000");
        row("disconnected", linked, "picked", "0001");
        row("preview: no re-check", linked, "preview picked", "1101");
    }

    void controls() {
        const auto [association, state] = fetch<QString, QString>({"association", "state"});
        const AssociationControls c = associationControls(associationPresentation(record(association), english),
                                                          {state.contains(u"flight"), state.contains(u"connected"),
                                                           state.contains(u"preview"), state.contains(u"picked")});
        QTEST(QString::number(c.save) + QString::number(c.unlink) + QString::number(c.refresh) +
                  QString::number(c.cancel),
              "enabled");
    }

    void refusal_data() {
        columns<QString, int, QString>({"record", "command", "refusal"});
        const QString loading = QStringLiteral("The conversation is still loading. Reload and try again.");
        const QString unavailable = QStringLiteral("Changes are unavailable. Reconnect and reload.");
        const int select = int(AssociationCommand::select), refresh = int(AssociationCommand::refresh);
        row("taskId not a string", R"({"provider":"codex","session":"s1","taskId":3})", refresh, loading);
        row("locked", compact(record(R"({"canCorrect":false})")), select, unavailable);
        row("re-check while offline", compact(record(R"({"status":"offline"})")), refresh, "");
        row("changeable", compact(record(R"({"canCorrect":true})")), select, "");
    }

    void refusal() {
        const auto [record, command] = fetch<QString, int>({"record", "command"});
        QTEST(associationRefusal(json(record), AssociationCommand(command), english).value_or(QString()), "refusal");
    }

    // Every revision is sent back as it arrived, each in its own field: the host compares them with its own.
    void fields_data() {
        textColumns("revision");
        row("above 2^53", "9007199254740993");
        row("string", R"("r-7")");
    }

    void fields() {
        QFETCH(QString, revision);
        const QJsonObject r = record(QStringLiteral(R"({"contextRevision":"c","candidateRevision":%1,)"
                                                    R"("binding":{"revision":[%1]},)"
                                                    R"("candidates":[{"id":"a","title":"A","revision":{"r":%1}}]})")
                                         .arg(revision));
        // The text on the wire, not only the value: a number above 2^53 must not pass through a double.
        QCOMPARE(compact(associationFields(r, std::nullopt, AssociationCommand::select, QStringLiteral("a"))),
                 QStringLiteral(R"({"actionId":"a","expectedActionRevision":{"r":%1},"expectedBindingRevision":[%1],)"
                                R"("expectedCandidateRevision":%1,"expectedContextRevision":"c","provider":"codex",)"
                                R"("session":"s1","taskId":"t1"})")
                     .arg(revision));
        QVERIFY(!associationFields(r, std::nullopt, AssociationCommand::unlink, {}).contains(u"actionId"));
        QCOMPARE(associationAction(AssociationCommand::refresh), QStringLiteral("session_action_refresh"));
    }

    void deadline_data() {
        textColumns("deadline", "box"); // title | summary | button | enabled (0/1)
        const char* options = R"("options":[{"id":"keep_scope"},{"id":"custom","title":"Ask the team"}])";
        const QString decided = QStringLiteral(R"({"status":"decided","reminder":{},%1,"decision":{"choice":"%2"}})");
        row("two remaining strings", R"({"status":"due","reminder":{},"remainingWork":["Deploy","Replay events"]})",
            "The Action is due soon | Deploy · Replay events | Review deadline | 1");
        row("decided, host's own option", decided.arg(options, "custom"),
            "Decision saved | Ask the team | Change decision | 1");
        row("decided, choice missing from options", decided.arg(options, "gone"),
            "Decision saved | Your choice is saved | Change decision | 1");
        row("unavailable offline", R"({"status":"unavailable","reminder":{},"online":false})",
            "Deadline unavailable | Reconnect to check the deadline. | Review deadline | 0");
        row("no linked Action", R"({"status":"due","unlinked":true})", "hidden");
    }

    void deadline() {
        QFETCH(QString, deadline);
        const QJsonObject deadlineObject = json(deadline);
        QJsonObject r = record(deadlineObject.contains(u"unlinked") ? R"({"binding":{"action":null}})"
                                                                    : R"({"binding":{"action":{"id":"a"}}})");
        r.insert(QStringLiteral("actionDeadline"), deadlineObject);
        const DeadlineBox box = deadlineBox(r, false, true, english);
        QTEST(box.visible ? joined({box.title, box.summary, box.buttonTitle, QString::number(box.buttonEnabled)})
                          : QStringLiteral("hidden"),
              "box");
        QVERIFY(!deadlineBox(r, true, true, english).buttonEnabled &&
                !deadlineBox(r, false, false, english).buttonEnabled);
    }

    // The review: options with a title, the recommendation preselected unless a decision was saved.
    void deadlineReviewLines() {
        const DeadlineReview review =
            deadlineReview(json(R"({"options":[{"id":"keep_scope"},{"id":"revise_deadline"},{"title":"no id"}],)"
                                R"("recommendation":{"optionId":"revise_deadline"},"blocker":["Approval","Quota"]})"),
                           english);
        QCOMPARE(
            joined({review.choice, review.work, review.blocker.value_or(QString()), review.options.value(0).title,
                    review.options.value(1).title, QString::number(review.options.size())}),
            QStringLiteral("revise_deadline | Still to do: Review the original conversation. | Blocked by: "
                           "Approval · Quota | Keep the current scope | Propose a new deadline · Recommended | 2"));
        const char* decided = R"({"decision":{"choice":"keep_scope"},"recommendation":{"optionId":"revise_deadline"}})";
        QCOMPARE(deadlineReview(json(decided), english).choice, QStringLiteral("keep_scope"));
    }

    void deadlineCommand() {
        const QJsonObject snapshot = json(R"({"actionId":"a","actionRevision":9007199254740993,)"
                                          R"("bindingRevision":"b3","reminder":{"key":["k",1],"revision":2}})");
        QCOMPARE(compact(deadlineFields(record("{}"), snapshot, QStringLiteral("R1"), QStringLiteral("x"))),
                 QStringLiteral(R"({"actionId":"a","choice":"x","expectedActionRevision":9007199254740993,)"
                                R"("expectedBindingRevision":"b3","expectedDecisionRevision":null,)"
                                R"("provider":"codex","reminderKey":["k",1],"reminderRevision":2,)"
                                R"("requestId":"R1","session":"s1","taskId":"t1"})"));
        QVERIFY(deadlineSavable(record("{}"), snapshot, "x") && !deadlineSavable(record("{}"), snapshot, QString()));
        QVERIFY(!deadlineSavable(json(R"({"taskId":""})"), snapshot, "x") &&
                !deadlineSavable(record("{}"), json(R"({"reminder":"k"})"), "x"));
        QCOMPARE(compact(previewDeadline(json(R"({"status":"due","decision":{"revision":4}})"), "R1", "keep_scope")),
                 QStringLiteral(R"({"decision":{"choice":"keep_scope","id":"R1","revision":5},"status":"decided"})"));
    }

    // However a conversation or run is chosen, one rule decides the pair; an unmanaged conversation opens itself
    // even while another conversation's run is selected.
    void selectionRule_data() {
        textColumns("conversation", "run", "selected"); // conversation / run / original: session and taskId
        row("managed conversation: its run", "codex|s1", "", "codex|s1 / codex|s1|t1 / ");
        row("a run picked under another conversation", "codex|s2", "codex|s1|t2", "codex|s1 / codex|s1|t2 / s2");
        row("a managed conversation opens its run", "codex|s1", "codex|s1|t2", "codex|s1 / codex|s1|t2 / s1t2");
        row("a run without a conversation", "", "codex|s9|t9", " / codex|s9|t9 / s9t9");
        row("a run no longer listed", "codex|s1", "codex|s1|gone", "codex|s1 / codex|s1|t1 / ");
        row("nothing listed", "codex|zz", "", " /  / ");
    }

    void selectionRule() {
        const auto [conversation, run] = fetch<QString, QString>({"conversation", "run"});
        const QList<QJsonObject> sessions = jsonObjects(R"([
            {"provider":"codex","session":"s1","binding":{"mode":"managed"}},
            {"provider":"codex","session":"s2","binding":{"mode":"monitor"}}])");
        const QList<QJsonObject> runs = jsonObjects(R"([{"provider":"codex","session":"s1","taskId":"t1"},
            {"provider":"codex","session":"s1","taskId":"t2"}, {"provider":"codex","session":"s9","taskId":"t9"}])");
        const HomeSelection selected = homeSelection(sessions, runs, {conversation, run});
        const SupervisionModel model{sessions, runs, conversation, run};
        const QJsonObject original =
            originalConversationRecord(selectedConversation(model), selectedRun(model)).value_or(QJsonObject());
        QTEST(selected.conversation + QStringLiteral(" / ") + selected.run + QStringLiteral(" / ") +
                  original.value(u"session").toString() + original.value(u"taskId").toString(),
              "selected");
    }

    void situations_data() {
        // conversation: "null": none; run: "null": none; notice: HomeLinkNotice; feedback: "!" first: a failure
        columns<QString, QString, int, QString, QString>({"conversation", "run", "notice", "feedback", "shown"});
        const char* run = R"({"provider":"codex","session":"s1","taskId":"t1","objective":"Ship\nthe docs"})";
        const char* managed = R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"managed"}})";
        using Notice = HomeLinkNotice;
        row("nothing selected", "null", "null", int(Notice::none), "",
            "Sessions ·  | No sessions | Select a session | - | Discovery is off |  | ");
        row("nothing selected, no service", "null", "null", int(Notice::disconnected), "",
            "Sessions ·  | Disconnected | Status unavailable | - | Service ended |  | ");
        row("a run on its own says which", "null", run, int(Notice::none), "",
            "Ship the docs · Codex | In progress | Run headline | - | - | primary controls understanding | ");
        row("a pending takeover over its run",
            R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"pending_takeover"},
                "reason":"Busy: see https:\/\/x.test/1"})",
            run, int(Notice::none), "",
            "Docs · Codex | Pending takeover | Waiting to take over this session | Busy: see ••• | No second writer "
            "will start while the original session is busy. | controls understanding | ");
        row("the service starting", managed, run, int(Notice::waiting), "",
            "Docs · Codex | Connecting… | Checking managed work… | - | Waiting for service status. |  | ");
        row("progress on the feedback line", managed, run, int(Notice::none), "Sending action…",
            "Docs · Codex | In progress | Run headline | - | - | primary controls understanding | Sending action…");
        row("a refusal on the feedback line", managed, run, int(Notice::none), "!Not now.",
            "Docs · Codex | In progress | Run headline | - | - | primary controls understanding | Not now.!");
    }

    void situations() {
        const auto [conversation, run, notice, feedback] =
            fetch<QString, QString, int, QString>({"conversation", "run", "notice", "feedback"});
        HomeInput input;
        input.notice = static_cast<HomeLinkNotice>(notice);
        input.disconnectedMessage = QStringLiteral("Service ended");
        input.reachable = true;
        input.discoveryMessage = QStringLiteral("Discovery is off");
        input.conversation = jsonRecord(conversation);
        input.run = jsonRecord(run);
        if (input.run) {
            // What the run area gives for a run: its lines, its primary button and controls, its understanding.
            input.runs = {*input.run};
            HomeView& runView = input.runView.emplace();
            runView.stateBadge = QStringLiteral("In progress");
            runView.stateBadgeVisible = true;
            runView.headline = {QStringLiteral("Run headline"), true};
            runView.primary = {QStringLiteral("Review request"), true, true};
            runView.controls.visible = true;
            runView.understandingVisible = true;
        }
        input.feedbackFailure = feedback.startsWith(u'!');
        input.feedback = input.feedbackFailure ? feedback.mid(1) : feedback;
        QTEST(describe(supervisionHomeView(input, english)), "shown");
    }

    void codexLink_data() {
        columns<QString, QString, bool>({"target", "session", "opened"});
        const auto verified = [](const QString& url) {
            return QString::fromUtf8(R"({"kind":"url","verifiedOnPlatform":true,"url":"%1"})").arg(url);
        };
        const QString prefix = QStringLiteral("codex://threads/");
        row("verified thread link", verified(prefix + kUuid), kUuid, true);
        row("link in upper case, id in lower case", verified(prefix + kUuid.toUpper()), kUuid, false);
        row("not verified", verified(prefix + kUuid).remove(QStringLiteral("\"verifiedOnPlatform\":true,")), kUuid,
            false);
        const QString notHex = QString(kUuid).replace(0, 1, QLatin1Char('g'));
        row("36 characters, not a UUID", verified(prefix + notHex), notHex, false);
        const QString wide = QStringLiteral("０f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85");
        row("full-width digit", verified(prefix + wide), wide, false);
        row("line break after the id", verified(prefix + kUuid + "\\n"), kUuid + "\n", false);
    }

    void codexLink() {
        const auto [target, session, opened] = fetch<QString, QString, bool>({"target", "session", "opened"});
        QCOMPARE(exactCodexThreadURL(json(target), session).value_or(QUrl()).toString(),
                 opened ? QStringLiteral("codex://threads/") + session : QString());
    }

    // What opening the original conversation does, and the button that offers it.
    void opening_data() {
        // shown: step | link | alert message | alert text | button (hidden in brackets)
        columns<QString, bool, QString>({"record", "fixture", "shown"});
        const QString verified =
            QString::fromUtf8(R"({"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
                "verifiedOnPlatform":true,"url":"codex:\/\/threads/%1"}})")
                .arg(kUuid);
        const QString claude = QStringLiteral("Return to the original Claude window. VODU will not start a second CLI "
                                              "process. This does not approve or resume anything.\n\nSession ID: ");
        row("verified Codex link", verified, false,
            "open | 1 | Could not open the original conversation | No verified link is available for this "
            "conversation.\n\nSession ID: " +
                kUuid + " | Open in Codex");
        row("Codex without a link, masked reason",
            R"({"provider":"codex","session":"s1","originalSessionTarget":{"reason":"Bearer abc.def expired"}})", false,
            "open | 0 | Could not open the original conversation | ••• expired\n\nSession ID: s1 | (Open in Codex)");
        // The id is the user's only key to the conversation: whole, on one line.
        const QString half(125, QLatin1Char('x'));
        row("opaque 250-character id on one line",
            QString::fromUtf8(R"({"provider":"claude","session":"%1\n%1"})").arg(half), false,
            "open | 0 | Return to the original Claude conversation | " + claude + half + u' ' + half +
                " | (Open original conversation)");
        row("preview", verified, true,
            "preview | 0 | Sample conversation | Preview only. No conversation will open and no approval will be "
            "sent. | Open in Codex · sample");
        row("label with an address", R"({"provider":"claude","session":"s1","originalSessionTarget":{"kind":"url",
            "label":" Resume at https:\/\/x.test/1 "}})",
            false, "open | 0 | Return to the original Claude conversation | " + claude + "s1 | Resume at •••");
        row("nothing", "null", true, "nothing | 0 |  |  | (Open original conversation)");
    }

    void opening() {
        const auto [record, fixture] = fetch<QString, bool>({"record", "fixture"});
        const OriginalConversationOpening opening = originalConversationOpening(jsonRecord(record), fixture, english);
        const OriginalNavigationButton button = originalNavigationButton(jsonRecord(record), fixture, english);
        QVERIFY(button.toolTip.contains(QStringLiteral("does not approve or resume")));
        QTEST(joined({QStringList{"nothing", "preview", "open"}.at(static_cast<int>(opening.step)),
                      QString::number(opening.link.has_value()), opening.alert.message, opening.alert.text,
                      button.visible ? button.title : u'(' + button.title + u')'}),
              "shown");
    }

    void grouping_data() {
        textColumns("record", "runs", "expected"); // listed group, shown group, dot (neutral, warning, good) | status
        const auto s1 = [](const char* fields) {   // Conversation codex|s1 and a run of it with these fields.
            return QStringLiteral(R"({"provider":"codex","session":"s1",%1})").arg(QString::fromUtf8(fields));
        };
        const auto run = [&](const char* fields) {
            return u'[' + s1(fields) + u']';
        };
        const QString managed = s1(R"("binding":{"mode":"managed"})");
        row("analysis needs the user", R"({"analysis":{"state":"needs_user"}})", "[]", "0 0 w | Your decision needed");
        row("auto-continue on a managed conversation", s1(R"("autoContinue":true,"binding":{"mode":"managed"})"),
            run(R"("state":"active")"), "-1 1 g | In progress");
        row("run needs one answer", managed, run(R"("phase":"needs_clarification")"), "0 0 w | One answer needed");
        row("takeover before anything else", s1(R"("binding":{"mode":"pending_takeover"})"),
            run(R"("needsAttention":true)"), "1 1 n | Pending takeover");
        row("destructive action awaiting its result", managed,
            run(R"("state":"active","approvedAction":{"id":"a1","action":{"kind":"destructive"}})"),
            "0 0 w | Awaiting result");
        row("external action needing a handoff", managed,
            run(R"("state":"recovery_required","approvedAction":{"id":"a1","action":{"kind":"external"}})"),
            "0 0 w | Handoff needed");
        row("ordinary approved action", managed,
            run(R"("state":"active","approvedAction":{"id":"a1","action":{"kind":"write"}})"), "1 1 g | In progress");
        row("running turn overrides the run", s1(R"("isRunning":true,"binding":{"mode":"managed"})"),
            run(R"("phase":"needs_clarification")"), "0 0 w | Running");
        // "provider" and "session" compare as optional strings: missing on both sides is equal, on one side not.
        row("provider missing on both sides", R"({"session":"s1"})", R"([{"session":"s1","needsAttention":true}])",
            "0 0 w | Not analyzed");
        row("no identity on either side", R"({"title":"no identity"})", R"([{"needsAttention":true}])",
            "0 0 w | Not analyzed");
        row("empty ids are not missing ones", R"({"title":"no identity"})",
            R"([{"provider":"","session":"","needsAttention":true}])", "2 2 n | Not analyzed");
        row("run session of another type", managed, R"([{"provider":"codex","session":["s1"],"needsAttention":true}])",
            "1 1 n | In progress");
        row("first matching run decides", managed,
            u'[' + s1(R"("state":"active")") + u',' + s1(R"("needsAttention":true)") + u']', "1 1 g | In progress");
    }

    void grouping() {
        const auto [record, runs] = fetch<QString, QString>({"record", "runs"});
        const QJsonObject session = json(record);
        const QList<QJsonObject> runList = jsonObjects(runs);
        const SessionRowPresentation row = sessionRowPresentation(session, runList, english);
        const int group = static_cast<int>(sessionGroup(session, runList));
        QCOMPARE(row.attention, group == 0);
        QTEST(QStringLiteral("%1 %2 %3 | %4")
                  .arg(static_cast<int>(sessionListGroup(session, runList)))
                  .arg(group)
                  .arg(QLatin1Char("gwbnu"[static_cast<int>(row.dot)]))
                  .arg(row.subtitle.section(QStringLiteral(" · "), -1)),
              "expected");
    }

    void rows_data() {
        columns<QString, bool, QString>({"query", "japanese", "rows"});
        row("every group with its count", "", false,
            "Auto-continue · 1,0;Needs you · 2,1,4;Supervising · 1,2;Conversations · 1,3");
        row("capitals match a folder in small letters", "LEDGER-API", false, "Auto-continue · 1,0");
        row("full-width letters typed", "ｃｓｖ出力", false, "Needs you · 1,1");
        row("ideographic spaces around the query", "\u3000請求書\u3000", false, "Needs you · 1,1");
        row("Japanese headings", "codex", true, "自動継続 · 1,0;対応が必要 · 2,1,4");
        row("no hit", "nothing like it", false, "");
    }

    void rows() {
        const auto [query, japanese] = fetch<QString, bool>({"query", "japanese"});
        QTEST(rowsText(sessionListRows(jsonObjects(kRecords), {}, query, Copy{japanese}, QLocale(QLocale::English))),
              "rows");
    }

    void selection_data() {
        columns<QString, int>({"remembered", "row"}); // row: -1: nothing
        row("kept in another group", "claude|c", 6);
        row("gone: first session row", "codex|z", 1);
        row("nothing remembered", "", 1);
    }

    void selection() {
        QFETCH(QString, remembered);
        const QList<QJsonObject> records = jsonObjects(kRecords);
        QTEST(
            int(sessionRowToSelect(sessionListRows(records, {}, QString(), english), records, remembered).value_or(-1)),
            "row");
        QVERIFY(!sessionRowToSelect(sessionListRows(records, {}, QStringLiteral("zzz"), english), records, remembered));
    }

    // Without conversations, each run stands in for its own, with nothing allowed.
    void fallbackRecords() {
        const QList<QJsonObject> runs = jsonObjects(R"([{"provider":"codex","session":"s1","taskId":"t1",
            "objective":"Ship it","managed":true}, {"provider":7,"objective":["x"],"managed":"yes"}])");
        const QString nothingAllowed =
            QStringLiteral(R"("capabilities":{"canMonitor":false,"canEnroll":false,"canAutoContinue":false})");
        QCOMPARE(sessionRecordsOrFallback({}, runs),
                 jsonObjects(QStringLiteral(R"([{"provider":"codex","session":"s1","title":"Ship it",%1,
            "binding":{"mode":"managed","taskId":"t1"},"availability":"unknown"},{"provider":"","session":"","title":"",
            "binding":{"mode":"standard_loop","taskId":""},%1,"availability":"unknown"}])")
                                 .arg(nothingAllowed)));
        QCOMPARE(sessionRecordsOrFallback(jsonObjects(R"([{"session":"x"}])"), runs).size(), 1);
    }

    void whatWaitsForTheUser() {
        const QList<QJsonObject> sessions = jsonObjects(R"([
            {"provider":"codex","session":"a","title":"Fix the build","analysis":{"state":"needs_user","reason":"Which branch?"}},
            {"provider":"codex","session":"b","title":"Quiet one","analysis":{"state":"continue"}},
            {"provider":"claude","session":"c","title":"<b>Bold</b>","analysis":{"state":"needs_user"}},
            {"provider":"codex","session":"r","title":"Told once","binding":{"mode":"managed"}}])");
        const QList<QJsonObject> runs = jsonObjects(R"([
            {"provider":"codex","session":"r","taskId":"t","needsAttention":true,"reason":"Approve the deploy"},
            {"provider":"codex","session":"x","taskId":"y","objective":"Ship it","needsAttention":true},
            {"provider":"codex","session":"q","taskId":"u","needsAttention":false}])");
        QStringList told;
        for (const NeedsYouNotice& notice : needsYouNotices(sessions, runs, english))
            told.append(notice.key + u'=' + notice.title + u'=' + notice.reason);
        QCOMPARE(told, QStringList({"session:codex|a=Fix the build=Which branch?",
                                    "session:claude|c=<b>Bold</b>=Your decision needed",
                                    "session:codex|r=Told once=Approve the deploy",
                                    "run:codex|x|y=Ship it=Needs your attention"}));
    }

    // Each row: what was told and when ("!": nothing, at start-up; seconds before now; a key without time was told
    // long ago), what waits now, and the plan: the keys shown one by one / the count in a summary / the keys withdrawn
    // / the keys shown a minute later for the same notices.
    void whatIsShownAndWithdrawn_data() {
        textColumns("told", "now", "plan"); // told: key=reason[@seconds ago]; now: key=reason
        row("new", "", "a=x", "a / 0 /  / ");
        row("reason changed", "a=x", "a=y", "a / 0 /  / ");
        row("reason changed within the minute: later", "a=x@20", "a=y", " / 0 /  / a");
        row("back within the minute: later", "b=x a@30", "a=x b=x", " / 0 /  / a");
        row("left: withdrawn", "a=x b=y", "b=y", " / 0 / a / ");
        row("all left: the summary goes too", "a=x", "", " / 0 / a summary / ");
        row("a burst is one summary", "z=w", "a=x b=x c=x d=x z=w", " / 5 /  / ");
        row("three at once are each told", "", "a=x b=x c=x", "a b c / 0 /  / ");
        row("start-up sums up what already waits, once", "!", "a=x b=y", " / 2 /  / ");
        row("start-up with nothing waiting", "!", "", " / 0 /  / ");
    }

    void whatIsShownAndWithdrawn() {
        const auto [told, now] = fetch<QString, QString>({"told", "now"});
        const QDateTime at(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
        NoticeHistory history;
        for (const QString& entry : told.split(u' ', Qt::SkipEmptyParts)) {
            const QString key = entry.section(u'@', 0, 0).section(u'=', 0, 0);
            if (entry.section(u'@', 0, 0).contains(u'='))
                history.notified.insert(key, entry.section(u'@', 0, 0).section(u'=', 1));
            if (entry.contains(u'@'))
                history.lastShownAt.insert(key, at.addSecs(-entry.section(u'@', 1).toInt()));
        }
        QList<NeedsYouNotice> notices;
        for (const QString& entry : now.split(u' ', Qt::SkipEmptyParts))
            notices.append({entry.section(u'=', 0, 0), QString(), entry.section(u'=', 1)});
        const NoticePlan plan = planNotices(history, notices, told == u"!", at, english);
        const QString summary = plan.summary.value_or(QStringLiteral("0")).section(u' ', 0, 0);
        QVERIFY(!plan.summary || *plan.summary == summary + QStringLiteral(" conversations are waiting for you"));
        QTEST(keys(plan.show) + " / " + summary + " / " + plan.withdraw.join(u' ') + " / " +
                  keys(planNotices(plan.history, notices, false, at.addSecs(61), english).show),
              "plan");
    }

    void predicates_data() {
        textColumns("record", "expected"); // running | state | label | retry | analyze | can set auto-continue
        row("empty record", "{}", "0 | unanalysed | Not analyzed | 0 | 0 | 0");
        row("awaiting turn without isRunning",
            R"({"analysis":{"state":"failed","awaitingTurn":true},"capabilities":{"canAnalyze":true}})",
            "1 | waiting | Running | 0 | 0 | 0");
        row("unknown analysis state", R"({"analysis":{"state":"exploded"},"capabilities":{"canAnalyze":true}})",
            "0 | uncertain | Needs another check | 1 | 1 | 0");
        row("limit stops the retry, not a first analysis",
            R"({"autoContinueStatus":"limit","analysis":{"state":"failed"},"capabilities":{"canAnalyze":true}})",
            "0 | failed | Analysis unavailable | 0 | 1 | 0");
        row("error status offers a retry",
            R"({"autoContinueStatus":"error","analysis":{"state":"continue"},"capabilities":{"canAnalyze":true}})",
            "0 | continue | Work remains | 1 | 1 | 0");
        row("canAutoContinue decides before canContinue",
            R"({"capabilities":{"canAutoContinue":false,"canContinue":true}})",
            "0 | unanalysed | Not analyzed | 0 | 0 | 0");
        row("running hides the auto-continue status",
            R"({"autoContinue":true,"autoContinueStatus":"finished","isRunning":true})",
            "1 | waiting | Running | 0 | 0 | 1");
        row("finished", R"({"autoContinue":true,"autoContinueStatus":"finished","analysis":{"state":"continue"}})",
            "0 | continue | Finished | 0 | 0 | 1");
    }

    void predicates() {
        QFETCH(QString, record);
        const QJsonObject session = json(record);
        QTEST(joined({QString::number(sessionTurnRunning(session)), sessionAnalysisState(session),
                      sessionAnalysisLabel(session, english), QString::number(canRetrySessionAnalysis(session)),
                      QString::number(sessionAnalysisAction(session).has_value()),
                      QString::number(canSetAutoContinue(session))}),
              "expected");
    }

    // Titles and provider names are host text: masked, cut, and never read as markup.
    void displayTitle_data() {
        textColumns("record", "shown"); // title | provider
        const QString words = QStringLiteral("ab ").repeated(3334);
        row("title", R"({"provider":"codex","title":" Fix exports "})", "Fix exports | Codex");
        row("blank title", R"({"provider":"claude","session":"4e8c2a19-d7b3","title":"  "})",
            "Claude Code · 4e8c2a19 | Claude Code");
        row("10,000-character title", QStringLiteral(R"({"provider":"codex","title":"%1"})").arg(words),
            words.trimmed().left(180) + " | Codex");
        row("markup with a link", "{\"title\":\"<a href=\\\"https:\\/\\/evil.test/x\\\">click</a> <b>now</b>\"}",
            "<a href=\"••• <b>now</b> | ");
        row("control characters and line breaks", "{\"title\":\"\\u0007Fix\\u0000 it\\nnow\\u2028\\t\"}",
            "Fix  it now | ");
        row("address as provider", R"({"provider":"https:\/\/evil.test","session":"s"})", "••• · s | •••");
    }

    void displayTitle() {
        QFETCH(QString, record);
        QTEST(joined({sessionDisplayTitle(json(record)), providerDisplayName(json(record))}), "shown");
    }

    void pane_data() {
        textColumns("record", "runs",
                    "lines"); // kind and takeover | headline | badge | goal (or "-") | attention | next
        row("takeover without a run", R"({"provider":"codex","session":"s1","title":"Fix exports",
            "cwd":"/home/alex/src/ledger-api/","binding":{"mode":"pending_takeover"}})",
            "[]",
            "placeholder | Waiting to take over this session | Pending takeover | Session: Fix exports · ledger-api | "
            "Checking when the original session can be safely taken over. | "
            "No second writer will start while the session is busy.");
        row("managed without a run", R"({"provider":"codex","session":"s1","title":"Fix","cwd":"",
            "binding":{"mode":"managed"},"reason":7})",
            "[]", "placeholder | Checking session state | Loading state | Session: Fix |  | ");
        row("monitored conversation", R"({"provider":"codex","session":"s1","binding":{"mode":"monitor"}})",
            R"([{"provider":"codex","session":"s1","state":"active"}])", "conversation |  |  | - |  | ");
    }

    void pane() {
        const auto [record, runs] = fetch<QString, QString>({"record", "runs"});
        const SessionPanePresentation pane = sessionPanePresentation(json(record), jsonObjects(runs), english);
        QCOMPARE(pane.run.has_value(), pane.kind == SessionPaneKind::run);
        QTEST(joined({QStringList{"run", "placeholder", "conversation"}.value(int(pane.kind)), pane.headline,
                      pane.badge, pane.goal.value_or(QStringLiteral("-")), pane.attention, pane.next}),
              "lines");
    }

    // The form's controls (enabled ones marked "+") and the auto-continue switch (on, enabled as 0/1 | hint).
    void conversation_data() {
        // pending: an auto-continue change in flight
        columns<QString, bool, bool, bool, QString>({"record", "manualOpen", "pending", "reachable", "shown"});
        const char* failed = R"({"analysis":{"state":"failed"},"capabilities":{"canAnalyze":true,"canEnroll":true}})";
        const char* allowed = R"({"capabilities":{"canAutoContinue":true}})";
        row("failed analysis offers a retry", failed, false, false, true,
            "toggle retry+ | 00 | Unavailable for this session");
        row("retry idle while disconnected", failed, false, false, false,
            "toggle retry | 00 | Unavailable for this session");
        row("manual form hides the retry", failed, true, false, true,
            "toggle submit+ | 00 | Unavailable for this session");
        row("awaiting the turn", R"({"analysis":{"state":"failed","awaitingTurn":true},
            "capabilities":{"canAnalyze":true,"canEnroll":true}})",
            true, false, true, "submit | 00 | Unavailable for this session");
        row("decision needed", R"({"analysis":{"state":"needs_user"},"capabilities":{"canEnroll":"yes"}})", false,
            false, true, "needs you | 00 | Unavailable for this session");
        row("switch while disconnected", allowed, false, false, false, " | 00 | Continue unfinished work for me");
        row("switch change in flight", allowed, false, true, true, " | 00 | Updating…");
    }

    void conversation() {
        const auto [record, manualOpen, pending, reachable] =
            fetch<QString, bool, bool, bool>({"record", "manualOpen", "pending", "reachable"});
        const SessionConversationPresentation view =
            sessionConversationPresentation(json(record), manualOpen, reachable, english);
        QStringList controls{view.manualToggleVisible ? "toggle" : ""};
        controls << (view.retryVisible ? (view.retryEnabled ? "retry+" : "retry") : "")
                 << (view.manualSubmitVisible ? (view.manualSubmitEnabled ? "submit+" : "submit") : "")
                 << (view.needsYou ? "needs you" : "");
        const AutoContinueSwitchPresentation toggle =
            autoContinueSwitchPresentation(json(record), pending, reachable, english);
        QTEST(joined({controls.join(u' ').simplified(), QString::number(toggle.on) + QString::number(toggle.enabled),
                      toggle.hint}),
              "shown");
    }

    void analysisHeading_data() {
        textColumns("record", "heading"); // heading | intro
        row("running, whatever the analysis", R"({"isRunning":true,"analysis":{"state":"needs_user"}})",
            "Running | We’ll check what remains when this turn finishes.");
        row("work remains: next action first", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"continue","nextAction":"Add the test","reason":"Half done"}})",
            "Work remains | Add the test");
        row("watching after the analysis", R"({"autoContinue":true,"autoContinueStatus":"watching",
            "analysis":{"state":"continue","nextAction":"Add the test"}})",
            "Following up | Add the test");
        row("limit with an address", R"({"autoContinue":true,"autoContinueStatus":"limit",
            "autoContinueReason":"Budget spent: https:\/\/example.test/b"})",
            "Continuation limit reached | Budget spent: •••");
        row("Codex without auto-continue, with a reason", R"({"provider":"codex","autoContinueReason":"token: x1 gone",
            "analysis":{"state":"needs_user","reason":"Pick one"}})",
            "Auto-continue unavailable | ••• gone");
    }

    void analysisHeading() {
        QFETCH(QString, record);
        const SessionAnalysisHeading heading = sessionAnalysisHeading(json(record), english);
        QTEST(joined({heading.heading, heading.intro}), "heading");
    }

    // The details list: the previous turn's analysis while a new one is queued, the goal's quote not repeated as
    // evidence, at most six remaining items, and no date for a time beyond any calendar.
    void analysisDetails() {
        const QJsonObject record = json(R"({"providerGoal":{"objective":"Ignored","status":"paused","updatedAt":1e300},
            "analysis":{"state":"queued","reason":"Now","previousAnalysis":{"reason":"Half done","objective":"Ship CSV",
                "nextAction":"Add the test","remaining":["a"," ",7,"b","c","d","e","f","g"],
                "basis":[{"role":"goal","snippet":"Ship CSV"},{"role":"user","snippet":"Please"},
                         {"source":"log","snippet":"Built"},{"role":"user","snippet":"Fourth"}]}}})");
        QStringList lines;
        for (const SessionDetailEntry& entry :
             sessionAnalysisPresentation(record, true, false, english, QLocale::c()).details) {
            lines.append(entry.goal ? QStringLiteral("=") + entry.text : entry.text);
        }
        QCOMPARE(lines, QStringList({"Last finished turn", "Half done", "Goal", "=Ship CSV", "Original goal · Paused",
                                     "Still to do", "•  a", "•  b", "•  c", "•  d", "•  e", "•  f", "Next up",
                                     "Add the test", "Your request: “Please”", "Conversation result: “Built”"}));
        QVERIFY(!sessionAnalysisPresentation(record, false, false, english, QLocale::c()).detailsVisible);
    }

    // The way back to the original conversation is offered where the user must act there.
    void analysisOpenButton_data() {
        textColumns("record", "visible"); // live, preview as 0/1
        row("decision needed, no way there",
            R"({"capabilities":{"canAutoContinue":true},"analysis":{"state":"needs_user"},"originalSessionTarget":{}})",
            "01");
        row("decision needed, manual way",
            R"({"analysis":{"state":"needs_user"},"originalSessionTarget":{"kind":"manual"}})", "11");
        row("kind in capitals", R"({"autoContinueStatus":"needs_user","originalSessionTarget":{"kind":"URL"}})", "01");
        row("complete", R"({"analysis":{"state":"no_action"},"originalSessionTarget":{"kind":"url"}})", "00");
    }

    void analysisOpenButton() {
        QFETCH(QString, record);
        QTEST(QString::number(sessionAnalysisOpenVisible(json(record), false)) +
                  QString::number(sessionAnalysisOpenVisible(json(record), true)),
              "visible");
    }

    // What the manual goal sends, and the bounds it must keep (in user-perceived characters).
    void enrolment_data() {
        textColumns("record", "goal", "criteria", "outcome");
        const auto lines = [](int count, int length) {
            return QStringList(count, QString(length, QLatin1Char('c'))).join(QLatin1Char('\n'));
        };
        const char* allowed = R"({"provider":"codex","session":"a","capabilities":{"canEnroll":true}})";
        row("20 criteria of 500 and a goal of 2000", allowed, QString(2000, u'g'), lines(20, 500), "ready");
        row("500 characters of two code units", allowed, "Goal",
            QString(500, u'é').normalized(QString::NormalizationForm_D), "ready");
        row("21 criteria", allowed, "Goal", lines(21, 10), "refused");
        row("a criterion of 501", allowed, "Goal", lines(1, 501), "refused");
        row("a goal of 2001", allowed, QString(2001, u'g'), "one", "refused");
        row("no criteria", allowed, "Goal", " \n\u2028 ", "refused");
        row("not allowed", R"({"provider":"codex","session":"a"})", "Goal", "one", "ignored");
    }

    void enrolment() {
        const auto [record, goal, criteria, outcome] =
            fetch<QString, QString, QString, QString>({"record", "goal", "criteria", "outcome"});
        const SessionEnrolment enrolment = sessionEnrolment(json(record), {goal, criteria}, english);
        QCOMPARE(QStringList({"ignored", "refused", "ready"}).value(int(enrolment.outcome)), outcome);
        QCOMPARE(enrolment.message.isEmpty(), outcome != u"refused");
    }

    void enrolmentFields() {
        SessionDraft draft{QStringLiteral("  Ship it \n"), QStringLiteral("tests pass\n\n reviewed "),
                           QStringLiteral("strict"), 60};
        QCOMPARE(sessionEnrolment(json(R"({"provider":"codex","session":"a","capabilities":{"canEnroll":true}})"),
                                  draft, english)
                     .fields,
                 json(R"({"provider":"codex","session":"a","objective":"Ship it",
            "autonomyPolicy":"strict","maxMinutes":60,"maxContinuations":6,"maxFailures":3,"acceptanceCriteria":[
            {"id":"criterion_1","description":"tests pass","check":{"type":"manual"}},
            {"id":"criterion_2","description":"reviewed","check":{"type":"manual"}}]})"));
    }

    // The switch asks for the opposite of what the record says, whatever it shows.
    void autoContinueToggle_data() {
        // record: "null": the conversation is gone; sent: the fields sent; "redraw" or "ignored" otherwise
        columns<QString, bool, bool, QString>({"record", "reachable", "pending", "sent"});
        const char* allowed = R"({"provider":"codex","session":"a","capabilities":{"canAutoContinue":true}})";
        row("turn it on", allowed, true, false, R"({"enabled":true,"provider":"codex","session":"a"})");
        row("turn it off", R"({"provider":"codex","session":"a","autoContinue":true})", true, false,
            R"({"enabled":false,"provider":"codex","session":"a"})");
        row("not allowed", R"({"provider":"codex","session":"a","capabilities":{}})", true, false, "redraw");
        row("no host", allowed, false, false, "redraw");
        row("a change in flight", allowed, true, true, "ignored");
    }

    void autoContinueToggle() {
        const auto [record, reachable, pending] = fetch<QString, bool, bool>({"record", "reachable", "pending"});
        const AutoContinueToggle toggle = ::autoContinueToggle(jsonRecord(record), reachable, pending);
        const QString outcome = QStringList({"redraw", "ignored", "send"}).value(int(toggle.outcome));
        QTEST(outcome == u"send" ? compact(toggle.fields) : outcome, "sent");
    }
};

VODU_TEST_SUITE(SessionLogicTest)
#include "SessionLogicTest.moc"
