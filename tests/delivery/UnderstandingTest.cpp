#include "sessions/understanding/Understanding.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QTest>

namespace {

const Copy english{false};

// An open question of run "codex|s1|t1"; `changes` adds or replaces keys ("preview", "disconnected": the pane's).
QJsonObject asking(const QJsonObject& changes = {}) {
    QJsonObject record = json(R"({"provider":"codex","session":"s1","taskId":"t1","phase":"needs_clarification",
        "canAnswer":true,"understandingQuestion":{"id":"q1","text":"Open https://x.example/y ?"}})");
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        record.insert(it.key(), it.value());
    }
    return record;
}

UnderstandingPresentation present(const QJsonObject& record, const QJsonObject& session = {}) {
    return understandingPresentation(record, session, record.value("preview").toBool(),
                                     !record.value("disconnected").toBool(), english);
}

} // namespace

class UnderstandingTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The goal is the understanding's, else the conversation's, else the run's; the lists stay bounded.
    void goalAndWork() {
        const QJsonObject provider = json(R"({"providerGoal":{"objective":"provider"}})");
        QCOMPARE(present(json(R"({"objective":"run"})"), provider).goal, QStringLiteral("provider"));
        QCOMPARE(
            present(json(R"({"objective":"run","sessionUnderstanding":{"objective":"understood"}})"), provider).goal,
            QStringLiteral("understood"));
        QVERIFY(!present(json(R"({"sessionUnderstanding":{},"phase":"understanding","objective":" "})")).visible);
        QJsonArray many;
        for (int index = 0; index < 10000; ++index) {
            many.append(QStringLiteral("item %1").arg(index));
        }
        const UnderstandingPresentation p = present(
            QJsonObject{{"sessionUnderstanding", QJsonObject{{"done", many}, {"remaining", QJsonArray{"x", 5}}}}});
        QCOMPARE(p.done.last(), QStringLiteral("item %1").arg(kUnderstandingItemLimit - 1));
        QVERIFY(p.remaining.isEmpty()); // an array holding anything but strings counts as empty
    }

    // The question, masked ("-": hidden), whether its answer row shows and whether it can be answered.
    void question_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("shown");
        QTest::newRow("open") << asking() << "Open ••• ?|row|enabled";
        QTest::newRow("cannot answer") << asking({{"canAnswer", false}}) << "Open ••• ?||";
        QTest::newRow("no question id") << asking({{"understandingQuestion", QJsonObject{{"text", "Which?"}}}})
                                        << "Which?||";
        QTest::newRow("not clarifying") << asking({{"phase", "understanding"}}) << "-||";
        QTest::newRow("preview") << asking({{"preview", true}}) << "Open ••• ?|row|";
        QTest::newRow("disconnected") << asking({{"disconnected", true}}) << "Open ••• ?|row|";
    }
    void question() {
        QFETCH(QJsonObject, record);
        const UnderstandingPresentation p = present(record);
        QTEST((p.questionVisible ? p.question : "-") + (p.answerRowVisible ? "|row|" : "||") +
                  (p.answerEnabled ? "enabled" : ""),
              "shown");
    }

    // Trimmed, not blank, at most 2000 user-perceived characters; nothing in preview or without a task.
    void answers() {
        using O = SessionAnswer::Outcome;
        const auto outcome = [](const QString& typed, const QJsonObject& record = asking(), bool preview = false) {
            return sessionAnswer(record, typed, preview, true, english).outcome;
        };
        QCOMPARE(
            sessionAnswer(asking(), "  main  ", false, true, english).fields,
            (QJsonObject{
                {"provider", "codex"}, {"session", "s1"}, {"taskId", "t1"}, {"questionId", "q1"}, {"answer", "main"}}));
        QCOMPARE(outcome(" \n "), O::refused);
        QCOMPARE(outcome(QString(2000, u'a')), O::send);
        QCOMPARE(outcome(QString(2001, u'a')), O::refused);
        QCOMPARE(outcome(QStringLiteral("e\u0301").repeated(2000)), O::send);
        QCOMPARE(outcome("main", asking({{"taskId", ""}})), O::ignored);
        QCOMPARE(outcome("main", asking(), true), O::ignored);
    }
};

VODU_TEST_SUITE(UnderstandingTest)
#include "UnderstandingTest.moc"
