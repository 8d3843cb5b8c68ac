#include "tasks/InlineMarkdown.h"
#include "TestRegistry.h"

#include <QTest>

namespace {

// Plain runs as is, attributed runs as «flags|text»: e emphasis, s strong, c code, l=destination.
QString describe(const QList<InlineRun>& runs) {
    QString text;
    for (const InlineRun& run : runs) {
        QStringList flags;
        if (run.emphasis || run.strong) {
            flags.append(QString(run.emphasis ? "e" : "") + (run.strong ? "s" : ""));
        }
        if (run.code) {
            flags.append(QStringLiteral("c"));
        }
        if (!run.link.isEmpty()) {
            flags.append(QStringLiteral("l=") + run.link);
        }
        text += flags.isEmpty() ? run.text : u'«' + flags.join(u',') + u'|' + run.text + u'»';
    }
    return text;
}

void row(const char* name, const QString& markdown, const QString& runs) {
    QTest::newRow(name) << markdown << runs;
}

} // namespace

class InlineMarkdownTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QString>("runs");
        row("strong and both emphasis markers", "**a** *b* _c_", "«s|a» «e|b» «e|c»");
        row("strong emphasis", "***both***", "«es|both»");
        row("strong inside emphasis", "*a **b** c*", "«e|a »«es|b»«e| c»");
        row("adjacent runs inside emphasis", "*foo**bar**baz*", "«e|foo»«es|bar»«e|baz»");
        row("runs whose lengths add to three do not pair", "*foo**bar*", "«e|foo**bar»");
        row("leftover marker stays literal", "***a** b", "*«s|a» b");
        row("code span holding asterisks", "`a*b*c` and *d*", "«c|a*b*c» and «e|d»");
        row("code span with backticks inside", "`` a `b` ``", "«c|a `b`»");
        row("code span inside strong", "**run `x` now**", "«s|run »«s,c|x»«s| now»");
        row("unclosed strong and emphasis", "**bold and *more", "**bold and *more");
        row("unclosed code", "`code and *e*", "`code and «e|e»");
        row("spaced asterisks and inner underscores", "2 * 3 * snake_case_name", "2 * 3 * snake_case_name");
        row("Japanese text around strong", "これは**重要**です", "これは«s|重要»です");
        row("link with parentheses", "[wiki](https://en.wikipedia.org/wiki/Foo_(bar))",
            "«l=https://en.wikipedia.org/wiki/Foo_(bar)|wiki»");
        row("link in angle brackets, with title", "[a](<https://x.example/a b> \"T\")", "«l=https://x.example/a b|a»");
        row("strong inside a link", "[**b** c](u)", "«s,l=u|b»«l=u| c»");
        row("brackets inside link text", "[a [b] c](u)", "«l=u|a [b] c»");
        row("inner link wins", "[a [b](u) c](v)", "[a «l=u|b» c](v)");
        row("space before the destination", "[a] (u)", "[a] (u)");
        row("unbalanced parentheses, unclosed destination", "[a](u(v) [b](u", "[a](u(v) [b](u");
        row("image shows its description", "![chart](c.png) below", "chart below");
        row("autolink", "<https://x.example/a>", "«l=https://x.example/a|https://x.example/a»");
        row("angle brackets that are not a link", "<b>bold</b> a < b", "<b>bold</b> a < b");
        row("escapes", "\\*not\\* \\[x\\] \\q", "*not* [x] \\q");
        row("escaped backtick before a code span", "\\``code`", "`«c|code»");
        row("escaped backtick, no closer of the rest's length", "\\`` and ``", "`` and ``");
        row("character references", "&amp; &lt;&#65;&#x42;&#0; &nope; &", "& <AB\uFFFD &nope; &");
        row("white space kept, no block structure", "- one\n\n  > b\t c\n1. x", "- one\n\n  > b\t c\n1. x");
        const QString brackets = QStringLiteral("[").repeated(50000);
        row("many links after many open brackets", brackets + QStringLiteral("[a](u) ").repeated(50000),
            brackets + QStringLiteral("«l=u|a» ").repeated(50000));
        // Long host reports full of stray markers come back whole, without stalling the interface.
        QString backticks; // one run of every length from 1 to 600, so none has a partner
        for (int length = 1; length <= 600; ++length) {
            backticks += QString(length, u'`') + u'x';
        }
        for (const QString& stray : {QStringLiteral("a* ").repeated(60000), QStringLiteral("[").repeated(100000),
                                     QStringLiteral("[a](").repeated(40000), QStringLiteral("&").repeated(100000),
                                     QStringLiteral("[a](u (").repeated(30000), backticks}) {
            row(qPrintable(stray.left(8)), stray, stray);
        }
    }

    void parse() {
        QFETCH(QString, markdown);
        QFETCH(QString, runs);
        QCOMPARE(describe(parseInlineMarkdown(markdown)), runs);
    }
};

VODU_TEST_SUITE(InlineMarkdownTest)
#include "InlineMarkdownTest.moc"
