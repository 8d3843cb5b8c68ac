// The run's details tabs and the understanding panel as drawn: sections, fallbacks, limits, host text shown
// literally, and the clarification answer.
#include "RunPane.h"
#include "TestRegistry.h"
#include "delivery/DeliveryDetails.h"
#include "ui/FlatButtons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

namespace {

const char* kBase = R"({"provider":"codex","session":"s1","taskId":"t1","managed":true,"state":"active"})";

QJsonObject run(const char* extra = "{}") {
    return runRecord(kBase, extra);
}

// The texts of the labels named `name` under `root`, in the order they were laid out.
QStringList texts(const QWidget* root, const char* name) {
    QStringList found;
    for (const QLabel* label : root->findChildren<QLabel*>(QString::fromLatin1(name))) {
        if (!label->isHidden()) {
            found.append(label->text());
        }
    }
    return found;
}

const char* kQuestion = R"({"phase":"needs_clarification","canAnswer":true,
    "understandingQuestion":{"id":"q1","text":"Per customer or per API key?"}})";

} // namespace

class DetailsAndUnderstandingTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each tab's cards are checked on the details value; here, that a tab's sections reach its body.
    void tabs_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QStringList>("sections");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("options") << run(R"({"plan":{"diagnosis":"Duplicate invoices on retry","selectedOptionId":"o2",
            "alternatives":[{"id":"o1","action":{"summary":"Replay events","kind":"write","scope":"production"},
                             "assessment":{"risk":"high","reversibility":"irreversible"}},{"id":"o2"}],
            "recommendation":{"optionId":"o1","reason":"Fastest"}}})")
                                 << "deliveryPlanTab" << QStringList{"Diagnosis", "Options", "Recommendation"}
                                 << QStringList{"Duplicate invoices on retry", "Replay events", "o2 · Selected",
                                                "Replay events", "Fastest"};
        QTest::newRow("activity") << run(R"({"decision":{"action":{"summary":"Subset fonts"},"outcome":"applied"},
            "decisionHistory":[{"action":{"scope":"build/"},"result":"succeeded"},7,{"action":{}}]})")
                                  << "deliveryActivityTab" << QStringList{"Current decision", "Recent decisions"}
                                  << QStringList{"Subset fonts", "build/"};
        QTest::newRow("evidence") << run(R"({"state":"reported_done","verification":{"verified":1,"total":2,
            "results":{"c1":{"verified":true,"source":"user_attestation","checkedAt":"2026-05-12"}}},
            "acceptanceCriteria":[{"id":"c1","description":"Docs reviewed"},{"id":"c2"}]})")
                                  << "deliveryEvidenceTab" << QStringList{"Verification status", "Acceptance criteria"}
                                  << QStringList{"Provider reported completion. This is not independent verification.",
                                                 "1/2 criteria verified", "Docs reviewed", "c2"};
    }
    void tabs() {
        QFETCH(QJsonObject, record);
        QFETCH(QString, tab);
        QFETCH(QStringList, sections);
        QFETCH(QStringList, titles);
        RunPane pane;
        pane.show({record});
        pane.click("deliveryDetailsToggle");
        pane.click(qPrintable(tab));
        QWidget* body = pane.home.deliveryDetailsBody();
        QCOMPARE(texts(body, "deliveryDetailSectionTitle"), sections);
        QCOMPARE(texts(body, "deliveryDetailTitle"), titles);
        QVERIFY(pane.view<DetailsTabButton>(qPrintable(tab))->isSelected());
        QVERIFY(pane.visible("deliveryTabButtons"));
    }

    void factsAndFacets() {
        RunPane pane;
        pane.show({run(R"({"decision":{"outcome":"applied","reason":"Within budget","policy":"balanced",
            "assessment":{"risk":"low","inObjective":true,"blastRadius":"multi_system","custom_word":"x"},
            "rollback":"Revert the commit"},
            "decisionHistory":[{"action":{"summary":"Paused"},"result":"paused","at":"2026-05-10T09:30:00Z"}]})")});
        pane.click("deliveryDetailsToggle");
        pane.click("deliveryActivityTab");
        QWidget* body = pane.home.deliveryDetailsBody();
        QCOMPARE(texts(body, "delivery-assessment-facets"),
                 QStringList{"Risk: Low\nScope: Multiple systems\nWithin goal: Yes"});
        QCOMPARE(texts(body, "deliveryDetailFacts"),
                 (QStringList{"Outcome: applied\nReason: Within budget\nPolicy: balanced",
                              "Rollback: Revert the commit", "Outcome: paused\nWhen: 2026-05-10T09:30:00Z"}));
    }

    // The tab stays chosen across runs and snapshots; closed details hold nothing.
    void tabChoicePersists() {
        RunPane pane;
        const QList<QJsonObject> runs{run(), runRecord(kBase, R"({"session":"s2"})")};
        pane.show(runs);
        pane.click("deliveryDetailsToggle");
        pane.click("deliveryEvidenceTab");
        pane.pick(1);
        QVERIFY(!pane.visible("deliveryDetailsGroup"));
        QVERIFY(texts(pane.home.deliveryDetailsBody(), "deliveryDetailSectionTitle").isEmpty());
        pane.click("deliveryDetailsToggle");
        QVERIFY(pane.view<DetailsTabButton>("deliveryEvidenceTab")->isSelected());
        QCOMPARE(texts(pane.home.deliveryDetailsBody(), "deliveryDetailSectionTitle").last(),
                 QStringLiteral("Acceptance criteria"));
    }

    // Markup, unknown words and mistyped values from the host are shown as the characters they are.
    void hostTextStaysText() {
        RunPane pane;
        const char* markup = R"({"state":"<b>odd</b>","reason":"<img src='/dev/zero'>","nextStep":"<i>next</i>",
            "objective":"<h1>Goal</h1>","verification":{"total":"3","verified":true},
            "plan":{"diagnosis":"<a href='x'>link</a>","alternatives":"none"},
            "decisionHistory":{"0":{}},"acceptanceCriteria":[{"id":5,"description":["x"]}],
            "sessionUnderstanding":{"done":["<u>done</u>"],"basis":[{"snippet":"<s>quote</s>","source":"<b>x</b>"}]}})";
        pane.show({run(markup)});
        for (const char* name : {"deliveryHeadline", "deliveryState", "deliverySummary", "deliveryNext"}) {
            QCOMPARE(pane.view<QLabel>(name)->textFormat(), Qt::PlainText);
        }
        QCOMPARE(pane.text("deliveryState"), QStringLiteral("<b>odd</b>"));
        QCOMPARE(pane.text("deliverySummary"), QStringLiteral("<i>next</i>"));
        QCOMPARE(texts(&pane.area.parent, "understandingWorkItem"), QStringList{"•  <u>done</u>"});
        QCOMPARE(texts(&pane.area.parent, "understandingSourceSnippet"), QStringList{"<s>quote</s>"});
        pane.click("deliveryDetailsToggle");
        for (const QLabel* label : pane.home.deliveryDetailsBody()->findChildren<QLabel*>()) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(texts(pane.home.deliveryDetailsBody(), "deliveryDetailTitle"), QStringList{"<a href='x'>link</a>"});
        pane.click("deliveryEvidenceTab");
        QCOMPARE(texts(pane.home.deliveryDetailsBody(), "deliveryDetailSectionTitle"),
                 QStringList{"Acceptance criteria"}); // a total that is not a number counts as none
    }

    void understandingVisibility_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<QString>("heading");
        QTest::newRow("nothing to say") << run(R"({"sessionUnderstanding":{}})") << false << false << "";
        QTest::newRow("reading the conversation")
            << run(R"({"phase":"understanding","sessionUnderstanding":{"objective":"Ship"}})") << true << false
            << "Understanding this conversation";
        QTest::newRow("next step only") << run(R"({"sessionUnderstanding":{"nextAction":{"summary":"Measure"}}})")
                                        << true << true << "Working toward";
    }
    void understandingVisibility() {
        QFETCH(QJsonObject, record);
        QFETCH(bool, panel);
        QFETCH(bool, progress);
        QFETCH(QString, heading);
        RunPane pane;
        pane.show({record});
        QCOMPARE(pane.visible("understandingGroup"), panel);
        QCOMPARE(pane.visible("understandingEvidence"), panel);
        QCOMPARE(pane.visible("understandingProgressGroup"), progress);
        QVERIFY(!pane.visible("understandingInterpretation"));
        if (panel) {
            QCOMPARE(pane.text("understandingHeading"), heading);
        }
        // The run pane hides the panel with the rest of the run.
        pane.show({}, -1);
        QVERIFY(!pane.visible("understandingGroup") && !pane.visible("understandingProgressGroup"));
    }

    void answerBelongsToItsQuestion() {
        RunPane pane;
        pane.show({run(kQuestion)});
        QVERIFY(pane.visible("understandingQuestion") && pane.visible("understandingAnswerRow"));
        QVERIFY(pane.enabled("understandingAnswerButton"));
        auto* answer = pane.view<QLineEdit>("understandingAnswer");
        answer->setText(QStringLiteral("Per API key"));
        pane.refresh(pane.model.deliveryRuns);
        QCOMPARE(answer->text(), QStringLiteral("Per API key"));
        pane.refresh({run(R"({"phase":"needs_clarification","canAnswer":true,
            "understandingQuestion":{"id":"q2","text":"Which region?"}})")});
        QCOMPARE(answer->text(), QString());
        pane.refresh({run(R"({"phase":"needs_clarification",
            "understandingQuestion":{"id":"q2","text":"Which region?"}})")});
        QVERIFY(pane.visible("understandingQuestion") && !pane.visible("understandingAnswerRow"));
    }

    void answers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<QString>("sent"); // empty: nothing
        QTest::addColumn<QString>("message");
        QTest::newRow("answer") << "  Per API key \n"
                                << false << "Per API key"
                                << "Sending answer…";
        QTest::newRow("preview") << "Per API key" << true << ""
                                 << "";
    }
    void answers() {
        QFETCH(QString, typed);
        QFETCH(bool, fixture);
        QFETCH(QString, sent);
        QFETCH(QString, message);
        RunPane pane;
        pane.area.link.fixtureMode = fixture;
        pane.show({run(kQuestion)});
        QCOMPARE(pane.enabled("understandingAnswerButton"), !fixture);
        pane.view<QLineEdit>("understandingAnswer")->setText(typed);
        pane.understanding.answerSessionQuestion();
        QCOMPARE(pane.text("deliveryActionMessage"), message);
        if (sent.isEmpty()) {
            QVERIFY(pane.area.commands.commands.isEmpty());
            return;
        }
        const RecordingCommandSink::Command& command = pane.area.commands.commands.first();
        QCOMPARE(command.action, QStringLiteral("session_answer"));
        QCOMPARE(
            command.fields,
            (QJsonObject{
                {"provider", "codex"}, {"session", "s1"}, {"taskId", "t1"}, {"questionId", "q1"}, {"answer", sent}}));
        QVERIFY(!pane.enabled("understandingAnswerButton"));
        pane.area.commands.complete(0, false);
        QCOMPARE(pane.text("deliveryActionMessage"),
                 QStringLiteral("Could not send the answer. Refresh status and try again."));
        QCOMPARE(pane.area.commands.actions(), (QStringList{"session_answer", "refresh"}));
    }
};

VODU_TEST_SUITE(DetailsAndUnderstandingTest)
#include "DetailsAndUnderstandingTest.moc"
