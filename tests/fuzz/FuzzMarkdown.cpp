// Task texts are the host's Markdown. Every input parses; the runs are joined and never empty, markers only ever
// shorten the text, text without markers comes back as it was, and the runs are written into a document intact.
#include "FuzzSupport.h"
#include "tasks/InlineMarkdown.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts are resolved when a document lays out its text. Never destroyed: the run ends by exiting.
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString text =
        input.ConsumeBool() ? fuzz::hostileText(input) : QString::fromStdString(input.ConsumeRemainingBytesAsString());
    const QList<InlineRun> runs = parseInlineMarkdown(text);

    QString shown;
    for (qsizetype index = 0; index < runs.size(); ++index) {
        const InlineRun& run = runs.at(index);
        FUZZ_CHECK(!run.text.isEmpty(), "an empty run");
        if (index > 0) {
            const InlineRun& before = runs.at(index - 1);
            FUZZ_CHECK(before.emphasis != run.emphasis || before.strong != run.strong || before.code != run.code ||
                           before.link != run.link,
                       "two neighbouring runs with the same attributes");
        }
        shown += run.text;
    }
    FUZZ_CHECK(shown.size() <= text.size(), "the shown text is longer than the Markdown");
    static const QString markers = QStringLiteral("\\`*_[]!<>&");
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) { return markers.contains(c); });
    if (plain) {
        FUZZ_CHECK(runs.size() <= 1 && shown == text, "text without markers changed");
        FUZZ_CHECK(runs.isEmpty() || (!runs.first().emphasis && !runs.first().strong && !runs.first().code &&
                                      runs.first().link.isEmpty()),
                   "text without markers got attributes");
    }

    QTextDocument document;
    QTextCursor cursor(&document);
    InlineFormats formats;
    formats.strong.setFontWeight(QFont::Bold);
    formats.emphasis.setFontItalic(true);
    formats.code.setFontFixedPitch(true);
    formats.link.setFontUnderline(true);
    insertInlineRuns(cursor, runs, formats);
    // The document starts a block at a line feed, a carriage return (a CR LF pair is one break) and the frame
    // markers; every other character stays as given.
    QString expected = shown;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar separator : {QChar(u'\r'), QChar(u'\n'), QChar(0xFDD0), QChar(0xFDD1)}) {
        expected.replace(separator, QChar::ParagraphSeparator);
    }
    QString written = document.toRawText();
    written.replace(QLatin1Char('\n'), QChar::ParagraphSeparator);
    if (qEnvironmentVariableIsSet("VODU_FUZZ_SHOW")) {
        fuzz::show("text", text);
        fuzz::show("runs", expected);
        fuzz::show("document", written);
    }
    FUZZ_CHECK(written == expected, "the document does not hold the runs' text");
    return 0;
}
