#include "sessions/association/ActionAssociation.h"
#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/association/ActionDeadline.h"

namespace {

QJsonObject record(const QString& association) {
    return json(
        QStringLiteral(R"({"provider":"codex","session":"s1","taskId":"t1","actionAssociation":%1})").arg(association));
}

} // namespace

class ActionAssociationTest final : public QObject {
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
        const int select = int(AssociationCommand::select);
        const int refresh = int(AssociationCommand::refresh);
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
        const QJsonObject fields = associationFields(r, std::nullopt, AssociationCommand::select, QStringLiteral("a"));
        // The text on the wire, not only the value: a number above 2^53 must not pass through a double.
        QCOMPARE(compact(fields),
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
};

VODU_TEST_SUITE(ActionAssociationTest)
#include "ActionAssociationTest.moc"
