#include "tasks/InlineMarkdown.h"

#include "tasks/InlineMarkdownParser.h"

#include <QHash>
#include <QTextCursor>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace inline_markdown {

void Parser::unlink(qsizetype delimiter) {
    Delimiter& entry = m_delimiters[static_cast<size_t>(delimiter)];
    if (entry.previous >= 0) {
        m_delimiters[static_cast<size_t>(entry.previous)].next = entry.next;
    }
    if (entry.next >= 0) {
        m_delimiters[static_cast<size_t>(entry.next)].previous = entry.previous;
    }
    if (m_lastDelimiter == delimiter) {
        m_lastDelimiter = entry.previous;
    }
    entry.previous = entry.next = -1;
}

void Parser::processEmphasis(qsizetype bottom) {
    // Lowest opener worth looking at again, by marker, closer length modulo 3 and whether the closer can open.
    std::array<qsizetype, 12> openersBottom;
    openersBottom.fill(bottom);
    const auto slot = [](const Delimiter& closer) {
        return (closer.marker == u'*' ? 0 : 6) + (closer.canOpen ? 3 : 0) + closer.original % 3;
    };

    qsizetype closer = m_lastDelimiter;
    // Walk back to the first delimiter above the bottom.
    while (closer >= 0 && m_delimiters[static_cast<size_t>(closer)].previous > bottom) {
        closer = m_delimiters[static_cast<size_t>(closer)].previous;
    }
    if (closer >= 0 && closer <= bottom) {
        closer = -1;
    }
    while (closer >= 0) {
        Delimiter& close = m_delimiters[static_cast<size_t>(closer)];
        if (!close.canClose) {
            closer = close.next;
            continue;
        }
        qsizetype opener = close.previous;
        const qsizetype floor = openersBottom[static_cast<size_t>(slot(close))];
        bool found = false;
        while (opener >= 0 && opener > bottom && opener > floor) {
            const Delimiter& open = m_delimiters[static_cast<size_t>(opener)];
            if (open.marker == close.marker && open.canOpen) {
                const bool oddMatch = (close.canOpen || open.canClose) && close.original % 3 != 0 &&
                                      (open.original + close.original) % 3 == 0;
                if (!oddMatch) {
                    found = true;
                    break;
                }
            }
            opener = open.previous;
        }
        if (!found) {
            openersBottom[static_cast<size_t>(slot(close))] = close.previous;
            const qsizetype next = close.next;
            if (!close.canOpen) {
                unlink(closer);
            }
            closer = next;
            continue;
        }
        Delimiter& open = m_delimiters[static_cast<size_t>(opener)];
        const int used = close.count >= 2 && open.count >= 2 ? 2 : 1;
        open.count -= used;
        close.count -= used;
        m_pieces[static_cast<size_t>(open.piece)].text = QString(open.count, open.marker);
        m_pieces[static_cast<size_t>(close.piece)].text = QString(close.count, close.marker);
        m_spans.push_back(EmphasisSpan{open.piece + 1, close.piece, used == 2});
        // Delimiters between the pair can no longer pair with anything outside it.
        for (qsizetype between = open.next; between >= 0 && between != closer;) {
            const qsizetype next = m_delimiters[static_cast<size_t>(between)].next;
            unlink(between);
            between = next;
        }
        if (open.count == 0) {
            unlink(opener);
        }
        if (close.count == 0) {
            const qsizetype next = close.next;
            unlink(closer);
            closer = next;
        }
    }
    while (m_lastDelimiter > bottom) {
        unlink(m_lastDelimiter);
    }
}

QList<InlineRun> Parser::runs() {
    // Spans nest, so a running depth per piece says whether any span covers it.
    std::vector<int> emphasisDepth(m_pieces.size() + 1, 0);
    std::vector<int> strongDepth(m_pieces.size() + 1, 0);
    for (const EmphasisSpan& span : m_spans) {
        std::vector<int>& depth = span.strong ? strongDepth : emphasisDepth;
        depth[static_cast<size_t>(span.first)] += 1;
        depth[static_cast<size_t>(span.end)] -= 1;
    }
    QList<InlineRun> result;
    int emphasis = 0;
    int strong = 0;
    for (size_t index = 0; index < m_pieces.size(); ++index) {
        emphasis += emphasisDepth[index];
        strong += strongDepth[index];
        const Piece& piece = m_pieces[index];
        if (piece.text.isEmpty()) {
            continue;
        }
        InlineRun run{piece.text, emphasis > 0, strong > 0, piece.kind == PieceKind::code,
                      piece.linked ? piece.link : QString()};
        if (!result.isEmpty()) {
            InlineRun& last = result.last();
            if (last.emphasis == run.emphasis && last.strong == run.strong && last.code == run.code &&
                last.link == run.link) {
                last.text += run.text;
                continue;
            }
        }
        result.append(run);
    }
    return result;
}

