#include "sessions/conversation/SessionPresentation.h"
#include "SessionJson.h"
#include "TestRegistry.h"

#include <QTest>

namespace {

const Copy english{false};

} // namespace

class SessionPresentationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        add("managed with its run", R"({"provider":"codex","session":"s1","binding":{"mode":"managed"}})", run,
            Kind::run, false, " |  | - |  | ");
        add("takeover over the run", R"({"provider":"codex","session":"s1","binding":{"mode":"pending_takeover"},
            "reason":"Busy: see https:\/\/x.test/1"})",
            run, Kind::run, true,
            "Waiting to take over this session | Pending takeover | - | Busy: see ••• | "
            "No second writer will start while the original session is busy.");
        add("takeover while the turn runs", R"({"provider":"codex","session":"s1","isRunning":true,
            "binding":{"mode":"pending_takeover"}})",
            run, Kind::run, false, " |  | - |  | ");
        add("takeover without a run", R"({"provider":"codex","session":"s1","title":"Fix exports",
            "cwd":"/home/alex/src/ledger-api/","binding":{"mode":"pending_takeover"}})",
            "[]", Kind::placeholder, false,
            "Waiting to take over this session | Pending takeover | Session: Fix exports · ledger-api | "
            "Checking when the original session can be safely taken over. | "
            "No second writer will start while the session is busy.");
        add("managed without a run", R"({"provider":"codex","session":"s1","title":"Fix","cwd":"",
            "binding":{"mode":"managed"},"reason":7})",
            "[]", Kind::placeholder, false, "Checking session state | Loading state | Session: Fix |  | ");
        add("standard loop ignores the run", R"({"provider":"codex","session":"s1","title":"Fix","cwd":"/",
            "binding":{"mode":"standard_loop"}})",
            run, Kind::placeholder, false, "Checking session state | Loading state | Session: Fix · / |  | ");
        add("monitored conversation", R"({"provider":"codex","session":"s1","binding":{"mode":"monitor"}})", run,
            Kind::conversation, false, " |  | - |  | ");
        add("binding of another type", R"({"provider":"codex","session":"s1","binding":"managed"})", run,
            Kind::conversation, false, " |  | - |  | ");
    }

    void pane() {
        QFETCH(QString, record);
        QFETCH(QString, runs);
        QFETCH(int, kind);
        QFETCH(bool, takeover);
        QFETCH(QString, lines);
        const SessionPanePresentation pane = sessionPanePresentation(jsonObject(record), jsonObjects(runs), english);
        QCOMPARE(static_cast<int>(pane.kind), kind);
        QCOMPARE(pane.run.has_value(), pane.kind == SessionPaneKind::run);
        QCOMPARE(pane.headlineLines, pane.kind == SessionPaneKind::run ? 3 : 1);
        QCOMPARE(pane.takeover, takeover);
        QCOMPARE(
            QStringList({pane.headline, pane.badge, pane.goal.value_or(QStringLiteral("-")), pane.attention, pane.next})
                .join(QStringLiteral(" | ")),
            lines);
    }

    void conversation_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("manualOpen");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("shown"); // the visible controls, enabled ones marked "+"
        QTest::addColumn<bool>("needsYou");
        const auto add = [](const char* name, const char* record, bool manualOpen, bool reachable, const char* shown,
                            bool needsYou) {
            QTest::newRow(name) << QString(record) << manualOpen << reachable << QString(shown) << needsYou;
        };
        const char* failed = R"({"analysis":{"state":"failed"},"capabilities":{"canAnalyze":true,"canEnroll":true}})";
        add("failed analysis offers a retry", failed, false, true, "toggle retry+", false);
        add("retry shown but idle while disconnected", failed, false, false, "toggle retry", false);
        add("manual form hides the retry", failed, true, true, "toggle submit+", false);
        add("awaiting the turn", R"({"analysis":{"state":"failed","awaitingTurn":true},
            "capabilities":{"canAnalyze":true,"canEnroll":true}})",
            true, true, "submit", false);
        add("retry without analysis allowed", R"({"analysis":{"state":"odd"}})", false, true, "retry", false);
        add("decision needed", R"({"analysis":{"state":"needs_user"},"capabilities":{"canEnroll":"yes"}})", false, true,
            "", true);
        add("auto-continue needs the user", R"({"autoContinue":true,"autoContinueStatus":"needs_user"})", false, true,
            "", true);
    }

    void conversation() {
        QFETCH(QString, record);
        QFETCH(bool, manualOpen);
        QFETCH(bool, reachable);
        QFETCH(QString, shown);
        QFETCH(bool, needsYou);
        const SessionConversationPresentation view =
            sessionConversationPresentation(jsonObject(record), manualOpen, reachable, english);
        QStringList controls;
        const auto note = [&controls](const char* name, bool visible, bool enabled) {
            if (visible) {
                controls.append(QString(name) + (enabled ? QStringLiteral("+") : QString()));
            }
        };
        note("toggle", view.manualToggleVisible, false);
        note("retry", view.retryVisible, view.retryEnabled);
        note("submit", view.manualSubmitVisible, view.manualSubmitEnabled);
        QCOMPARE(controls.join(QLatin1Char(' ')), shown);
        QCOMPARE(view.needsYou, needsYou);
        QCOMPARE(view.manualToggleTitle,
                 manualOpen ? QStringLiteral("Hide manual goal") : QStringLiteral("Set a goal manually"));
    }

    void autoContinueSwitch_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("hint");
        const char* allowed = R"({"capabilities":{"canAutoContinue":true}})";
        QTest::newRow("allowed") << allowed << false << true << false << true << "Continue unfinished work for me";
        QTest::newRow("disconnected") << allowed << false << false << false << false
                                      << "Continue unfinished work for me";
        QTest::newRow("not allowed") << "{}" << false << true << false << false << "Unavailable for this session";
        QTest::newRow("on, empty capabilities") << R"({"autoContinue":true,"capabilities":{}})" << false << true << true
                                                << true << "Continue unfinished work for me";
        QTest::newRow("change in flight") << allowed << true << true << false << false << "Updating…";
    }

    void autoContinueSwitch() {
        QFETCH(QString, record);
        QFETCH(bool, pending);
        QFETCH(bool, reachable);
        QFETCH(bool, on);
        QFETCH(bool, enabled);
        QFETCH(QString, hint);
        const AutoContinueSwitchPresentation row =
            autoContinueSwitchPresentation(jsonObject(record), pending, reachable, english);
        QCOMPARE(row.on, on);
        QCOMPARE(row.enabled, enabled);
        QCOMPARE(row.hint, hint);
    }

    void providerGoal_data() {
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QString>("objective"); // empty: none
        QTest::addColumn<int>("metaParts");     // a date adds the third
        QTest::newRow("running, dated in seconds")
            << R"({"objective":" Ship ","status":"running","updatedAt":1778576700.5})"
            << "Ship" << 3;
        QTest::newRow("dated in text") << R"({"status":"budgetLimited","updatedAt":"2026-05-12T09:05:00Z"})"
                                       << "" << 3;
        QTest::newRow("unknown status, zero time") << R"({"status":"odd","updatedAt":0})"
                                                   << "" << 1;
        QTest::newRow("time beyond any calendar") << R"({"updatedAt":1e300})"
                                                  << "" << 1;
        QTest::newRow("goal of another type") << R"("Ship")"
                                              << "" << 1;
    }

    void providerGoal() {
        QFETCH(QString, goal);
        QFETCH(QString, objective);
        QFETCH(int, metaParts);
        const ProviderGoalPresentation presentation =
            providerGoalPresentation(jsonObject(QStringLiteral(R"({"providerGoal":%1})").arg(goal)), english);
        QCOMPARE(presentation.objective.value_or(QString()), objective);
        QCOMPARE(presentation.meta.split(QStringLiteral(" · ")).size(), metaParts);
        QVERIFY(presentation.meta.startsWith(QStringLiteral("Original goal")));
    }
};

VODU_TEST_SUITE(SessionPresentationTest)
#include "SessionPresentationTest.moc"
