#include "model/TextSafety.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <array>

namespace {

const QString kMask = QStringLiteral("\u2022\u2022\u2022");

const std::array<QRegularExpression, 3>& redactionPatterns() {
    // Unicode properties so that \s also matches spaces such as U+3000 in Japanese text.
    static const std::array<QRegularExpression, 3> patterns{
        QRegularExpression(QStringLiteral("https?://[^\\s]+"), QRegularExpression::UseUnicodePropertiesOption),
        QRegularExpression(QStringLiteral("(?i)(bearer|token|secret|session|password)[=: ]+[^\\s]+"),
                           QRegularExpression::UseUnicodePropertiesOption),
        QRegularExpression(QStringLiteral("[A-Za-z0-9_-]{40,}"), QRegularExpression::UseUnicodePropertiesOption),
    };
    return patterns;
}

} // namespace

QString firstGraphemes(const QString& text, int count) {
    if (count <= 0) {
        return {};
    }
    if (text.size() <= count) {
        return text; // a cluster is at least one code unit, so the text already fits
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count) {
            return text.left(finder.position());
        }
    }
    return text;
}

std::optional<QString> safeMessage(const std::optional<QString>& text, int limit) {
    if (!text) {
        return std::nullopt;
    }
    QString result = text->trimmed();
    if (result.isEmpty()) {
        return std::nullopt;
    }
    for (const QRegularExpression& pattern : redactionPatterns()) {
        if (pattern.isValid()) {
            result.replace(pattern, kMask);
        }
    }
    return firstGraphemes(result, limit);
}

std::optional<QString> cleanLabel(const std::optional<QString>& text) {
    if (!text) {
        return std::nullopt;
    }
    QString line = *text;
    // A stray carriage return would break the single line just as a line feed does.
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line = line.trimmed();
    if (line.isEmpty()) {
        return std::nullopt;
    }
    return firstGraphemes(line, 100);
}
