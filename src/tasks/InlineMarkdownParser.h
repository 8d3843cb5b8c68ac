#pragma once

// The inside of the inline Markdown parser, shared by its two source files; nothing else includes this.
#include "tasks/InlineMarkdown.h"

#include <QHash>

#include <optional>
#include <vector>

namespace inline_markdown {

// The scan turns the text into pieces: literal text, code spans, runs of * or _ that may become emphasis, and the
// opening brackets of links. Emphasis is then paired with the delimiter algorithm of CommonMark, which keeps the
// whole parse close to linear even for long reports full of stray markers.

enum class PieceKind { text, code, delimiter, bracket };

struct Piece {
    Piece(PieceKind pieceKind, const QString& pieceText) : kind(pieceKind), text(pieceText) {}

    PieceKind kind;
    QString text;
    bool linked = false;
    QString link;
};

struct Delimiter {
    qsizetype piece = 0;
    QChar marker;
    int count = 0;    // characters still unpaired
    int original = 0; // length of the run as written
    bool canOpen = false;
    bool canClose = false;
    qsizetype previous = -1;
    qsizetype next = -1;
};

struct Bracket {
    qsizetype piece = 0;
    qsizetype delimiterBottom = -1; // the last delimiter before the bracket
    bool image = false;
    bool active = true;
};

// Pieces [first, end) are emphasised (or strongly emphasised) by one pair of delimiters.
struct EmphasisSpan {
    qsizetype first = 0;
    qsizetype end = 0;
    bool strong = false;
};

struct LinkTarget {
    QString destination;
    qsizetype end = 0; // index just after the closing parenthesis
};

class Parser {
public:
    explicit Parser(const QString& text) : m_text(text) { indexBacktickRuns(); }

    QList<InlineRun> parse();

private:
    void indexBacktickRuns();
    void appendText(const QString& text);
    void scanBackticks(qsizetype& index);
    void scanDelimiterRun(qsizetype& index);
    bool scanAutolink(qsizetype& index);
    void closeBracket(qsizetype& index);
    std::optional<LinkTarget> linkTarget(qsizetype open) const;
    void processEmphasis(qsizetype bottom);
    void unlink(qsizetype delimiter);
    QList<InlineRun> runs();

    const QString& m_text;
    std::vector<Piece> m_pieces;
    std::vector<Delimiter> m_delimiters;
    qsizetype m_lastDelimiter = -1;
    std::vector<Bracket> m_brackets;
    QHash<qsizetype, std::vector<qsizetype>> m_backtickRuns; // run length -> start positions, ascending
    std::vector<EmphasisSpan> m_spans;
};

// Characters as CommonMark classifies them, and character references ("&amp;", "&#38;").
bool isAsciiPunctuation(QChar character);
char32_t codePointBefore(const QString& text, qsizetype index);
char32_t codePointAt(const QString& text, qsizetype index);
bool isPunctuation(char32_t code);
std::optional<QString> characterReference(const QString& text, qsizetype start, qsizetype* end);

} // namespace inline_markdown
