#pragma once

#include <QList>
#include <QString>
#include <QTextCharFormat>

class QTextCursor;

// Inline Markdown for task texts: emphasis, strong emphasis, code spans, links and autolinks, backslash escapes and
// character references. There is no block structure and every space and line break is kept, so lists and
// paragraphs read as written. Markers that do not pair up stay as literal text; every input parses.

struct InlineRun {
    QString text;
    bool emphasis = false;
    bool strong = false;
    bool code = false;
    QString link; // the destination as written; empty when the run is not a link

    friend bool operator==(const InlineRun&, const InlineRun&) = default;
};

// Runs in text order; neighbours with the same attributes are joined and empty runs dropped.
QList<InlineRun> parseInlineMarkdown(const QString& text);

// The formats a run is drawn with: `text` for every run, merged with the others for the run's attributes.
struct InlineFormats {
    QTextCharFormat text;
    QTextCharFormat emphasis;
    QTextCharFormat strong;
    QTextCharFormat code;
    QTextCharFormat link;
};

// Writes the runs at the cursor; a line feed starts a new block in the cursor's block format. Link runs become
// anchors holding their destination.
void insertInlineRuns(QTextCursor& cursor, const QList<InlineRun>& runs, const InlineFormats& formats);
