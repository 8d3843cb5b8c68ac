#include "tasks/InlineMarkdown.h"
#include "TestRegistry.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Runs written compactly: plain text as is, attributed text as «flags|text» with e (emphasis), s (strong),
// c (code) and l=destination.
QString describe(const QList<InlineRun>& runs) {
    QString text;
    for (const InlineRun& run : runs) {
        QStringList flags;
        if (run.emphasis || run.strong) {
            flags.append(QString(run.emphasis ? QStringLiteral("e") : QString()) +
                         (run.strong ? QStringLiteral("s") : QString()));
        }
        if (run.code) {
            flags.append(QStringLiteral("c"));
        }
        if (!run.link.isEmpty()) {
            flags.append(QStringLiteral("l=") + run.link);
        }
        text += flags.isEmpty() ? run.text
                                : QStringLiteral("«") + flags.join(QLatin1Char(',')) + QLatin1Char('|') + run.text +
                                      QStringLiteral("»");
    }
    return text;
}

} // namespace

class InlineMarkdownTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QString>("runs");
        QTest::newRow("plain") << "Nothing special here."
                               << "Nothing special here.";
        QTest::newRow("strong") << "a **b** c"
                                << "a «s|b» c";
        QTest::newRow("emphasis, both markers") << "*a* and _b_"
                                                << "«e|a» and «e|b»";
        QTest::newRow("strong emphasis") << "***both***"
                                         << "«es|both»";
        QTest::newRow("strong inside emphasis") << "*a **b** c*"
                                                << "«e|a »«es|b»«e| c»";
        QTest::newRow("emphasis inside strong") << "**a *b* c**"
                                                << "«s|a »«es|b»«s| c»";
        QTest::newRow("adjacent runs inside emphasis") << "*foo**bar**baz*"
                                                       << "«e|foo»«es|bar»«e|baz»";
        QTest::newRow("runs whose lengths add to three do not pair") << "*foo**bar*"
                                                                     << "«e|foo**bar»";
        QTest::newRow("leftover marker stays literal") << "***a** b"
                                                       << "*«s|a» b";
        QTest::newRow("code span holding asterisks") << "`a*b*c` and *d*"
                                                     << "«c|a*b*c» and «e|d»";
        QTest::newRow("code span with backticks inside") << "`` a `b` ``"
                                                         << "«c|a `b`»";
        QTest::newRow("code span inside strong") << "**run `x` now**"
                                                 << "«s|run »«s,c|x»«s| now»";
        QTest::newRow("unclosed strong") << "**bold and more"
                                         << "**bold and more";
        QTest::newRow("unclosed emphasis") << "a *b"
                                           << "a *b";
        QTest::newRow("unclosed code") << "`code and *e*"
                                       << "`code and «e|e»";
        QTest::newRow("spaced asterisks are not emphasis") << "2 * 3 * 4"
                                                           << "2 * 3 * 4";
        QTest::newRow("underscores inside words") << "snake_case_name"
                                                  << "snake_case_name";
        QTest::newRow("Japanese text around strong") << "これは**重要**です"
                                                     << "これは«s|重要»です";
        QTest::newRow("link") << "see [docs](https://x.example/d) now"
                              << "see «l=https://x.example/d|docs» now";
        QTest::newRow("link with parentheses") << "[wiki](https://en.wikipedia.org/wiki/Foo_(bar))"
                                               << "«l=https://en.wikipedia.org/wiki/Foo_(bar)|wiki»";
        QTest::newRow("link with title") << "[a](https://x.example \"Title\")"
                                         << "«l=https://x.example|a»";
        QTest::newRow("link in angle brackets") << "[a](<https://x.example/a b>)"
                                                << "«l=https://x.example/a b|a»";
        QTest::newRow("strong inside a link") << "[**b** c](u)"
                                              << "«s,l=u|b»«l=u| c»";
        QTest::newRow("link inside emphasis") << "*see [a](u)*"
                                              << "«e|see »«e,l=u|a»";
        QTest::newRow("brackets inside link text") << "[a [b] c](u)"
                                                   << "«l=u|a [b] c»";
        QTest::newRow("inner link wins") << "[a [b](u) c](v)"
                                         << "[a «l=u|b» c](v)";
        QTest::newRow("space before the destination") << "[a] (u)"
                                                      << "[a] (u)";
        QTest::newRow("unclosed destination") << "[a](u"
                                              << "[a](u";
        QTest::newRow("unbalanced parentheses") << "[a](u(v)"
                                                << "[a](u(v)";
        QTest::newRow("image shows its description") << "![chart](c.png) below"
                                                     << "chart below";
        QTest::newRow("autolink") << "<https://x.example/a>"
                                  << "«l=https://x.example/a|https://x.example/a»";
        QTest::newRow("angle brackets that are not a link") << "<b>bold</b> a < b"
                                                            << "<b>bold</b> a < b";
        QTest::newRow("escapes") << "\\*not\\* \\[x\\] \\q"
                                 << "*not* [x] \\q";
        QTest::newRow("character references") << "&amp; &lt;&#65;&#x42;&#0; &nope; &"
                                              << "& <AB\uFFFD &nope; &";
        QTest::newRow("white space kept") << "a  \n\n  b\t c"
                                          << "a  \n\n  b\t c";
        QTest::newRow("no block structure") << "- one\n- two\n> quote\n1. first"
                                            << "- one\n- two\n> quote\n1. first";
        QTest::newRow("emphasis across lines") << "*one\ntwo*"
                                               << "«e|one\ntwo»";
        QTest::newRow("empty") << ""
                               << "";
    }

    void parse() {
        QFETCH(QString, markdown);
        QFETCH(QString, runs);
        QCOMPARE(describe(parseInlineMarkdown(markdown)), runs);
    }

    // Long host reports full of stray markers must come back whole (and not stall the interface).
    void strayMarkersStayLiteral_data() {
        QTest::addColumn<QString>("markdown");
        QTest::newRow("unpaired asterisks") << QStringLiteral("a* ").repeated(60000);
        QTest::newRow("opening brackets") << QStringLiteral("[").repeated(100000);
        QTest::newRow("bracket and parenthesis") << QStringLiteral("[a](").repeated(40000);
        QString backtickRuns; // one run of every length from 1 to 600, so none has a partner
        for (int length = 1; length <= 600; ++length) {
            backtickRuns += QString(length, u'`') + u'x';
        }
        QTest::newRow("unmatched backtick runs") << backtickRuns;
        QTest::newRow("underscores") << QStringLiteral("_a ").repeated(60000);
        QTest::newRow("ampersands") << QStringLiteral("&").repeated(100000);
        QTest::newRow("unclosed parenthesised titles") << QStringLiteral("[a](u (").repeated(30000);
    }

    void strayMarkersStayLiteral() {
        QFETCH(QString, markdown);
        const QList<InlineRun> runs = parseInlineMarkdown(markdown);
        QString text;
        for (const InlineRun& run : runs) {
            QVERIFY(!run.emphasis && !run.strong && run.link.isEmpty());
            text += run.text;
        }
        QCOMPARE(text, markdown);
    }

    void manyLinksAfterManyOpenBrackets() {
        const QList<InlineRun> runs =
            parseInlineMarkdown(QStringLiteral("[").repeated(50000) + QStringLiteral("[a](u) ").repeated(50000));
        QCOMPARE(runs.size(), 1 + 2 * 50000);
        QCOMPARE(runs.first().text, QStringLiteral("[").repeated(50000));
        QCOMPARE(runs.at(1), (InlineRun{QStringLiteral("a"), false, false, false, QStringLiteral("u")}));
        QCOMPARE(runs.last().text, QStringLiteral(" "));
    }

    void insertedRunsCarryFormats() {
        InlineFormats formats;
        formats.text.setFontPointSize(14);
        formats.strong.setFontWeight(QFont::DemiBold);
        formats.emphasis.setFontItalic(true);
        formats.code.setFontFixedPitch(true);
        formats.link.setFontUnderline(true);
        QTextDocument document;
        QTextCursor cursor(&document);
        insertInlineRuns(cursor, parseInlineMarkdown("**B** *I* `C` [L](https://x.example)\nnext"), formats);
        QCOMPARE(document.toPlainText(), QStringLiteral("B I C L\nnext"));
        QCOMPARE(document.blockCount(), 2);
        const auto formatAt = [&document](int position) {
            QTextCursor probe(&document);
            probe.setPosition(position + 1);
            return probe.charFormat();
        };
        QCOMPARE(formatAt(0).fontWeight(), int(QFont::DemiBold));
        QVERIFY(formatAt(2).fontItalic());
        QVERIFY(formatAt(4).fontFixedPitch());
        QVERIFY(formatAt(6).isAnchor());
        QCOMPARE(formatAt(6).anchorHref(), QStringLiteral("https://x.example"));
        QVERIFY(formatAt(6).fontUnderline());
        QVERIFY(!formatAt(5).isAnchor());
        QCOMPARE(formatAt(8).fontPointSize(), 14.0);
    }
};

VODU_TEST_SUITE(InlineMarkdownTest)
#include "InlineMarkdownTest.moc"
