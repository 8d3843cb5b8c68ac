#include "sessions/records/SessionRecords.h"
#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/conversation/SessionAnalysis.h"
#include "sessions/conversation/SessionForm.h"
#include "sessions/conversation/SessionPresentation.h"

class SessionRecordsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

VODU_TEST_SUITE(SessionRecordsTest)
#include "SessionRecordsTest.moc"
