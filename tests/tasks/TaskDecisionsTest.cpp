#include "DataTables.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "model/SnapshotReading.h"
#include "tasks/InlineMarkdown.h"
#include "tasks/TaskDetailContent.h"
#include "tasks/TaskStates.h"

#include <QJsonArray>
#include <QTest>

namespace {

const Copy english{false};

QString describe(const QList<InlineRun>& runs) {
    QString text;
    for (const InlineRun& run : runs) {
        const QString flags = QString(run.emphasis ? "e" : "") + (run.strong ? "s" : "") + (run.code ? "c" : "") +
                              (run.link.isEmpty() ? QString() : QStringLiteral("l=") + run.link);
        text += flags.isEmpty() ? run.text : u'«' + flags + u'|' + run.text + u'»';
    }
    return text;
}

void row(const char* function, const char* name, const QString& text, const QString& expected) {
    QTest::addRow("%s: %s", function, name) << QString(function) << text << expected;
}

} // namespace

class TaskDecisionsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void states_data() {
        columns<QString, QString, QString, QColor>({"state", "japanese", "line", "light"});
        const QColor green(0x18, 0x7A, 0x2D), red(0xB4, 0x23, 0x23), orange(0x9C, 0x43, 0x00);
        const QColor accent(0x00, 0x75, 0xDE), grey(0x61, 0x5D, 0x59);
        dataRow("succeeded", "succeeded", "完了", "✓  Completed", green);
        dataRow("pr_ready_for_review", "pr_ready_for_review", "Pr Ready For Review", "✓  Pr Ready For Review", green);
        dataRow("failed", "failed", "失敗", "×  Failed", red);
        dataRow("cancelled", "cancelled", "キャンセル", "–  Cancelled", orange);
        dataRow("coding", "coding", "Coding", "●  Coding", accent);
        dataRow("queued", "queued", "待機中", "◷  Queued", accent);
        dataRow("waiting_FOR_input", "waiting_FOR_input", "Waiting For Input", "●  Waiting For Input", grey);
        dataRow("Succeeded", "Succeeded", "Succeeded", "●  Succeeded", grey); // compared exactly
    }

    void states() {
        const auto [state, japanese, line, light] =
            fetch<QString, QString, QString, QColor>({"state", "japanese", "line", "light"});
        QCOMPARE(taskStateName(state, Copy{true}), japanese);
        QCOMPARE(taskStateLine(state, english), line);
        QCOMPARE(taskStateColor(state).resolve(Appearance::light), light);
    }

    // The row to select for the selected identity ("key", else a string "id"; null: none); row 0 when it is gone.
    void rowToSelect_data() {
        columns<QString, QString, int>({"items", "selected", "row"});
        dataRow("selected by id", R"([{"key":"a"},{"key":"b"},{"id":"c"}])", "c", 2);
        dataRow("selected task gone", R"([{"key":"a"},{"key":"b"}])", "z", 0);
        dataRow("key wins over id", R"([{"id":"k"},{"key":"k","id":"i"}])", "i", 0);
        dataRow("id when the key is not a string", R"([{"key":"a"},{"key":7,"id":"i"}])", "i", 1);
        dataRow("none selected matches a task without identity", R"([{"key":"a"},{"id":12}])", QString(), 1);
        dataRow("a task without identity never matches", R"([{"key":"a"},{"label":"x"}])", "z", 0);
        dataRow("first of two equal identities", R"([{"key":"x"},{"key":"a"},{"id":"a"}])", "a", 1);
    }

    void rowToSelect() {
        const auto [items, selected, row] = fetch<QString, QString, int>({"items", "selected", "row"});
        const std::optional<QString> key = selected.isNull() ? std::nullopt : std::optional(selected);
        QCOMPARE(taskRowToSelect(objectsAt(json(QStringLiteral("{\"a\":%1}").arg(items)), u"a"), key), row);
    }

    // Only safe addresses become links; a missing or empty label is the address's host.
    void links() {
        QStringList shown;
        const char* links = R"({"links":[{"url":"https://app.vodu.ai/tasks/t1","label":"Open in workspace"},)"
                            R"({"url":"javascript:x"},{"url":42,"label":"Not an address"},)"
                            R"("https://not-an-object.example/",{"label":"No address"},)"
                            R"({"url":"https://x.example/e","label":""},{"url":"https://docs.example.org/q3"}]})";
        for (const TaskLink& link : taskDetailLinks(json(links))) {
            shown.append(link.title + u' ' + link.url.toString());
        }
        QCOMPARE(shown, (QStringList{"Open in workspace https://app.vodu.ai/tasks/t1", "x.example https://x.example/e",
                                     "docs.example.org https://docs.example.org/q3"}));
    }

    // The result card takes the colours of success and failure; two criteria fit their card, more are counted.
    void cards() {
        const auto tint = [](const char* state) {
            const QList<TaskCard> cards = taskDetailCards(json(R"({"result":"Done."})"), state, english);
            return cards.size() == 1 ? cards.first().tint.resolve(Appearance::light) : QColor();
        };
        QCOMPARE((QList<QColor>{tint("merge_ready"), tint("failed"), tint("stopped")}),
                 (QList<QColor>{QColor(0x18, 0x7A, 0x2D), QColor(0xB4, 0x23, 0x23),
                                Theme::accent.resolve(Appearance::light)}));
        const auto criteria = [](const QJsonArray& list) {
            const QJsonObject detail{{"purpose", QJsonObject{{"successCriteria", list}}}};
            const QList<TaskCard> cards = taskDetailCards(detail, "running", english);
            return cards.size() == 1 ? cards.first().heading + u'|' + cards.first().rows.join(u'|') : QString();
        };
        QCOMPARE(criteria({"a", 7, "b"}), QStringLiteral("Success criteria · 2|1  a|2  b"));
        QCOMPARE(criteria({"a", "b", 7, "c"}), QStringLiteral("Success criteria · 3|1  a|2  b|1 more"));
    }

    void sections_data() {
        // switches: bits: 1 full result, 2 all criteria, 4 technical
        columns<QString, QString, int, QStringList>({"detail", "label", "switches", "expected"});
        const QString full =
            R"({"instruction":"Do X","result":"R","error":"E","truncated":true, )"
            R"("purpose":{"persona":"P","expectedValue":"V","successCriteria":["a","b"]}, )"
            R"("report":{"risks":["r1"],"testsRun":["t1","t2"],"evidenceRefs":[],"unresolvedItems":[3,"u1"]}, )"
            R"("technicalInstruction":"TI","technicalResult":"TR"})";
        const QStringList off{"Request", "For", "Expected outcome", "Tests reported", "Unresolved items", "Risks",
                              "Error",   ""};
        const QStringList on =
            off.mid(0, 3) + QStringList{"All success criteria", "Full result"} + off.mid(3) +
            QStringList{"Execution instructions · technical details", "Original report · technical details"};
        dataRow("all switches off", full, "Label", 0, off);
        dataRow("all switches on", full, "Label", 7, on);
        dataRow("instruction equal to the label", R"({"instruction":"Do X","result":"R"})", "Do X", 0, QStringList());
        dataRow("wrong types count as missing",
                R"({"instruction":5,"result":["R"],"purpose":"P","report":[],"truncated":"true"})", "Task", 7,
                QStringList{"Result"});
    }

    void sections() {
        const auto [detail, label, switches, expected] =
            fetch<QString, QString, int, QStringList>({"detail", "label", "switches", "expected"});
        const TaskDetailSwitches on{(switches & 1) != 0, (switches & 2) != 0, (switches & 4) != 0};
        QStringList headings;
        for (const TaskSection& section : taskDetailSections(json(detail), label, on, english)) {
            headings.append(section.heading);
        }
        QCOMPARE(headings, expected);
    }

    // "url": whether safeTaskURL accepts it (every address a task offers passes there); "preview": plainPreview;
    // "section": cleanSectionText; "markdown": parseInlineMarkdown's runs as «flags|text» (e, s, c, l=destination).
    void texts_data() {
        columns<QString, QString, QString>({"function", "text", "expected"});
        for (const char* url : {"https://app.vodu.ai/tasks/t1", "HTTP://EXAMPLE.COM:8080/a?b=c#d"}) {
            row("url", url, url, "accepted");
        }
        for (const char* url : {"JavaScript://example.com/%0Aalert(1)", "file:///home/user/.ssh/id_ed25519",
                                "https://admin@intranet.example/", "https://:pw@example.com/", "https://@example.com/",
                                "https:///path", "https://exa mple.com/"}) {
            row("url", url, url, "refused");
        }
        row("preview", "links, heading markers and emphasis",
            "## Sum\n\nSee [the report](https://x.example/r) **118** `it`", "Sum See the report 118 it");
        row("preview", "white space folded, ideographic space too", "  a\t\tb\n\n\u3000c  #hashtag", "a b c #hashtag");
        row("preview", "exactly 240 characters", QString(240, u'x'), QString(240, u'x'));
        row("preview", "300 characters of Markdown", "**" + QString(300, u'y') + "**", QString(240, u'y') + u'…');
        // Cut by user-perceived characters: a decomposed é is one character of two code units.
        const QString accented = QStringLiteral("e\u0301");
        row("preview", "combining marks count once", accented.repeated(250), accented.repeated(240) + u'…');
        row("section", "heading markers on every line, Windows line ends, trimmed",
            "\n## Title\r\ntext\r### Sub\n####### x, issue #12 ", "Title\ntext\nSub\n####### x, issue #12");
        row("markdown", "strong, both emphasis markers, strong emphasis", "**a** *b* _c_ ***d***",
            "«s|a» «e|b» «e|c» «es|d»");
        row("markdown", "strong inside emphasis", "*a **b** c*", "«e|a »«es|b»«e| c»");
        row("markdown", "adjacent runs inside emphasis", "*foo**bar**baz*", "«e|foo»«es|bar»«e|baz»");
        row("markdown", "runs whose lengths add to three do not pair", "*foo**bar*", "«e|foo**bar»");
        row("markdown", "leftover marker stays literal", "***a** b", "*«s|a» b");
        row("markdown", "code spans holding markers", "`a*b*c` and *d* `` a `b` ``", "«c|a*b*c» and «e|d» «c|a `b`»");
        row("markdown", "code span inside strong", "**run `x` now**", "«s|run »«sc|x»«s| now»");
        row("markdown", "unclosed code", "`code and *e*", "`code and «e|e»");
        row("markdown", "Japanese text around strong", "これは**重要**です", "これは«s|重要»です");
        row("markdown", "link with parentheses", "[wiki](https://en.wikipedia.org/wiki/Foo_(bar))",
            "«l=https://en.wikipedia.org/wiki/Foo_(bar)|wiki»");
        row("markdown", "link in angle brackets, with title", "[a](<https://x.example/a b> \"T\")",
            "«l=https://x.example/a b|a»");
        row("markdown", "strong and brackets inside links", "[**b** c](u) [a [b] c](u)",
            "«sl=u|b»«l=u| c» «l=u|a [b] c»");
        row("markdown", "inner link wins", "[a [b](u) c](v)", "[a «l=u|b» c](v)");
        row("markdown", "image shows its description, autolink", "![chart](c.png) <https://x.example/a>",
            "chart «l=https://x.example/a|https://x.example/a»");
        row("markdown", "escaped backtick before a code span", "\\``code`", "`«c|code»");
        row("markdown", "escaped backtick, no closer of the rest's length", "\\`` and ``", "`` and ``");
        row("markdown", "escapes, character references", "\\*not\\* \\[x\\] \\q &amp; &lt;&#65;&#x42;&#0; &nope; &",
            "*not* [x] \\q & <AB\uFFFD &nope; &");
        const QString brackets = QStringLiteral("[").repeated(50000);
        row("markdown", "many links after many open brackets", brackets + QStringLiteral("[a](u) ").repeated(50000),
            brackets + QStringLiteral("«l=u|a» ").repeated(50000));
        // Literal texts, and long host reports full of stray markers, come back whole without stalling the interface.
        QString backticks; // one run of every length from 1 to 600, so none has a partner
        for (int length = 1; length <= 600; ++length) {
            backticks += QString(length, u'`') + u'x';
        }
        for (const QString& stray : {QStringLiteral("2 * 3 * snake_case_name"), QStringLiteral("[a](u(v) [b](u"),
                                     QStringLiteral("<b>bold</b> a < b"), QStringLiteral("- one\n\n  > b\t c\n1. x"),
                                     QStringLiteral("a* ").repeated(60000), QStringLiteral("[").repeated(100000),
                                     QStringLiteral("[a](").repeated(40000), QStringLiteral("&").repeated(100000),
                                     QStringLiteral("[a](u (").repeated(30000), backticks}) {
            row("markdown", qPrintable(stray.left(8)), stray, stray);
        }
    }

    void texts() {
        const auto [function, text, expected] = fetch<QString, QString, QString>({"function", "text", "expected"});
        QCOMPARE(function == u"url"       ? QString(::safeTaskURL(text) ? "accepted" : "refused")
                 : function == u"preview" ? ::plainPreview(text)
                 : function == u"section" ? ::cleanSectionText(text)
                                          : describe(parseInlineMarkdown(text)),
                 expected);
    }
};

VODU_TEST_SUITE(TaskDecisionsTest)
#include "TaskDecisionsTest.moc"
