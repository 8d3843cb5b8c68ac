#include "sessions/conversation/SessionAnalysis.h"
#include "SessionJson.h"
#include "TestRegistry.h"

#include <QTest>

namespace {

const Copy english{false};
const QLocale locale = QLocale::c();

// Entries as lines; a goal entry is marked with "=".
QString detailsText(const QList<SessionDetailEntry>& entries) {
    QStringList lines;
    for (const SessionDetailEntry& entry : entries) {
        lines.append(entry.goal ? QStringLiteral("=") + entry.text : entry.text);
    }
    return lines.join(QLatin1Char('\n'));
}

QString sectionsText(const QList<CompactDetailSection>& sections) {
    QStringList lines;
    for (const CompactDetailSection& section : sections) {
        lines.append(QStringLiteral("[") + section.title + QStringLiteral("] ") + section.lines.join(u'|'));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class SessionAnalysisTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void heading_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("intro");
        const auto add = [](const char* name, const char* record, const char* heading, const char* intro) {
            QTest::newRow(name) << QString(record) << QString::fromUtf8(heading) << QString::fromUtf8(intro);
        };
        add("running, whatever the analysis", R"({"isRunning":true,"analysis":{"state":"needs_user"}})", "Running",
            "We’ll check what remains when this turn finishes.");
        add("not analysed, auto-continue off", R"({"capabilities":{"canAutoContinue":true}})", "Let VODU follow up",
            "Turn on to continue unfinished work in this conversation.");
        add("queued, auto-continue on", R"({"autoContinue":true,"analysis":{"state":"queued"}})",
            "Checking what remains…", "Checking the goal and latest result.");
        add("work remains: next action first", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"continue","nextAction":"Add the test","reason":"Half done"}})",
            "Work remains", "Add the test");
        add("work remains: reason", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"continue","nextAction":" ","reason":"Half done"}})",
            "Work remains", "Half done");
        add("work remains: nothing said",
            R"({"capabilities":{"canAutoContinue":true},"analysis":{"state":"continue","nextAction":3}})",
            "Work remains", "Unfinished work was found.");
        add("watching after the analysis", R"({"autoContinue":true,"autoContinueStatus":"watching",
            "analysis":{"state":"continue","nextAction":"Add the test"}})",
            "Following up", "Add the test");
        add("limit with an address", R"({"autoContinue":true,"autoContinueStatus":"limit",
            "autoContinueReason":"Budget spent: https:\/\/example.test/b"})",
            "Continuation limit reached", "Budget spent: •••");
        add("complete without auto-continue", R"({"analysis":{"state":"no_action"}})", "Nothing left to continue",
            "This conversation’s work is complete.");
        add("Claude Code without auto-continue", R"({"provider":"claude","analysis":{"state":"needs_user"}})",
            "Continue in Claude Code", "Open the original conversation to review it.");
        add("Codex without auto-continue, with a reason", R"({"provider":"codex","autoContinueReason":"token: x1 gone",
            "analysis":{"state":"needs_user","reason":"Pick one"}})",
            "Auto-continue unavailable", "••• gone");
        add("decision needed", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"needs_user","reason":"Pick one"}})",
            "Your decision needed", "Pick one");
        add("waiting", R"({"capabilities":{"canAutoContinue":true},"analysis":{"state":"waiting"}})", "Waiting",
            "Waiting for the pending condition to change.");
        add("unknown state", R"({"capabilities":{"canAutoContinue":true},"analysis":{"state":"odd"}})",
            "Couldn’t check this turn", "Could not establish what remains. You can retry.");
    }

    void heading() {
        QFETCH(QString, record);
        QFETCH(QString, heading);
        QFETCH(QString, intro);
        QCOMPARE(sessionAnalysisHeading(jsonObject(record), english), (SessionAnalysisHeading{heading, intro}));
    }

    void details_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("details");
        QTest::newRow("previous turn with everything")
            << QStringLiteral(R"({
            "providerGoal":{"objective":"Ignored: the analysis has one","status":"paused"},
            "analysis":{"state":"queued","reason":"Now","previousAnalysis":{
                "reason":"Half done","objective":"Ship CSV","nextAction":"Add the test",
                "remaining":["a"," ",7,"b","c","d","e","f","g"],
                "basis":[{"role":"goal","snippet":"Ship CSV"},{"role":"user","snippet":"Please"},
                         {"source":"log","snippet":"Built"},{"role":"user","snippet":"Fourth"}]}}})")
            << QStringLiteral("Last finished turn\nHalf done\nGoal\n=Ship CSV\n"
                              "Original goal · Paused\nStill to do\n•  a\n•  b\n"
                              "•  c\n•  d\n•  e\n•  f\nNext up\nAdd the test\n"
                              "Your request: “Please”\nConversation result: “Built”");
        QTest::newRow("running turn, goal from the provider")
            << QStringLiteral(R"({"isRunning":true,
            "providerGoal":{"objective":"Ship CSV"},
            "analysis":{"state":"continue","reason":"Half done","basis":[{"role":"provider_goal","snippet":"Ship CSV"}]}})")
            << QStringLiteral("Last finished turn\nHalf done\nGoal\n=Ship CSV");
        QTest::newRow("evidence that is not a list of objects")
            << QStringLiteral(R"({"analysis":{"basis":[{"role":"user","snippet":"Please"},"stray"]}})") << QString();
        QTest::newRow("nothing") << QStringLiteral(R"({"analysis":"x","providerGoal":[]})") << QString();
    }

    void details() {
        QFETCH(QString, record);
        QFETCH(QString, details);
        const SessionAnalysisPresentation area =
            sessionAnalysisPresentation(jsonObject(record), true, false, english, locale);
        QCOMPARE(detailsText(area.details), details);
        QCOMPARE(area.detailsToggleVisible, !details.isEmpty());
        QCOMPARE(area.detailsVisible, !details.isEmpty());
        QVERIFY(!sessionAnalysisPresentation(jsonObject(record), false, false, english, locale).detailsVisible);
    }

    void openButton_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("preview");
        const auto add = [](const char* name, const char* record, bool live, bool preview) {
            QTest::newRow(name) << QString(record) << live << preview;
        };
        add("decision needed, no way there", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"needs_user"},"originalSessionTarget":{}})",
            false, true);
        add("decision needed, manual way", R"({"capabilities":{"canAutoContinue":true},
            "analysis":{"state":"needs_user"},"originalSessionTarget":{"kind":"manual"}})",
            true, true);
        add("auto-continue unavailable, link", R"({"autoContinue":true,"autoContinueStatus":"unavailable",
            "originalSessionTarget":{"kind":"url"}})",
            true, true);
        add("kind in capitals", R"({"autoContinueStatus":"needs_user","originalSessionTarget":{"kind":"URL"}})", false,
            true);
        add("no auto-continue and nothing done", R"({"originalSessionTarget":{"kind":"url"}})", true, true);
        add("no auto-continue but complete", R"({"analysis":{"state":"no_action"},
            "originalSessionTarget":{"kind":"url"}})",
            false, false);
        add("follow-up possible", R"({"capabilities":{"canAutoContinue":true},"originalSessionTarget":{"kind":"url"}})",
            false, false);
    }

    void openButton() {
        QFETCH(QString, record);
        QFETCH(bool, live);
        QFETCH(bool, preview);
        QCOMPARE(sessionAnalysisOpenVisible(jsonObject(record), false), live);
        QCOMPARE(sessionAnalysisOpenVisible(jsonObject(record), true), preview);
    }

    void compactDetails_data() {
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("sections");
        QTest::newRow("understanding fills the gaps")
            << QStringLiteral(R"({"provider":"claude","autoContinue":true,"providerGoal":{"status":"paused"},
                "analysis":{"reason":"Half done","basis":[{"role":"user","snippet":"x"},5]}})")
            << QStringLiteral(R"({"objective":"Run goal","nextStep":"Deploy","sessionUnderstanding":{
                "objective":"Ship CSV","done":[" ","Wrote exporter",5],"nextAction":{"summary":7},
                "basis":[{"role":"goal","snippet":"Ship CSV"},{"role":"user_request","snippet":"Please"},
                         {"snippet":"  "},{"role":"assistant","snippet":"Fourth"}]}})")
            << QStringLiteral("[Goal] Ship CSV\n[Goal status] Original goal · Paused\n"
                              "[Last finished turn] Wrote exporter\n[Next step] Deploy\n"
                              "[Conversation context] Your request: “Please”\n[Original conversation] Open in Claude");
        QTest::newRow("the analysis first")
            << QStringLiteral(R"({"analysis":{"objective":"Mine","reason":"Half done","nextAction":"Next",
                "basis":[]}})")
            << QStringLiteral(R"({"objective":"Run goal","sessionUnderstanding":{"done":[],
                "basis":[{"role":"user","snippet":"Unused"}]}})")
            << QStringLiteral("[Goal] Mine\n[Last finished turn] Half done\n[Next step] Next\n"
                              "[Original conversation] Open in Codex");
        QTest::newRow("nothing known") << QStringLiteral("{}") << QStringLiteral(R"({"sessionUnderstanding":"x"})")
                                       << QStringLiteral("[Original conversation] Open in Codex");
    }

    void compactDetails() {
        QFETCH(QString, session);
        QFETCH(QString, run);
        QFETCH(QString, sections);
        QCOMPARE(sectionsText(compactSessionDetails(jsonObject(session), jsonObject(run), english, locale)), sections);
    }
};

VODU_TEST_SUITE(SessionAnalysisTest)
#include "SessionAnalysisTest.moc"