QList<InlineRun> Parser::parse() {
    qsizetype index = 0;
    const qsizetype size = m_text.size();
    while (index < size) {
        const QChar character = m_text.at(index);
        switch (character.unicode()) {
        case u'\\':
            if (index + 1 < size && (isAsciiPunctuation(m_text.at(index + 1)) || m_text.at(index + 1) == u'\n')) {
                appendText(m_text.at(index + 1));
                index += 2;
            } else {
                appendText(QStringLiteral("\\"));
                ++index;
            }
            break;
        case u'`':
            scanBackticks(index);
            break;
        case u'*':
        case u'_':
            scanDelimiterRun(index);
            break;
        case u'!':
            if (index + 1 < size && m_text.at(index + 1) == u'[') {
                m_brackets.push_back(Bracket{static_cast<qsizetype>(m_pieces.size()), m_lastDelimiter, true, true});
                m_pieces.push_back(Piece(PieceKind::bracket, QStringLiteral("![")));
                index += 2;
            } else {
                appendText(QStringLiteral("!"));
                ++index;
            }
            break;
        case u'[':
            m_brackets.push_back(Bracket{static_cast<qsizetype>(m_pieces.size()), m_lastDelimiter, false, true});
            m_pieces.push_back(Piece(PieceKind::bracket, QStringLiteral("[")));
            ++index;
            break;
        case u']':
            closeBracket(index);
            break;
        case u'<':
            if (!scanAutolink(index)) {
                appendText(QStringLiteral("<"));
                ++index;
            }
            break;
        case u'&': {
            qsizetype end = index;
            if (const std::optional<QString> decoded = characterReference(m_text, index, &end)) {
                appendText(*decoded);
                index = end;
            } else {
                appendText(QStringLiteral("&"));
                ++index;
            }
            break;
        }
        default: {
            // Plain characters are taken in one stretch up to the next character that may mean something.
            qsizetype end = index + 1;
            static const QString special = QStringLiteral("\\`*_![]<&");
            while (end < size && !special.contains(m_text.at(end))) {
                ++end;
            }
            appendText(m_text.mid(index, end - index));
            index = end;
            break;
        }
        }
    }
    processEmphasis(-1);
    return runs();
}

} // namespace inline_markdown

QList<InlineRun> parseInlineMarkdown(const QString& text) {
    inline_markdown::Parser parser(text);
    return parser.parse();
}

void insertInlineRuns(QTextCursor& cursor, const QList<InlineRun>& runs, const InlineFormats& formats) {
    // Formats are merged once per combination of attributes and then shared: the document recognises a shared
    // format at once, where an equal copy is hashed and compared property by property.
    std::array<std::optional<QTextCharFormat>, 8> merged;
    const auto formatOf = [&](const InlineRun& run) -> const QTextCharFormat& {
        std::optional<QTextCharFormat>& slot =
            merged[(run.code ? 4 : 0) + (run.emphasis ? 2 : 0) + (run.strong ? 1 : 0)];
        if (!slot) {
            slot = formats.text;
            if (run.code) {
                slot->merge(formats.code);
            }
            if (run.emphasis) {
                slot->merge(formats.emphasis);
            }
            if (run.strong) {
                slot->merge(formats.strong);
            }
        }
        return *slot;
    };
    // One edit for all runs: the document then tells its layout and views once, not once per run, which made a
    // body of many runs cost time in the square of its length.
    cursor.beginEditBlock();
    for (const InlineRun& run : runs) {
        if (run.link.isEmpty()) {
            cursor.insertText(run.text, formatOf(run));
            continue;
        }
        QTextCharFormat format = formatOf(run);
        format.merge(formats.link);
        format.setAnchor(true);
        format.setAnchorHref(run.link);
        cursor.insertText(run.text, format);
    }
    cursor.endEditBlock();
}
