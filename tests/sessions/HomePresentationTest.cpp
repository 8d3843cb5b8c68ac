// What the Sessions home shows, decided as one value: the selection rule, and the pane for each situation with the
// pending takeover, the link's notices and the feedback line folded in.
#include "sessions/home/HomePresentation.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/home/HomeSelection.h"

#include <QTest>

namespace {

const Copy english{false};

// The value in one line: header | badge ("(…)" hidden) | headline | goal | attention | next | what shows | feedback
// ("-": empty).
QString describe(const HomeView& view) {
    const auto line = [](const HomeLine& shown) {
        return shown.visible ? shown.text : QStringLiteral("-");
    };
    QStringList shows;
    for (const auto& [on, name] : {std::pair{view.primary.visible, "primary"},
                                   {view.controls.visible, "controls"},
                                   {view.conversationFormVisible, "form"},
                                   {view.sessionStatusVisible, "eyeline"},
                                   {view.understandingVisible, "understanding"}}) {
        if (on) {
            shows.append(QString::fromLatin1(name));
        }
    }
    return QStringList{view.headerTitle + QStringLiteral(" · ") + view.headerProvider,
                       view.stateBadgeVisible ? view.stateBadge : u'(' + view.stateBadge + u')',
                       line(view.headline),
                       line(view.goal),
                       line(view.attention),
                       line(view.next),
                       shows.join(u'+'),
                       !view.feedback.visible ? QStringLiteral("hidden")
                       : view.feedback.text.isEmpty()
                           ? QStringLiteral("-")
                           : view.feedback.text + (view.feedbackFailure ? QStringLiteral("!") : QString())}
        .join(QStringLiteral(" | "));
}

// What the run area gives for a run: its lines, its primary button and controls, its understanding panel.
HomeView runPart() {
    HomeView view;
    view.stateBadge = QStringLiteral("In progress");
    view.stateBadgeVisible = true;
    view.headline = {QStringLiteral("Run headline"), true};
    view.primary = {QStringLiteral("Review request"), true, true};
    view.controls.visible = true;
    view.understandingVisible = true;
    return view;
}

} // namespace

class HomePresentationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // However a conversation or run is chosen, one rule decides the pair.
    void selectionRule_data() {
        QTest::addColumn<QString>("conversation");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("selected"); // conversation / run
        QTest::newRow("managed conversation: its run") << "codex|s1"
                                                       << ""
                                                       << "codex|s1 / codex|s1|t1";
        QTest::newRow("watched conversation: no run") << "codex|s2"
                                                      << ""
                                                      << "codex|s2 / ";
        QTest::newRow("takeover without a run") << "codex|s3"
                                                << ""
                                                << "codex|s3 / ";
        QTest::newRow("a run picked: its conversation") << ""
                                                        << "codex|s1|t2"
                                                        << "codex|s1 / codex|s1|t2";
        QTest::newRow("a run picked under another conversation") << "codex|s2"
                                                                 << "codex|s1|t2"
                                                                 << "codex|s1 / codex|s1|t2";
        QTest::newRow("a run without a conversation") << ""
                                                      << "codex|s9|t9"
                                                      << " / codex|s9|t9";
        QTest::newRow("a run no longer listed") << "codex|s1"
                                                << "codex|s1|gone"
                                                << "codex|s1 / codex|s1|t1";
        QTest::newRow("nothing listed") << "codex|zz"
                                        << ""
                                        << " / ";
    }

    void selectionRule() {
        QFETCH(QString, conversation);
        QFETCH(QString, run);
        const QList<QJsonObject> sessions = jsonObjects(R"([
            {"provider":"codex","session":"s1","binding":{"mode":"managed"}},
            {"provider":"codex","session":"s2","binding":{"mode":"monitor"}},
            {"provider":"codex","session":"s3","binding":{"mode":"pending_takeover"}}])");
        const QList<QJsonObject> runs = jsonObjects(R"([{"provider":"codex","session":"s1","taskId":"t1"},
            {"provider":"codex","session":"s1","taskId":"t2"}, {"provider":"codex","session":"s2","taskId":"t3"},
            {"provider":"codex","session":"s9","taskId":"t9"}])");
        const HomeSelection selected = homeSelection(sessions, runs, {conversation, run});
        QTEST(selected.conversation + QStringLiteral(" / ") + selected.run, "selected");
    }

    void situations_data() {
        QTest::addColumn<QString>("conversation"); // "null": none
        QTest::addColumn<QString>("run");          // "null": none
        QTest::addColumn<int>("notice");           // HomeLinkNotice
        QTest::addColumn<QString>("feedback");     // "!" first: a failure
        QTest::addColumn<QString>("shown");
        const auto add = [](const char* name, const char* conversation, const char* run, HomeLinkNotice notice,
                            const char* feedback, const char* shown) {
            QTest::newRow(name) << QString::fromUtf8(conversation) << QString::fromUtf8(run) << static_cast<int>(notice)
                                << QString::fromUtf8(feedback) << QString::fromUtf8(shown);
        };
        const char* run = R"({"provider":"codex","session":"s1","taskId":"t1","objective":"Ship\nthe docs"})";
        const char* managed = R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"managed"}})";
        using Notice = HomeLinkNotice;
        add("nothing selected", "null", "null", Notice::none, "",
            "Sessions ·  | No sessions | Select a session | - | - | Discovery is off |  | -");
        add("nothing selected, no service", "null", "null", Notice::disconnected, "",
            "Sessions ·  | Disconnected | Status unavailable | - | - | Service ended |  | -");
        add("a run under its conversation", managed, run, Notice::none, "",
            "Docs · Codex | In progress | Run headline | - | - | - | primary+controls+understanding | -");
        add("a run on its own says which", "null", run, Notice::none, "",
            "Ship the docs · Codex | In progress | Run headline | - | - | - | primary+controls+understanding | -");
        add("a pending takeover over its run",
            R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"pending_takeover"},
                "reason":"Busy"})",
            run, Notice::none, "",
            "Docs · Codex | Pending takeover | Waiting to take over this session | - | Busy | No second writer will "
            "start while the original session is busy. | controls+understanding | -");
        add("a managed conversation before its run", managed, "null", Notice::none, "",
            "Docs · Codex | Loading state | Checking session state | Session: Docs | - | - |  | -");
        add("a conversation", R"({"provider":"claude","session":"s2","title":"Notes"})", "null", Notice::none, "",
            "Notes · Claude Code | (Available) | - | - | - | - | form+eyeline | -");
        add("the service starting", managed, run, Notice::waiting, "",
            "Docs · Codex | Connecting… | Checking managed work… | - | - | Waiting for service status. |  | -");
        add("progress on the feedback line", managed, run, Notice::none, "Sending action…",
            "Docs · Codex | In progress | Run headline | - | - | - | primary+controls+understanding | Sending action…");
        add("a refusal on the feedback line", managed, run, Notice::none, "!Not now.",
            "Docs · Codex | In progress | Run headline | - | - | - | primary+controls+understanding | Not now.!");
    }

    void situations() {
        QFETCH(QString, conversation);
        QFETCH(QString, run);
        QFETCH(int, notice);
        QFETCH(QString, feedback);
        HomeInput input;
        input.notice = static_cast<HomeLinkNotice>(notice);
        input.disconnectedMessage = QStringLiteral("Service ended");
        input.reachable = true;
        input.discoveryMessage = QStringLiteral("Discovery is off");
        input.conversation = jsonRecord(conversation);
        input.run = jsonRecord(run);
        if (input.run) {
            input.runs = {*input.run};
            input.runView = runPart();
        }
        input.feedbackFailure = feedback.startsWith(u'!');
        input.feedback = input.feedbackFailure ? feedback.mid(1) : feedback;
        QTEST(describe(supervisionHomeView(input, english)), "shown");
    }
};

VODU_TEST_SUITE(HomePresentationTest)
#include "HomePresentationTest.moc"
