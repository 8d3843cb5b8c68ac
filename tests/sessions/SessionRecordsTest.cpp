// The rules read from one conversation record: its analysis state and labels, its title, the pane it gets, what its
// analysis area says, and what the form may send.
#include "sessions/records/SessionRecords.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/conversation/SessionAnalysis.h"
#include "sessions/conversation/SessionForm.h"
#include "sessions/conversation/SessionPresentation.h"

#include <QTest>

namespace {

const Copy english{false};
const QLocale locale = QLocale::c();

QString joined(const QStringList& parts) {
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class SessionRecordsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void predicates_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("expected"); // running | state | label | retry | analyze | can set auto-continue
        const auto add = [](const char* name, const char* record, const char* expected) {
            QTest::newRow(name) << QString(record) << QString::fromUtf8(expected);
        };
        add("empty record", "{}", "0 | unanalysed | Not analyzed | 0 | 0 | 0");
        add("awaiting turn without isRunning",
            R"({"analysis":{"state":"failed","awaitingTurn":true},"capabilities":{"canAnalyze":true}})",
            "1 | waiting | Running | 0 | 0 | 0");
        add("unknown analysis state", R"({"analysis":{"state":"exploded"},"capabilities":{"canAnalyze":true}})",
            "0 | uncertain | Needs another check | 1 | 1 | 0");
        add("limit stops the retry, not a first analysis",
            R"({"autoContinueStatus":"limit","analysis":{"state":"failed"},"capabilities":{"canAnalyze":true}})",
            "0 | failed | Analysis unavailable | 0 | 1 | 0");
        add("error status offers a retry",
            R"({"autoContinueStatus":"error","analysis":{"state":"continue"},"capabilities":{"canAnalyze":true}})",
            "0 | continue | Work remains | 1 | 1 | 0");
        add("canAutoContinue decides before canContinue",
            R"({"capabilities":{"canAutoContinue":false,"canContinue":true}})",
            "0 | unanalysed | Not analyzed | 0 | 0 | 0");
        add("running hides the auto-continue status",
            R"({"autoContinue":true,"autoContinueStatus":"finished","isRunning":true})",
            "1 | waiting | Running | 0 | 0 | 1");
        add("finished", R"({"autoContinue":true,"autoContinueStatus":"finished","analysis":{"state":"continue"}})",
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
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("provider");
        const auto add = [](const char* name, const QString& record, const QString& title, const char* provider) {
            QTest::newRow(name) << record << title << QString(provider);
        };
        const QString words = QStringLiteral("ab ").repeated(3334);
        add("title", R"({"provider":"codex","title":" Fix exports "})", "Fix exports", "Codex");
        add("blank title", R"({"provider":"claude","session":"4e8c2a19-d7b3","title":"  "})", "Claude Code · 4e8c2a19",
            "Claude Code");
        add("10,000-character title", QStringLiteral(R"({"provider":"codex","title":"%1"})").arg(words),
            words.trimmed().left(180), "Codex");
        add("markup with a link", "{\"title\":\"<a href=\\\"https:\\/\\/evil.test/x\\\">click</a> <b>now</b>\"}",
            "<a href=\"••• <b>now</b>", "");
        add("control characters and line breaks", "{\"title\":\"\\u0007Fix\\u0000 it\\nnow\\u2028\\t\"}",
            QStringLiteral("Fix  it now"), "");
        add("address as provider", R"({"provider":"https:\/\/evil.test","session":"s"})", "••• · s", "•••");
    }

    void displayTitle() {
        QFETCH(QString, record);
        QTEST(sessionDisplayTitle(json(record)), "title");
        QTEST(providerDisplayName(json(record)), "provider");
    }

    void pane_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<int>("kind"); // SessionPaneKind
        QTest::addColumn<bool>("takeover");
        QTest::addColumn<QString>("lines"); // headline | badge | goal (or "-") | attention | next
        using Kind = SessionPaneKind;
        const auto add = [](const char* name, const char* record, const char* runs, Kind kind, bool takeover,
                            const char* lines) {
            QTest::newRow(name) << QString(record) << QString(runs) << static_cast<int>(kind) << takeover
                                << QString::fromUtf8(lines);
        };
        const char* run = R"([{"provider":"codex","session":"s1","state":"active"}])";
        add("takeover without a run", R"({"provider":"codex","session":"s1","title":"Fix exports",
            "cwd":"/home/alex/src/ledger-api/","binding":{"mode":"pending_takeover"}})",
            "[]", Kind::placeholder, false,
            "Waiting to take over this session | Pending takeover | Session: Fix exports · ledger-api | "
            "Checking when the original session can be safely taken over. | "
            "No second writer will start while the session is busy.");
        add("managed without a run", R"({"provider":"codex","session":"s1","title":"Fix","cwd":"",
            "binding":{"mode":"managed"},"reason":7})",
            "[]", Kind::placeholder, false, "Checking session state | Loading state | Session: Fix |  | ");
        add("monitored conversation", R"({"provider":"codex","session":"s1","binding":{"mode":"monitor"}})", run,
            Kind::conversation, false, " |  | - |  | ");
    }

    void pane() {
        QFETCH(QString, record);
        QFETCH(QString, runs);
        QFETCH(int, kind);
        const SessionPanePresentation pane = sessionPanePresentation(json(record), jsonObjects(runs), english);
        QCOMPARE(static_cast<int>(pane.kind), kind);
        QCOMPARE(pane.run.has_value(), pane.kind == SessionPaneKind::run);
        QTEST(pane.takeover, "takeover");
        QTEST(joined({pane.headline, pane.badge, pane.goal.value_or(QStringLiteral("-")), pane.attention, pane.next}),
              "lines");
    }

    void conversation_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("manualOpen");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("shown"); // the visible controls, enabled ones marked "+"
        QTest::addColumn<bool>("needsYou");
        const char* failed = R"({"analysis":{"state":"failed"},"capabilities":{"canAnalyze":true,"canEnroll":true}})";
        QTest::newRow("failed analysis offers a retry") << failed << false << true << "toggle retry+" << false;
        QTest::newRow("retry idle while disconnected") << failed << false << false << "toggle retry" << false;
        QTest::newRow("manual form hides the retry") << failed << true << true << "toggle submit+" << false;
        QTest::newRow("awaiting the turn") << R"({"analysis":{"state":"failed","awaitingTurn":true},
            "capabilities":{"canAnalyze":true,"canEnroll":true}})"
                                           << true << true << "submit" << false;
        QTest::newRow("decision needed") << R"({"analysis":{"state":"needs_user"},"capabilities":{"canEnroll":"yes"}})"
                                         << false << true << "" << true;
    }

    void conversation() {
        QFETCH(QString, record);
        QFETCH(bool, manualOpen);
        QFETCH(bool, reachable);
        const SessionConversationPresentation view =
            sessionConversationPresentation(json(record), manualOpen, reachable, english);
        QStringList controls;
        for (const auto& [name, visible, enabled] : {std::tuple{"toggle", view.manualToggleVisible, false},
                                                     {"retry", view.retryVisible, view.retryEnabled},
                                                     {"submit", view.manualSubmitVisible, view.manualSubmitEnabled}}) {
            if (visible) {
                controls.append(QString(name) + (enabled ? QStringLiteral("+") : QString()));
            }
        }
        QTEST(controls.join(QLatin1Char(' ')), "shown");
        QTEST(view.needsYou, "needsYou");
    }

    void autoContinueSwitch_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("shown"); // on/enabled as 0/1 | hint
        const char* allowed = R"({"capabilities":{"canAutoContinue":true}})";
        QTest::newRow("disconnected") << allowed << false << false << "00 | Continue unfinished work for me";
        QTest::newRow("not allowed") << "{}" << false << true << "00 | Unavailable for this session";
        QTest::newRow("change in flight") << allowed << true << true << "00 | Updating…";
    }

    void autoContinueSwitch() {
        QFETCH(QString, record);
        QFETCH(bool, pending);
        QFETCH(bool, reachable);
        const AutoContinueSwitchPresentation row =
            autoContinueSwitchPresentation(json(record), pending, reachable, english);
        QTEST(QString::number(row.on) + QString::number(row.enabled) + QStringLiteral(" | ") + row.hint, "shown");
    }

    // The provider's own goal: its objective, and a date whether sent in seconds or as text, none when out of range.
    void providerGoal_data() {
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QString>("shown"); // objective | the number of meta parts (a date adds the third)
        QTest::newRow("running, dated in seconds")
            << QStringLiteral(R"({"objective":" Ship ","status":"running","updatedAt":1778576700.5})")
            << QStringLiteral("Ship | 3");
        QTest::newRow("dated in text") << QStringLiteral(
                                              R"({"status":"budgetLimited","updatedAt":"2026-05-12T09:05:00Z"})")
                                       << QStringLiteral(" | 3");
        QTest::newRow("time beyond any calendar")
            << QStringLiteral(R"({"status":"paused","updatedAt":1e300})") << QStringLiteral(" | 2");
    }

    void providerGoal() {
        QFETCH(QString, goal);
        const ProviderGoalPresentation p =
            providerGoalPresentation(json(QStringLiteral(R"({"providerGoal":%1})").arg(goal)), english);
        QVERIFY(p.meta.startsWith(QStringLiteral("Original goal")));
        QTEST(p.objective.value_or(QString()) + QStringLiteral(" | ") +
                  QString::number(p.meta.split(QStringLiteral(" · ")).size()),
              "shown");
    }

    void analysisHeading_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("heading"); // heading | intro
        const auto add = [](const char* name, const char* record, const char* heading) {
            QTest::newRow(name) << QString(record) << QString::fromUtf8(heading);
        };
        add("running, whatever the analysis", R"({"isRunning":true,"analysis":{"state":"needs_user"}})",
            "Running | We’ll check what remains when this turn finishes.");
        add("work remains: next action first", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"continue","nextAction":"Add the test","reason":"Half done"}})",
            "Work remains | Add the test");
        add("watching after the analysis", R"({"autoContinue":true,"autoContinueStatus":"watching",
            "analysis":{"state":"continue","nextAction":"Add the test"}})",
            "Following up | Add the test");
        add("limit with an address", R"({"autoContinue":true,"autoContinueStatus":"limit",
            "autoContinueReason":"Budget spent: https:\/\/example.test/b"})",
            "Continuation limit reached | Budget spent: •••");
        add("Codex without auto-continue, with a reason", R"({"provider":"codex","autoContinueReason":"token: x1 gone",
            "analysis":{"state":"needs_user","reason":"Pick one"}})",
            "Auto-continue unavailable | ••• gone");
    }

    void analysisHeading() {
        QFETCH(QString, record);
        const SessionAnalysisHeading heading = sessionAnalysisHeading(json(record), english);
        QTEST(joined({heading.heading, heading.intro}), "heading");
    }

    // The details list: the previous turn's analysis while a new one is queued, the goal's quote not repeated as
    // evidence, and at most six remaining items.
    void analysisDetails() {
        const QJsonObject record = json(R"({"providerGoal":{"objective":"Ignored","status":"paused"},
            "analysis":{"state":"queued","reason":"Now","previousAnalysis":{"reason":"Half done","objective":"Ship CSV",
                "nextAction":"Add the test","remaining":["a"," ",7,"b","c","d","e","f","g"],
                "basis":[{"role":"goal","snippet":"Ship CSV"},{"role":"user","snippet":"Please"},
                         {"source":"log","snippet":"Built"},{"role":"user","snippet":"Fourth"}]}}})");
        QStringList lines;
        for (const SessionDetailEntry& entry :
             sessionAnalysisPresentation(record, true, false, english, locale).details) {
            lines.append(entry.goal ? QStringLiteral("=") + entry.text : entry.text);
        }
        QCOMPARE(lines, QStringList({"Last finished turn", "Half done", "Goal", "=Ship CSV", "Original goal · Paused",
                                     "Still to do", "•  a", "•  b", "•  c", "•  d", "•  e", "•  f", "Next up",
                                     "Add the test", "Your request: “Please”", "Conversation result: “Built”"}));
        QVERIFY(!sessionAnalysisPresentation(record, false, false, english, locale).detailsVisible);
    }

    // The way back to the original conversation is offered where the user must act there.
    void analysisOpenButton_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("visible"); // live, preview as 0/1
        QTest::newRow("decision needed, no way there")
            << QStringLiteral(
                   R"({"capabilities":{"canAutoContinue":true},"analysis":{"state":"needs_user"},"originalSessionTarget":{}})")
            << QStringLiteral("01");
        QTest::newRow("decision needed, manual way")
            << QStringLiteral(R"({"analysis":{"state":"needs_user"},"originalSessionTarget":{"kind":"manual"}})")
            << QStringLiteral("11");
        QTest::newRow("kind in capitals")
            << QStringLiteral(R"({"autoContinueStatus":"needs_user","originalSessionTarget":{"kind":"URL"}})")
            << QStringLiteral("01");
        QTest::newRow("complete") << QStringLiteral(
                                         R"({"analysis":{"state":"no_action"},"originalSessionTarget":{"kind":"url"}})")
                                  << QStringLiteral("00");
    }

    void analysisOpenButton() {
        QFETCH(QString, record);
        QTEST(QString::number(sessionAnalysisOpenVisible(json(record), false)) +
                  QString::number(sessionAnalysisOpenVisible(json(record), true)),
              "visible");
    }

    // A run of an auto-continue conversation: a short summary, the run's understanding filling the gaps.
    void compactDetails() {
        QStringList sections;
        for (const CompactDetailSection& section :
             compactSessionDetails(json(R"({"provider":"claude","autoContinue":true,"providerGoal":{"status":"paused"},
                          "analysis":{"reason":"Half done","basis":[{"role":"user","snippet":"x"},5]}})"),
                                   json(R"({"objective":"Run goal","nextStep":"Deploy","sessionUnderstanding":{
                          "objective":"Ship CSV","done":[" ","Wrote exporter",5],"nextAction":{"summary":7},
                          "basis":[{"role":"goal","snippet":"Ship CSV"},{"role":"user_request","snippet":"Please"},
                                   {"snippet":"  "},{"role":"assistant","snippet":"Fourth"}]}})"),
                                   english, locale)) {
            sections.append(section.title + QStringLiteral(": ") + section.lines.join(u'|'));
        }
        QCOMPARE(sections, QStringList({"Goal: Ship CSV", "Goal status: Original goal · Paused",
                                        "Last finished turn: Wrote exporter", "Next step: Deploy",
                                        "Conversation context: Your request: “Please”",
                                        "Original conversation: Open in Claude"}));
    }

    // What the manual goal sends, and the bounds it must keep (in user-perceived characters).
    void enrolment_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("outcome"); // SessionEnrolment::Outcome
        const auto lines = [](int count, int length) {
            return QStringList(count, QString(length, QLatin1Char('c'))).join(QLatin1Char('\n'));
        };
        const QString allowed =
            QStringLiteral(R"({"provider":"codex","session":"a","capabilities":{"canEnroll":true}})");
        const int ready = int(SessionEnrolment::Outcome::ready);
        const int refused = int(SessionEnrolment::Outcome::refused);
        const int ignored = int(SessionEnrolment::Outcome::ignored);
        QTest::newRow("20 criteria of 500 and a goal of 2000")
            << allowed << QString(2000, u'g') << lines(20, 500) << ready;
        QTest::newRow("500 characters of two code units")
            << allowed << "Goal" << QString(500, u'é').normalized(QString::NormalizationForm_D) << ready;
        QTest::newRow("21 criteria") << allowed << "Goal" << lines(21, 10) << refused;
        QTest::newRow("a criterion of 501") << allowed << "Goal" << lines(1, 501) << refused;
        QTest::newRow("a goal of 2001") << allowed << QString(2001, u'g') << "one" << refused;
        QTest::newRow("no criteria") << allowed << "Goal"
                                     << " \n\u2028 " << refused;
        QTest::newRow("not allowed") << R"({"provider":"codex","session":"a"})"
                                     << "Goal"
                                     << "one" << ignored;
    }

    void enrolment() {
        QFETCH(QString, record);
        QFETCH(QString, goal);
        QFETCH(QString, criteria);
        QFETCH(int, outcome);
        SessionDraft draft;
        draft.goal = goal;
        draft.criteria = criteria;
        const SessionEnrolment enrolment = sessionEnrolment(json(record), draft, english);
        QCOMPARE(int(enrolment.outcome), outcome);
        QCOMPARE(enrolment.message.isEmpty(), outcome != int(SessionEnrolment::Outcome::refused));
    }

    void enrolmentFields() {
        SessionDraft draft;
        draft.goal = QStringLiteral("  Ship it \n");
        draft.criteria = QStringLiteral("tests pass\n\n reviewed ");
        draft.policy = QStringLiteral("strict");
        draft.minutes = 60;
        const SessionEnrolment enrolment = sessionEnrolment(
            json(R"({"provider":"codex","session":"a","capabilities":{"canEnroll":true}})"), draft, english);
        QCOMPARE(enrolment.fields, json(R"({"provider":"codex","session":"a","objective":"Ship it",
            "autonomyPolicy":"strict","maxMinutes":60,"maxContinuations":6,"maxFailures":3,"acceptanceCriteria":[
            {"id":"criterion_1","description":"tests pass","check":{"type":"manual"}},
            {"id":"criterion_2","description":"reviewed","check":{"type":"manual"}}]})"));
    }

    // The switch asks for the opposite of what the record says, whatever it shows.
    void autoContinueToggle_data() {
        QTest::addColumn<QString>("record"); // "null": the conversation is gone
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("sent"); // the fields sent; "redraw" or "ignored" otherwise
        const char* allowed = R"({"provider":"codex","session":"a","capabilities":{"canAutoContinue":true}})";
        QTest::newRow("turn it on") << allowed << true << false
                                    << R"({"enabled":true,"provider":"codex","session":"a"})";
        QTest::newRow("turn it off") << R"({"provider":"codex","session":"a","autoContinue":true})" << true << false
                                     << R"({"enabled":false,"provider":"codex","session":"a"})";
        QTest::newRow("not allowed") << R"({"provider":"codex","session":"a","capabilities":{}})" << true << false
                                     << "redraw";
        QTest::newRow("no host") << allowed << false << false << "redraw";
        QTest::newRow("a change in flight") << allowed << true << true << "ignored";
    }

    void autoContinueToggle() {
        QFETCH(QString, record);
        QFETCH(bool, reachable);
        QFETCH(bool, pending);
        QFETCH(QString, sent);
        const AutoContinueToggle toggle = ::autoContinueToggle(jsonRecord(record), reachable, pending);
        using Outcome = AutoContinueToggle::Outcome;
        QCOMPARE(toggle.outcome == Outcome::send     ? QJsonDocument(toggle.fields).toJson(QJsonDocument::Compact)
                 : toggle.outcome == Outcome::redraw ? QByteArray("redraw")
                                                     : "ignored",
                 sent.toUtf8());
    }
};

VODU_TEST_SUITE(SessionRecordsTest)
#include "SessionRecordsTest.moc"
