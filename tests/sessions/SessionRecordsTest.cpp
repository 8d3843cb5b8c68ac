#include "sessions/records/SessionRecords.h"
#include "SessionJson.h"
#include "TestRegistry.h"

#include <QTest>

namespace {

const Copy english{false};

} // namespace

class SessionRecordsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void predicates_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<bool>("analyze"); // the analysis button would send "session_analyze"
        QTest::addColumn<bool>("canSet");
        const auto add = [](const char* name, const char* record, bool running, const char* state, const char* label,
                            bool retry, bool analyze, bool canSet) {
            QTest::newRow(name) << QString(record) << running << QString(state) << QString::fromUtf8(label) << retry
                                << analyze << canSet;
        };
        add("empty record", "{}", false, "unanalysed", "Not analyzed", false, false, false);
        add("awaiting turn without isRunning",
            R"({"analysis":{"state":"failed","awaitingTurn":true},"capabilities":{"canAnalyze":true}})", true,
            "waiting", "Running", false, false, false);
        add("mistyped isRunning", R"({"isRunning":"yes","analysis":{"state":"continue"}})", false, "continue",
            "Work remains", false, false, false);
        add("unknown analysis state", R"({"analysis":{"state":"exploded"},"capabilities":{"canAnalyze":true}})", false,
            "uncertain", "Needs another check", true, true, false);
        add("state in capitals", R"({"analysis":{"state":"FAILED"}})", false, "uncertain", "Needs another check", true,
            false, false);
        add("state not a string", R"({"analysis":{"state":7},"capabilities":{"canAnalyze":true}})", false, "unanalysed",
            "Not analyzed", false, true, false);
        add("analysis not an object", R"({"analysis":"failed"})", false, "unanalysed", "Not analyzed", false, false,
            false);
        add("canAnalyze mistyped", R"({"analysis":{"state":"failed"},"capabilities":{"canAnalyze":"true"}})", false,
            "failed", "Analysis unavailable", true, false, false);
        add("limit stops the retry, not a first analysis",
            R"({"autoContinueStatus":"limit","analysis":{"state":"failed"},"capabilities":{"canAnalyze":true}})", false,
            "failed", "Analysis unavailable", false, true, false);
        add("error status offers a retry", R"({"autoContinueStatus":"error","analysis":{"state":"continue"},
            "capabilities":{"canAnalyze":true}})",
            false, "continue", "Work remains", true, true, false);
        add("watching with a finished analysis",
            R"({"autoContinue":true,"autoContinueStatus":"watching","analysis":{"state":"continue"}})", false,
            "continue", "Work remains", false, false, true);
        add("watching while queued",
            R"({"autoContinue":true,"autoContinueStatus":"watching","analysis":{"state":"queued"}})", false, "queued",
            "Checking…", false, false, true);
        add("empty capabilities with auto-continue on", R"({"autoContinue":true,"capabilities":{}})", false,
            "unanalysed", "Not analyzed", false, false, true);
        add("canAutoContinue decides before canContinue",
            R"({"capabilities":{"canAutoContinue":false,"canContinue":true}})", false, "unanalysed", "Not analyzed",
            false, false, false);
        add("canContinue when canAutoContinue is mistyped",
            R"({"capabilities":{"canAutoContinue":"yes","canContinue":true}})", false, "unanalysed", "Not analyzed",
            false, false, true);
        add("running hides the auto-continue status",
            R"({"autoContinue":true,"autoContinueStatus":"finished","isRunning":true})", true, "waiting", "Running",
            false, false, true);
        add("finished", R"({"autoContinue":true,"autoContinueStatus":"finished","analysis":{"state":"continue"}})",
            false, "continue", "Finished", false, false, true);
        add("status without auto-continue",
            R"({"autoContinue":"true","autoContinueStatus":"finished","analysis":{"state":"no_action"}})", false,
            "no_action", "Complete", false, false, false);
    }

    void predicates() {
        QFETCH(QString, record);
        QFETCH(bool, running);
        QFETCH(QString, state);
        QFETCH(QString, label);
        QFETCH(bool, retry);
        QFETCH(bool, analyze);
        QFETCH(bool, canSet);
        const QJsonObject session = jsonObject(record);
        QCOMPARE(sessionTurnRunning(session), running);
        QCOMPARE(sessionAnalysisState(session), state);
        QCOMPARE(sessionAnalysisLabel(session, english), label);
        QCOMPARE(canRetrySessionAnalysis(session), retry);
        QCOMPARE(sessionAnalysisAction(session).has_value(), analyze);
        QCOMPARE(canSetAutoContinue(session), canSet);
    }

    void autoContinuePresentation_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("title"); // empty: none
        QTest::addColumn<QString>("reason");
        const auto add = [](const char* name, const char* record, const char* title, const char* reason) {
            QTest::newRow(name) << QString(record) << QString::fromUtf8(title) << QString::fromUtf8(reason);
        };
        add("limit with an address in the reason",
            R"({"autoContinue":true,"autoContinueStatus":"limit",
                "autoContinueReason":"  Stopped, see https:\/\/example.test/run/7 for details "})",
            "Continuation limit reached", "Stopped, see ••• for details");
        add("blank reason keeps the fixed one", R"({"autoContinue":true,"autoContinueStatus":"error",
            "autoContinueReason":" \n "})",
            "Couldn’t check this turn", "Could not establish what remains. You can retry.");
        add("credential in the reason", R"({"autoContinue":true,"autoContinueStatus":"needs_user",
            "autoContinueReason":"token=abc123 expired"})",
            "Your decision needed", "••• expired");
        add("unknown status", R"({"autoContinue":true,"autoContinueStatus":"paused"})", "", "");
        add("status not a string", R"({"autoContinue":true,"autoContinueStatus":["limit"]})", "", "");
        add("auto-continue off", R"({"autoContinueStatus":"limit"})", "", "");
        add("watching while analyzing", R"({"autoContinue":true,"autoContinueStatus":"watching",
            "analysis":{"state":"analyzing"}})",
            "Checking what remains…", "Reviewing the latest finished turn.");
        add("watching after a failed analysis",
            R"({"autoContinue":true,"autoContinueStatus":"watching","analysis":{"state":"failed"}})", "", "");
    }

    void autoContinuePresentation() {
        QFETCH(QString, record);
        QFETCH(QString, title);
        QFETCH(QString, reason);
        const std::optional<AutoContinuePresentation> presentation =
            ::autoContinuePresentation(jsonObject(record), english);
        QCOMPARE(presentation.has_value(), !title.isEmpty());
        if (presentation) {
            QCOMPARE(presentation->title, title);
            QCOMPARE(presentation->reason, reason);
        }
    }

    void runPredicates_data() {
        QTest::addColumn<QString>("run");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("handoff"); // empty: none
        QTest::addColumn<bool>("dependency");
        const auto add = [](const char* name, const char* run, bool manual, const char* handoff, bool dependency) {
            QTest::newRow(name) << QString(run) << manual << QString(handoff) << dependency;
        };
        add("destructive action while active",
            R"({"provider":"codex","state":"active","approvedAction":{"id":"a1","action":{"kind":"destructive"}}})",
            true, "Awaiting result", false);
        add("external action needing recovery", R"({"provider":"codex","state":"recovery_required",
            "approvedAction":{"id":"a1","action":{"kind":"external"}}})",
            true, "Handoff needed", false);
        add("scope change once reported done", R"({"provider":"codex","state":"reported_done",
            "approvedAction":{"id":"a1","action":{"kind":"scope_change"}}})",
            true, "", false);
        add("an ordinary write", R"({"provider":"codex","state":"active",
            "approvedAction":{"id":"a1","action":{"kind":"write"}}})",
            false, "", false);
        add("Claude Code run", R"({"provider":"claude","state":"active",
            "approvedAction":{"id":"a1","action":{"kind":"destructive"}}})",
            false, "", false);
        add("provider in capitals", R"({"provider":"Codex","state":"active",
            "approvedAction":{"id":"a1","action":{"kind":"destructive"}}})",
            false, "", false);
        add("empty approval id", R"({"provider":"codex","state":"active",
            "approvedAction":{"id":"","action":{"kind":"destructive"}}})",
            false, "", false);
        add("blocked on a dependency", R"({"state":"blocked","dependencyWait":{"id":"dep1"}})", false, "", true);
        add("blocked without a dependency id", R"({"state":"blocked","dependencyWait":{"id":""}})", false, "", false);
        add("dependency while active", R"({"state":"active","dependencyWait":{"id":"dep1"}})", false, "", false);
    }

    void runPredicates() {
        QFETCH(QString, run);
        QFETCH(bool, manual);
        QFETCH(QString, handoff);
        QFETCH(bool, dependency);
        const QJsonObject record = jsonObject(run);
        QCOMPARE(hasApprovedManualCodexAction(record), manual);
        QCOMPARE(approvedHandoffStatus(record, english).value_or(QString()), handoff);
        QCOMPARE(dependencyWaiting(record), dependency);
    }

    // The run of a conversation, found one at a time or through the index: the same answer either way.
    void matchingRun_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("match"); // the matching run's taskId; empty: none
        const auto add = [](const char* name, const char* record, const char* match) {
            QTest::newRow(name) << QString(record) << QString(match);
        };
        add("first of two runs", R"({"provider":"codex","session":"s1"})", "first");
        add("other provider", R"({"provider":"claude","session":"s1"})", "claude");
        add("no run", R"({"provider":"codex","session":"s9"})", "");
        add("record without ids matches a run without ids", "{}", "no ids");
        add("record with empty ids matches a run with empty ids", R"({"provider":"","session":""})", "empty");
        add("a missing provider matches only a missing one", R"({"session":"s1"})", "no provider");
        add("case matters", R"({"provider":"Codex","session":"s1"})", "");
    }

    void matchingRun() {
        QFETCH(QString, record);
        QFETCH(QString, match);
        const QList<QJsonObject> runs = jsonObjects(R"([
            {"session":"s1","taskId":"no provider"},
            {"provider":"codex","session":"s1","taskId":"first"},
            {"provider":"codex","session":"s1","taskId":"second"},
            {"provider":"claude","session":"s1","taskId":"claude"},
            {"provider":"","session":"","taskId":"empty"},
            {"taskId":"no ids"}
        ])");
        const QJsonObject session = jsonObject(record);
        const auto taskOf = [](const std::optional<QJsonObject>& run) {
            return run ? run->value(u"taskId").toString() : QString();
        };
        QCOMPARE(taskOf(matchingSessionRun(session, runs)), match);
        QCOMPARE(taskOf(SessionRunIndex(runs).find(session)), match);
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
        add("no title", R"({"provider":"codex","session":"0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85"})", "Codex · 0f3a9d27",
            "Codex");
        add("blank title", R"({"provider":"claude","session":"4e8c2a19-d7b3","title":"  "})", "Claude Code · 4e8c2a19",
            "Claude Code");
        add("10,000-character title", QStringLiteral(R"({"provider":"codex","title":"%1"})").arg(words),
            words.trimmed().left(180), "Codex");
        add("markup with a link", "{\"title\":\"<a href=\\\"https:\\/\\/evil.test/x\\\">click</a> <b>now</b>\"}",
            "<a href=\"••• <b>now</b>", "");
        add("control characters and line breaks", "{\"title\":\"\\u0007Fix\\u0000 it\\nnow\\u2028\\t\"}",
            QStringLiteral("Fix  it now"), "");
        add("mistyped provider and title", R"({"provider":7,"title":[],"session":"abc"})", " · abc", "");
        add("address as provider", R"({"provider":"https:\/\/evil.test","session":"s"})", "••• · s", "•••");
        add("provider of two words", R"({"provider":"open ai"})", "Open Ai · ", "Open Ai");
    }

    void displayTitle() {
        QFETCH(QString, record);
        QFETCH(QString, title);
        QFETCH(QString, provider);
        const QJsonObject session = jsonObject(record);
        QCOMPARE(sessionDisplayTitle(session), title);
        QCOMPARE(providerDisplayName(session), provider);
    }
};

VODU_TEST_SUITE(SessionRecordsTest)
#include "SessionRecordsTest.moc"
