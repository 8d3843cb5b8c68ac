#include "sessions/understanding/Understanding.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

const Copy english{false};

QStringList labels(const QList<UnderstandingSource>& sources) {
    QStringList list;
    for (const UnderstandingSource& source : sources) {
        list.append(source.label + u'=' + source.snippet);
    }
    return list;
}

const char* kQuestion = R"({"provider":"codex","session":"s1","taskId":"t1","phase":"needs_clarification",
    "canAnswer":true,"understandingQuestion":{"id":"q1","text":"Which branch?"}})";

} // namespace

class UnderstandingTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void visibility_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<QJsonObject>("session");
        QTest::addColumn<QString>("goal"); // "-": hidden panel
        QTest::newRow("nothing") << json(R"({"sessionUnderstanding":{},"phase":"understanding","objective":" "})")
                                 << QJsonObject() << "-";
        QTest::newRow("run objective only") << json(R"({"objective":"Ship docs"})") << QJsonObject() << "Ship docs";
        QTest::newRow("conversation goal first")
            << json(R"({"objective":"run"})") << json(R"({"providerGoal":{"objective":"provider"}})") << "provider";
        QTest::newRow("understanding first")
            << json(R"({"objective":"run","sessionUnderstanding":{"objective":"understood"}})")
            << json(R"({"providerGoal":{"objective":"provider"}})") << "understood";
        QTest::newRow("question without objective")
            << json(R"({"phase":"needs_clarification"})") << QJsonObject() << "";
        QTest::newRow("understanding without objective")
            << json(R"({"sessionUnderstanding":{"done":[]}})") << QJsonObject() << "";
    }

    void visibility() {
        QFETCH(QJsonObject, run);
        QFETCH(QJsonObject, session);
        QFETCH(QString, goal);
        const UnderstandingPresentation p = understandingPresentation(run, session, false, true, english);
        QCOMPARE(p.visible, goal != u"-");
        if (p.visible) {
            QCOMPARE(p.goal, goal);
            QCOMPARE(p.heading, QStringLiteral("Working toward"));
        }
    }

    void sources_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("first three, empty skipped")
            << json(R"({"sessionUnderstanding":{"basis":[{"snippet":"Fix it","role":"user"},{"snippet":"  "},
                       {"snippet":"3 failed","source":"tool","role":"user"},{"snippet":"fourth"}]}})")
            << QStringList{"Your request=Fix it", "Recent test result=3 failed"};
        QTest::newRow("derived labels")
            << json(R"({"sessionUnderstanding":{"basis":[{"snippet":"a","source":"file_change"},
                                                   {"snippet":"b"},{"snippet":"c","source":"provider_goal"}]}})")
            << QStringList{"File Change=a", "Context=b", "Original goal=c"};
        QTest::newRow("not all objects") << json(R"({"sessionUnderstanding":{"basis":[{"snippet":"a"},"b"]}})")
                                         << QStringList();
        QTest::newRow("markup stays text") << json(R"({"sessionUnderstanding":{"basis":[{"snippet":"<b>x</b>",
                                                      "source":"<i>kind</i>"}]}})")
                                           << QStringList{"<i>kind</i>=<b>x</b>"};
    }

    void sources() {
        QFETCH(QJsonObject, run);
        QTEST(labels(understandingPresentation(run, {}, false, true, english).sources), "rows");
    }

    void workLists() {
        const QJsonObject run = json(R"({"phase":"understanding","sessionUnderstanding":{
            "done":["a"," ","b","c","d","e"],"remaining":["x",5],"nextAction":{"summary":"Run tests"}}})");
        const UnderstandingPresentation p = understandingPresentation(run, {}, false, true, english);
        QCOMPARE(p.heading, QStringLiteral("Understanding this conversation"));
        QCOMPARE(p.done, (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(p.progressItems, (QStringList{"a", "b"}));
        QVERIFY(p.remaining.isEmpty()); // an array holding anything but strings counts as empty
        QVERIFY(p.workGridVisible && p.progressGroupVisible);
        QCOMPARE(p.next, QStringLiteral("Run tests"));

        const UnderstandingPresentation nextOnly = understandingPresentation(
            json(R"({"sessionUnderstanding":{"nextAction":{"summary":"Go"}}})"), {}, false, true, english);
        QVERIFY(nextOnly.progressGroupVisible && nextOnly.progressItems.isEmpty() && !nextOnly.workGridVisible);

        // However many items a host reports, the lists stay a bounded number of views.
        QJsonArray many;
        for (int index = 0; index < 10000; ++index) {
            many.append(QStringLiteral("item %1").arg(index));
        }
        const QJsonObject flood{{"sessionUnderstanding", QJsonObject{{"done", many}, {"remaining", many}}}};
        const UnderstandingPresentation bounded = understandingPresentation(flood, {}, false, true, english);
        QCOMPARE(bounded.done.size(), kUnderstandingItemLimit);
        QCOMPARE(bounded.remaining.last(), QStringLiteral("item %1").arg(kUnderstandingItemLimit - 1));
    }

    void question_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("questionShown");
        QTest::addColumn<bool>("row");
        QTest::addColumn<bool>("enabled");
        QJsonObject cannot = json(kQuestion);
        cannot.insert("canAnswer", false);
        QJsonObject noId = json(kQuestion);
        noId.insert("understandingQuestion", QJsonObject{{"text", "Which?"}});
        QJsonObject otherPhase = json(kQuestion);
        otherPhase.insert("phase", "understanding");
        QTest::newRow("open") << json(kQuestion) << false << true << true << true << true;
        QTest::newRow("cannot answer") << cannot << false << true << true << false << false;
        QTest::newRow("no question id") << noId << false << true << true << false << false;
        QTest::newRow("not clarifying") << otherPhase << false << true << false << false << false;
        QTest::newRow("preview") << json(kQuestion) << true << true << true << true << false;
        QTest::newRow("disconnected") << json(kQuestion) << false << false << true << true << false;
    }

    void question() {
        QFETCH(QJsonObject, run);
        QFETCH(bool, fixture);
        QFETCH(bool, connected);
        const UnderstandingPresentation p = understandingPresentation(run, {}, fixture, connected, english);
        QTEST(p.questionVisible, "questionShown");
        QTEST(p.answerRowVisible, "row");
        QTEST(p.answerEnabled, "enabled");
    }

    void questionTextIsMasked() {
        QJsonObject run = json(kQuestion);
        run.insert("understandingQuestion", QJsonObject{{"id", "q1"}, {"text", "Open https://x.example/y ?"}});
        QCOMPARE(understandingPresentation(run, {}, false, true, english).question, QStringLiteral("Open ••• ?"));
        run.insert("understandingQuestion", QJsonObject{{"id", "q1"}});
        run.insert("sessionUnderstanding", QJsonObject{{"question", "Fallback?"}});
        QCOMPARE(understandingPresentation(run, {}, false, true, english).question, QStringLiteral("Fallback?"));
    }

    void answers_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("outcome");
        const QString accented = QStringLiteral("e\u0301"); // one character, two code units
        using O = SessionAnswer::Outcome;
        QJsonObject noTask = json(kQuestion);
        noTask.insert("taskId", "");
        QTest::newRow("sent") << json(kQuestion) << "  main  " << int(O::send);
        QTest::newRow("blank") << json(kQuestion) << " \n " << int(O::refused);
        QTest::newRow("2000 characters") << json(kQuestion) << QString(2000, u'a') << int(O::send);
        QTest::newRow("2001 characters") << json(kQuestion) << QString(2001, u'a') << int(O::refused);
        QTest::newRow("2000 combined characters") << json(kQuestion) << accented.repeated(2000) << int(O::send);
        QTest::newRow("no task") << noTask << "main" << int(O::ignored);
    }

    void answers() {
        QFETCH(QJsonObject, run);
        QFETCH(QString, typed);
        QFETCH(int, outcome);
        const SessionAnswer answer = sessionAnswer(run, typed, false, true, english);
        QCOMPARE(int(answer.outcome), outcome);
        if (answer.outcome == SessionAnswer::Outcome::refused) {
            QCOMPARE(answer.message, QStringLiteral("Answer this question before continuing."));
        }
        if (answer.outcome == SessionAnswer::Outcome::send) {
            QCOMPARE(answer.fields.keys(), (QStringList{"answer", "provider", "questionId", "session", "taskId"}));
            QCOMPARE(answer.fields.value("answer").toString(), typed.trimmed());
        }
        QCOMPARE(int(sessionAnswer(run, typed, true, true, english).outcome), int(SessionAnswer::Outcome::ignored));
    }
};

VODU_TEST_SUITE(UnderstandingTest)
#include "UnderstandingTest.moc"
