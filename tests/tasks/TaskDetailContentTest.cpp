#include "tasks/TaskDetailContent.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

void textRow(const char* name, const QString& text, const QString& expected) {
    QTest::newRow(name) << text << expected;
}

const Copy english{false};

} // namespace

class TaskDetailContentTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainPreview_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("preview");
        textRow("link keeps its text", "See [the report](https://x.example/r) now", "See the report now");
        textRow("heading markers and emphasis", "## Summary\n\nAnswered **118** `items`", "Summary Answered 118 items");
        textRow("white space folded, ideographic space too", "  a\t\tb\n\n\u3000c  ", "a b c");
        textRow("hash without space stays", "#hashtag", "#hashtag");
        textRow("exactly 240 characters", QString(240, u'x'), QString(240, u'x'));
        textRow("300 characters of Markdown", "**" + QString(300, u'y') + "**", QString(240, u'y') + u'…');
        // Cut by user-perceived characters: a decomposed é is one character of two code units.
        const QString accented = QStringLiteral("e\u0301");
        textRow("combining marks count once", accented.repeated(250), accented.repeated(240) + u'…');
    }

    void plainPreview() {
        QFETCH(QString, text);
        QFETCH(QString, preview);
        QCOMPARE(::plainPreview(text), preview);
    }

    void safeTaskURL_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("https") << "https://app.vodu.ai/tasks/t1" << true;
        QTest::newRow("http, scheme in capitals") << "HTTP://EXAMPLE.COM:8080/a?b=c#d" << true;
        QTest::newRow("javascript with a host") << "JavaScript://example.com/%0Aalert(1)" << false;
        QTest::newRow("data") << "data:text/html,<b>x</b>" << false;
        QTest::newRow("password only") << "https://:pw@example.com/" << false;
        QTest::newRow("empty user part") << "https://@example.com/" << false;
        QTest::newRow("no host") << "https:///path" << false;
        QTest::newRow("no scheme") << "example.com/a" << false;
        QTest::newRow("space inside") << "https://exa mple.com/" << false;
    }

    void safeTaskURL() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(::safeTaskURL(text).has_value(), accepted);
    }

    // Two criteria fit the card; more are counted. Entries that are not strings are skipped.
    void criteriaCard() {
        const auto card = [](const QJsonArray& criteria) {
            const QJsonObject detail{{"purpose", QJsonObject{{"successCriteria", criteria}}}};
            const QList<TaskCard> cards = taskDetailCards(detail, "running", english);
            return cards.size() == 1 ? cards.first() : TaskCard{};
        };
        QCOMPARE(card({"a", 7, "b"}).rows, (QStringList{"1  a", "2  b"}));
        const TaskCard three = card({"a", "b", 7, "c"});
        QCOMPARE(three.heading, QStringLiteral("Success criteria · 3"));
        QCOMPARE(three.rows, (QStringList{"1  a", "2  b", "1 more"}));
    }

    // The result card takes the colours of success and failure; any other state stays informational.
    void resultCardTint() {
        const auto tint = [](const char* state) {
            const QList<TaskCard> cards = taskDetailCards(json(R"({"result":"Done."})"), state, english);
            return cards.size() == 1 ? cards.first().tint.resolve(Appearance::light) : QColor();
        };
        QCOMPARE(tint("merge_ready"), QColor(0x18, 0x7A, 0x2D));
        QCOMPARE(tint("failed"), QColor(0xB4, 0x23, 0x23));
        QCOMPARE(tint("stopped"), Theme::accent.resolve(Appearance::light));
    }

    void sections_data() {
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("switches"); // bits: 1 full result, 2 all criteria, 4 technical
        QTest::addColumn<QStringList>("expected");
        const QString full = R"({"instruction":"Do X","result":"R","error":"E","truncated":true,
            "purpose":{"persona":"P","expectedValue":"V","successCriteria":["a","b"]},
            "report":{"risks":["r1"],"testsRun":["t1","t2"],"evidenceRefs":[],"unresolvedItems":[3,"u1"]},
            "technicalInstruction":"TI","technicalResult":"TR"})";
        const QStringList off{"Request", "For", "Expected outcome", "Tests reported", "Unresolved items", "Risks",
                              "Error",   ""};
        QTest::newRow("all switches off") << full << "Label" << 0 << off;
        QTest::newRow("all switches on") << full << "Label" << 7
                                         << off.mid(0, 3) + QStringList{"All success criteria", "Full result"} +
                                                off.mid(3) +
                                                QStringList{"Execution instructions · technical details",
                                                            "Original report · technical details"};
        QTest::newRow("instruction equal to the label") << R"({"instruction":"Do X","result":"R"})"
                                                        << "Do X" << 0 << QStringList{};
        QTest::newRow("instruction longer than the label") << R"({"instruction":"Do X now","result":"R"})"
                                                           << "Do X" << 0 << QStringList{"Request"};
        QTest::newRow("technical switch with one field")
            << R"({"result":"R","technicalResult":"TR"})"
            << "Task" << 4 << QStringList{"Original report · technical details"};
        QTest::newRow("wrong types count as missing")
            << R"({"instruction":5,"result":["R"],"purpose":"P","report":[],"truncated":"true"})"
            << "Task" << 7 << QStringList{"Result"};
    }

    void sections() {
        QFETCH(QString, detail);
        QFETCH(QString, label);
        QFETCH(int, switches);
        QFETCH(QStringList, expected);
        const TaskDetailSwitches on{(switches & 1) != 0, (switches & 2) != 0, (switches & 4) != 0};
        QStringList headings;
        for (const TaskSection& section : taskDetailSections(json(detail), label, on, english)) {
            headings.append(section.heading);
        }
        QCOMPARE(headings, expected);
    }

    void sectionTexts() {
        const QJsonObject detail = json(R"({"report":{"testsRun":["t1",9,"t2"]},"truncated":true})");
        const QList<TaskSection> sections = taskDetailSections(detail, "Task", {}, english);
        QCOMPARE(sections.at(0), (TaskSection{"Result", "No result yet."}));
        QCOMPARE(sections.at(1), (TaskSection{"Tests reported", "• t1\n• t2"}));
        QCOMPARE(sections.at(2), (TaskSection{"", "Showing an excerpt of this long task."}));
    }

    void fingerprint() {
        const QJsonObject detail = json(R"({"result":"R","instruction":"I"})");
        const QString base = taskDetailFingerprint("running", "L", {}, detail);
        QCOMPARE(taskDetailFingerprint("running", "L", {}, json(R"({"instruction":"I","result":"R"})")), base);
        QVERIFY(taskDetailFingerprint("succeeded", "L", {}, detail) != base);
        QVERIFY(taskDetailFingerprint("running", "M", {}, detail) != base);
        QVERIFY(taskDetailFingerprint("running", "L", {false, false, true}, detail) != base);
        QVERIFY(taskDetailFingerprint("running", "L", {}, json(R"({"result":"R2","instruction":"I"})")) != base);
    }

    void cleanSectionText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cleaned");
        textRow("heading markers on every line, trimmed", "\n## Title\ntext\n### Sub\nmore ", "Title\ntext\nSub\nmore");
        textRow("seven hashes are not a heading", "####### x", "####### x");
        textRow("hash inside a line stays", "issue #12", "issue #12");
        textRow("Windows line ends", "a\r\nb\rc", "a\nb\nc");
    }

    void cleanSectionText() {
        QFETCH(QString, text);
        QFETCH(QString, cleaned);
        QCOMPARE(::cleanSectionText(text), cleaned);
    }
};

VODU_TEST_SUITE(TaskDetailContentTest)
#include "TaskDetailContentTest.moc"
