#include "sessions/home/HomePresentation.h"
#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/original/OriginalConversation.h"

namespace {

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

} // namespace

class HomePresentationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        const auto add = [](const char* name, const char* conversation, const char* run, HomeLinkNotice notice,
                            const char* feedback, const char* shown) {
            QTest::newRow(name) << QString::fromUtf8(conversation) << QString::fromUtf8(run) << static_cast<int>(notice)
                                << QString::fromUtf8(feedback) << QString::fromUtf8(shown);
        };
        const char* run = R"({"provider":"codex","session":"s1","taskId":"t1","objective":"Ship\nthe docs"})";
        const char* managed = R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"managed"}})";
        using Notice = HomeLinkNotice;
        add("nothing selected", "null", "null", Notice::none, "",
            "Sessions ·  | No sessions | Select a session | - | Discovery is off |  | ");
        add("nothing selected, no service", "null", "null", Notice::disconnected, "",
            "Sessions ·  | Disconnected | Status unavailable | - | Service ended |  | ");
        add("a run on its own says which", "null", run, Notice::none, "",
            "Ship the docs · Codex | In progress | Run headline | - | - | primary controls understanding | ");
        add("a pending takeover over its run",
            R"({"provider":"codex","session":"s1","title":"Docs","binding":{"mode":"pending_takeover"},
                "reason":"Busy: see https:\/\/x.test/1"})",
            run, Notice::none, "",
            "Docs · Codex | Pending takeover | Waiting to take over this session | Busy: see ••• | No second writer "
            "will start while the original session is busy. | controls understanding | ");
        add("the service starting", managed, run, Notice::waiting, "",
            "Docs · Codex | Connecting… | Checking managed work… | - | Waiting for service status. |  | ");
        add("progress on the feedback line", managed, run, Notice::none, "Sending action…",
            "Docs · Codex | In progress | Run headline | - | - | primary controls understanding | Sending action…");
        add("a refusal on the feedback line", managed, run, Notice::none, "!Not now.",
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
            HomeView runView;
            runView.stateBadge = QStringLiteral("In progress");
            runView.stateBadgeVisible = true;
            runView.headline = {QStringLiteral("Run headline"), true};
            runView.primary = {QStringLiteral("Review request"), true, true};
            runView.controls.visible = true;
            runView.understandingVisible = true;
            input.runView = runView;
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
};

VODU_TEST_SUITE(HomePresentationTest)
#include "HomePresentationTest.moc"
