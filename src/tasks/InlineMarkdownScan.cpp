// The scan of the inline Markdown parser: text, code spans, delimiter runs, autolinks and links.
#include "tasks/InlineMarkdownParser.h"

#include <algorithm>
#include <array>

namespace inline_markdown {

bool isAsciiPunctuation(QChar character) {
    const char16_t code = character.unicode();
    return (code >= u'!' && code <= u'/') || (code >= u':' && code <= u'@') || (code >= u'[' && code <= u'`') ||
           (code >= u'{' && code <= u'~');
}

char32_t codePointBefore(const QString& text, qsizetype index) {
    if (index <= 0) {
        return U'\n';
    }
    const QChar low = text.at(index - 1);
    if (low.isLowSurrogate() && index >= 2 && text.at(index - 2).isHighSurrogate()) {
        return QChar::surrogateToUcs4(text.at(index - 2), low);
    }
    return low.unicode();
}

char32_t codePointAt(const QString& text, qsizetype index) {
    if (index >= text.size()) {
        return U'\n';
    }
    const QChar high = text.at(index);
    if (high.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        return QChar::surrogateToUcs4(high, text.at(index + 1));
    }
    return high.unicode();
}

bool isPunctuation(char32_t code) {
    return QChar::isPunct(code) || QChar::isSymbol(code);
}

std::optional<QString> characterReference(const QString& text, qsizetype start, qsizetype* end) {
    static const QHash<QString, QString> named{
        {QStringLiteral("amp"), QStringLiteral("&")},         {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},          {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},        {QStringLiteral("nbsp"), QStringLiteral("\u00A0")},
        {QStringLiteral("copy"), QStringLiteral("\u00A9")},   {QStringLiteral("reg"), QStringLiteral("\u00AE")},
        {QStringLiteral("hellip"), QStringLiteral("\u2026")}, {QStringLiteral("mdash"), QStringLiteral("\u2014")},
        {QStringLiteral("ndash"), QStringLiteral("\u2013")},  {QStringLiteral("middot"), QStringLiteral("\u00B7")},
    };
    // A reference is short, so the search for its ";" stays near the "&".
    qsizetype semicolon = -1;
    for (qsizetype index = start + 1; index < text.size() && index - start <= 33; ++index) {
        if (text.at(index) == u';') {
            semicolon = index;
            break;
        }
    }
    if (semicolon < 0) {
        return std::nullopt;
    }
    const QString body = text.mid(start + 1, semicolon - start - 1);
    std::optional<QString> decoded;
    if (body.startsWith(QLatin1Char('#'))) {
        const bool hex = body.size() > 1 && (body.at(1) == u'x' || body.at(1) == u'X');
        const QString digits = body.mid(hex ? 2 : 1);
        const bool shapeOk = !digits.isEmpty() && digits.size() <= (hex ? 6 : 7) &&
                             std::all_of(digits.begin(), digits.end(), [hex](QChar character) {
                                 return hex ? QStringLiteral("0123456789abcdefABCDEF").contains(character)
                                            : character.isDigit() && character.unicode() < 128;
                             });
        if (!shapeOk) {
            return std::nullopt;
        }
        const uint code = digits.toUInt(nullptr, hex ? 16 : 10);
        const bool valid = code != 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        const char32_t point = valid ? static_cast<char32_t>(code) : U'\uFFFD';
        decoded = QString::fromUcs4(&point, 1);
    } else if (const auto entry = named.constFind(body); entry != named.constEnd()) {
        decoded = entry.value();
    }
    if (decoded) {
        *end = semicolon + 1;
    }
    return decoded;
}

void Parser::indexBacktickRuns() {
    for (qsizetype index = 0; index < m_text.size();) {
        if (m_text.at(index) != u'`') {
            ++index;
            continue;
        }
        const qsizetype start = index;
        while (index < m_text.size() && m_text.at(index) == u'`') {
            ++index;
        }
        m_backtickRuns[index - start].push_back(start);
    }
}

void Parser::appendText(const QString& text) {
    if (!m_pieces.empty()) {
        Piece& last = m_pieces.back();
        if (last.kind == PieceKind::text && !last.linked) {
            last.text += text;
            return;
        }
    }
    m_pieces.push_back(Piece(PieceKind::text, text));
}

void Parser::scanBackticks(qsizetype& index) {
    qsizetype end = index;
    while (end < m_text.size() && m_text.at(end) == u'`') {
        ++end;
    }
    const qsizetype length = end - index;
    // Every whole run was indexed; this one is shorter than its run when an escape took the run's first backtick,
    // and then there may be no run of its length at all. The positions are read in place: a copy for every span
    // would cost time in the square of their number.
    static const std::vector<qsizetype> none;
    const auto indexed = m_backtickRuns.constFind(length);
    const std::vector<qsizetype>& candidates = indexed == m_backtickRuns.cend() ? none : *indexed;
    const auto closer = std::upper_bound(candidates.begin(), candidates.end(), index);
    if (closer == candidates.end()) {
        appendText(m_text.mid(index, length));
        index = end;
        return;
    }
    QString content = m_text.mid(end, *closer - end);
    content.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    content.replace(QLatin1Char('\n'), QLatin1Char(' '));
    content.replace(QLatin1Char('\r'), QLatin1Char(' '));
    // One space on each side is padding, unless the span is only spaces.
    if (content.size() >= 2 && content.front() == u' ' && content.back() == u' ' && content.trimmed().size() > 0) {
        content = content.mid(1, content.size() - 2);
    }
    m_pieces.push_back(Piece(PieceKind::code, content));
    index = *closer + length;
}

void Parser::scanDelimiterRun(qsizetype& index) {
    const QChar marker = m_text.at(index);
    qsizetype end = index;
    while (end < m_text.size() && m_text.at(end) == marker) {
        ++end;
    }
    const char32_t before = codePointBefore(m_text, index);
    const char32_t after = codePointAt(m_text, end);
    const bool spaceBefore = QChar::isSpace(before);
    const bool spaceAfter = QChar::isSpace(after);
    const bool leftFlanking = !spaceAfter && (!isPunctuation(after) || spaceBefore || isPunctuation(before));
    const bool rightFlanking = !spaceBefore && (!isPunctuation(before) || spaceAfter || isPunctuation(after));
    Delimiter delimiter;
    delimiter.piece = static_cast<qsizetype>(m_pieces.size());
    delimiter.marker = marker;
    delimiter.count = static_cast<int>(end - index);
    delimiter.original = delimiter.count;
    if (marker == u'*') {
        delimiter.canOpen = leftFlanking;
        delimiter.canClose = rightFlanking;
    } else {
        // An underscore inside a word (snake_case) never emphasises.
        delimiter.canOpen = leftFlanking && (!rightFlanking || isPunctuation(before));
        delimiter.canClose = rightFlanking && (!leftFlanking || isPunctuation(after));
    }
    delimiter.previous = m_lastDelimiter;
    m_pieces.push_back(Piece(PieceKind::delimiter, m_text.mid(index, end - index)));
    const qsizetype position = static_cast<qsizetype>(m_delimiters.size());
    if (m_lastDelimiter >= 0) {
        m_delimiters[static_cast<size_t>(m_lastDelimiter)].next = position;
    }
    m_delimiters.push_back(delimiter);
    m_lastDelimiter = position;
    index = end;
}

bool Parser::scanAutolink(qsizetype& index) {
    // <scheme:address>, with a scheme of 2 to 32 characters and no spaces or angle brackets inside.
    qsizetype cursor = index + 1;
    const qsizetype schemeStart = cursor;
    while (cursor < m_text.size() && cursor - schemeStart <= 32) {
        const QChar character = m_text.at(cursor);
        const bool letter = character.unicode() < 128 && character.isLetter();
        const bool allowed = letter || (cursor > schemeStart &&
                                        (character.unicode() < 128 && (character.isDigit() || character == u'+' ||
                                                                       character == u'.' || character == u'-')));
        if (!allowed) {
            break;
        }
        ++cursor;
    }
    const qsizetype schemeLength = cursor - schemeStart;
    if (schemeLength < 2 || schemeLength > 32 || cursor >= m_text.size() || m_text.at(cursor) != u':') {
        return false;
    }
    while (cursor < m_text.size()) {
        const QChar character = m_text.at(cursor);
        if (character == u'>') {
            const QString address = m_text.mid(index + 1, cursor - index - 1);
            Piece piece{PieceKind::text, address};
            piece.linked = true;
            piece.link = address;
            m_pieces.push_back(piece);
            index = cursor + 1;
            return true;
        }
        if (character == u'<' || character.unicode() <= 0x20) {
            return false;
        }
        ++cursor;
    }
    return false;
}

std::optional<LinkTarget> Parser::linkTarget(qsizetype open) const {
    // "(" destination [title] ")" right after the closing bracket; spaces and one line break may separate parts.
    const qsizetype size = m_text.size();
    if (open >= size || m_text.at(open) != u'(') {
        return std::nullopt;
    }
    qsizetype cursor = open + 1;
    const auto skipSpace = [&] {
        while (cursor < size &&
               (m_text.at(cursor) == u' ' || m_text.at(cursor) == u'\t' || m_text.at(cursor) == u'\n')) {
            ++cursor;
        }
    };
    const auto unescaped = [this](qsizetype from, qsizetype to) {
        QString value;
        for (qsizetype index = from; index < to; ++index) {
            if (m_text.at(index) == u'\\' && index + 1 < to && isAsciiPunctuation(m_text.at(index + 1))) {
                ++index;
            } else if (m_text.at(index) == u'&') {
                qsizetype end = index;
                if (const std::optional<QString> decoded = characterReference(m_text, index, &end);
                    decoded && end <= to) {
                    value += *decoded;
                    index = end - 1;
                    continue;
                }
            }
            value += m_text.at(index);
        }
        return value;
    };
    skipSpace();
    QString destination;
    if (cursor < size && m_text.at(cursor) == u'<') {
        const qsizetype start = ++cursor;
        while (cursor < size && m_text.at(cursor) != u'>') {
            const QChar character = m_text.at(cursor);
            if (character == u'\n' || character == u'<') {
                return std::nullopt;
            }
            cursor += character == u'\\' && cursor + 1 < size ? 2 : 1;
        }
        if (cursor >= size) {
            return std::nullopt;
        }
        destination = unescaped(start, cursor);
        ++cursor;
    } else {
        const qsizetype start = cursor;
        int depth = 0;
        while (cursor < size) {
            const QChar character = m_text.at(cursor);
            if (character == u'\\' && cursor + 1 < size && isAsciiPunctuation(m_text.at(cursor + 1))) {
                cursor += 2;
                continue;
            }
            if (character.unicode() <= 0x20) {
                break;
            }
            if (character == u'(') {
                if (++depth > 32) {
                    return std::nullopt;
                }
            } else if (character == u')') {
                if (depth == 0) {
                    break;
                }
                --depth;
            }
            ++cursor;
        }
        if (depth != 0) {
            return std::nullopt;
        }
        destination = unescaped(start, cursor);
    }
    const qsizetype beforeTitle = cursor;
    skipSpace();
    if (cursor < size && cursor > beforeTitle &&
        (m_text.at(cursor) == u'"' || m_text.at(cursor) == u'\'' || m_text.at(cursor) == u'(')) {
        const QChar titleOpen = m_text.at(cursor);
        const QChar close = titleOpen == u'(' ? QChar(u')') : titleOpen;
        ++cursor;
        // A title ends at its closing mark; an unescaped "(" in a "(" title or a blank line ends the attempt.
        while (cursor < size && m_text.at(cursor) != close) {
            if ((titleOpen == u'(' && m_text.at(cursor) == u'(') ||
                (m_text.at(cursor) == u'\n' && cursor + 1 < size && m_text.at(cursor + 1) == u'\n')) {
                return std::nullopt;
            }
            cursor += m_text.at(cursor) == u'\\' && cursor + 1 < size ? 2 : 1;
        }
        if (cursor >= size) {
            return std::nullopt;
        }
        ++cursor;
        skipSpace();
    }
    if (cursor >= size || m_text.at(cursor) != u')') {
        return std::nullopt;
    }
    return LinkTarget{destination, cursor + 1};
}

void Parser::closeBracket(qsizetype& index) {
    if (m_brackets.empty()) {
        appendText(QStringLiteral("]"));
        ++index;
        return;
    }
    const Bracket bracket = m_brackets.back();
    m_brackets.pop_back();
    const std::optional<LinkTarget> target = bracket.active ? linkTarget(index + 1) : std::nullopt;
    if (!target) {
        appendText(QStringLiteral("]"));
        ++index;
        return;
    }
    processEmphasis(bracket.delimiterBottom);
    m_pieces[static_cast<size_t>(bracket.piece)].text.clear();
    // An image shows its description as text; links inside a link are not allowed, so earlier brackets retire.
    if (!bracket.image) {
        for (size_t piece = static_cast<size_t>(bracket.piece) + 1; piece < m_pieces.size(); ++piece) {
            m_pieces[piece].linked = true;
            m_pieces[piece].link = target->destination;
        }
        // Brackets before an already retired one were retired with it, so the walk stops there.
        for (auto earlier = m_brackets.rbegin(); earlier != m_brackets.rend(); ++earlier) {
            if (earlier->image) {
                continue;
            }
            if (!earlier->active) {
                break;
            }
            earlier->active = false;
        }
    }
    index = target->end;
}

} // namespace inline_markdown
