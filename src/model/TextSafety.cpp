#include "model/TextSafety.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

const QString kMask = QStringLiteral("\u2022\u2022\u2022");

// What one pass over a text tells about it, so that the patterns that cannot match are not tried: most texts have
// nothing to mask, and looking for a word costs far less than a match. Masking only puts bullets in, so what the
// text lacked before it still lacks after.
struct TextTraits {
    std::string folded;       // ASCII lower-cased, with what the patterns read as ASCII; anything else a space
    qsizetype longestRun = 0; // of letters, digits, '_' and '-'
};

TextTraits traitsOf(QStringView text) {
    TextTraits traits;
    traits.folded.reserve(static_cast<size_t>(text.size()));
    qsizetype run = 0;
    for (const QChar character : text) {
        char16_t code = character.unicode();
        // The patterns take these as ':' and '=', and, ignoring case, the Kelvin sign as 'k' and the long s as 's'.
        code = code == u'\uFF1A'   ? u':'
               : code == u'\uFF1D' ? u'='
               : code == u'\u212A' ? u'k'
               : code == u'\u017F' ? u's'
                                   : code;
        const bool letter = (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z');
        const bool inRun = letter || (code >= u'0' && code <= u'9') || code == u'_' || code == u'-';
        run = inRun ? run + 1 : 0;
        traits.longestRun = std::max(traits.longestRun, run);
        traits.folded += code >= 0x80 ? ' ' : static_cast<char>(code >= u'A' && code <= u'Z' ? code + 32 : code);
    }
    return traits;
}

struct Redaction {
    QRegularExpression pattern;
    QString replacement;
    std::vector<std::string_view> words = {}; // one must occur in the folded text; none listed: no condition
    qsizetype run = 0;                        // the longest run the pattern needs at least, as counted above

    bool worthTrying(const TextTraits& traits) const {
        return traits.longestRun >= run &&
               (words.empty() || std::any_of(words.begin(), words.end(), [&](std::string_view word) {
                    return traits.folded.find(word) != std::string::npos;
                }));
    }
};

QRegularExpression compiled(const char* pattern, QRegularExpression::PatternOptions options = {}) {
    // Unicode properties so that \s also matches spaces such as U+3000 in Japanese text.
    return QRegularExpression(QString::fromUtf8(pattern), options | QRegularExpression::UseUnicodePropertiesOption);
}

// Compiled once: every snapshot passes many texts through here. A pattern whose match runs to the next space may
// swallow the word that marks a secret written after it, so the shapes whose value may follow a space (bearer, key
// and value) come before the web address; the three patterns the app has always had keep their order. Each pattern
// that may start inside a long run of letters is anchored to the start of that run by a look-behind, so a long run
// costs one scan, not one per start.
const std::array<Redaction, 8>& redactions() {
    constexpr auto caseless = QRegularExpression::CaseInsensitiveOption;
    static const std::array<Redaction, 8> list{{
        // A bearer credential after any white space, tabs and ideographic spaces included; a scheme written twice
        // ("Bearer Bearer x") still leads to the credential. A word followed by a separator names the value after
        // it ("Bearer token: x", "Bearer password=x", "Bearer https://x/?code=y"), which goes too: masking only the
        // word would keep the rest readable. Equals signs not followed by a value are padding ("abc=="): the
        // credential ends there, and a key written straight after it stays for the key pattern.
        {compiled("(?<![a-z0-9_-])bearer(?:\\s+bearer(?=\\s))*\\s+[a-z0-9._~+/-]+"
                  "(?:(?:[:\uFF1A\uFF1D]|=(?=[a-z0-9._~+/-]))[^\\s]*(?:(?<=[:=\uFF1A\uFF1D])\\s+[^\\s]+)*|=*)",
                  caseless),
         kMask,
         {"bearer"}},
        // A value whose key names a secret: PGPASSWORD=x, "client_secret": "x", X-Api-Key: x, Authorization: Basic x.
        // A value that ends in a separator ran into the next key, whose own value follows the space: it goes too.
        {compiled("(?<![a-z0-9_.-])[a-z0-9_.-]*(?:api[_-]?key|token|secret|passw(?:or)?d|authorization|access[_-]?key)"
                  "[\"']?\\s*[:=\uFF1A\uFF1D][\\s:=\uFF1A\uFF1D]*(?:(?:bearer|basic|digest|negotiate|token)\\s+)?"
                  "[^\\s]+(?:(?<=[:=\uFF1A\uFF1D])\\s+[^\\s]+)*",
                  caseless),
         kMask,
         {"key", "token", "secret", "passw", "authorization"}},
        // Any web address, whole.
        {compiled("https?://[^\\s]+"), kMask, {"://"}},
        // The user and password of an address in any other scheme; the scheme and host stay readable. Both are
        // bounded, so that a text full of "://" and no "@" is not searched to its end from every address.
        {compiled("(?<![a-z0-9+.-])([a-z][a-z0-9+.-]*://)[^\\s/@:]{0,256}:[^\\s]{0,256}@", caseless),
         QStringLiteral("\\1") + kMask + u'@',
         {"://"}},
        // JSON Web Tokens: a header that always encodes as "eyJ", then payload and signature.
        {compiled("(?<![A-Za-z0-9_-])eyJ[A-Za-z0-9_-]+\\.[A-Za-z0-9_-]+\\.[A-Za-z0-9_-]*"), kMask, {"eyj"}},
        // Keys whose issuers mark them with a prefix, 16 characters or longer in all.
        {compiled("(?<![a-z0-9])(?=[a-z0-9_-]{16})(?:sk-|ghp_|github_pat_|xox[abp]-|akia)[a-z0-9_-]+", caseless),
         kMask,
         {"sk-", "ghp_", "github_pat_", "xox", "akia"},
         16},
        // A credential-like word, followed by equals signs, colons or spaces, and the value after them.
        {compiled("(?i)(bearer|token|secret|session|password)[=: ]+[^\\s]+"),
         kMask,
         {"bearer", "token", "secret", "session", "password"}},
        // Long opaque identifiers.
        {compiled("[A-Za-z0-9_-]{40,}"), kMask, {}, 40},
    }};
    return list;
}

// "Basic" and a word is too common in English to mask on sight; a Basic credential is the base64 of "user:password",
// so only a word that decodes to something with a colon is masked; an address glued to it goes with it.
void maskBasicCredentials(QString& text, const TextTraits& traits) {
    static const QRegularExpression credential = compiled(
        "(?<![a-z0-9_-])basic\\s+([a-z0-9+/_-]+)(={0,2})(?:://[^\\s]*)?", QRegularExpression::CaseInsensitiveOption);
    if (!credential.isValid() || traits.folded.find("basic") == std::string::npos) {
        return;
    }
    QString masked;
    qsizetype copied = 0;
    QRegularExpressionMatchIterator matches = credential.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QByteArray encoded = match.captured(1).toLatin1() + match.captured(2).toLatin1();
        // Decoded leniently: a credential that runs straight into the next word is still one.
        const bool url = encoded.contains('-') || encoded.contains('_');
        const QByteArray decoded =
            QByteArray::fromBase64(encoded, url ? QByteArray::Base64UrlEncoding : QByteArray::Base64Encoding);
        if (!decoded.contains(':')) {
            continue;
        }
        masked += QStringView(text).mid(copied, match.capturedStart() - copied);
        masked += kMask;
        copied = match.capturedEnd();
    }
    if (copied > 0) {
        masked += QStringView(text).mid(copied);
        text = masked;
    }
}

// The patterns do not search text that is not valid UTF-16, so an unpaired surrogate (JSON may carry one as an escape)
// would keep everything around it from being masked. It becomes U+FFFD, as a decoder shows it.
void replaceLoneSurrogates(QString& text) {
    const qsizetype size = text.size();
    for (qsizetype index = 0; index < size; ++index) {
        const QChar character = text.at(index);
        if (character.isHighSurrogate() && index + 1 < size && text.at(index + 1).isLowSurrogate()) {
            ++index;
        } else if (character.isSurrogate()) {
            text[index] = QChar::ReplacementCharacter;
        }
    }
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
    replaceLoneSurrogates(result);
    const TextTraits traits = traitsOf(result);
    // Basic credentials go first: a long one would otherwise be cut by the other patterns into pieces that no longer
    // decode, and a piece could stay visible.
    maskBasicCredentials(result, traits);
    for (const Redaction& redaction : redactions()) {
        if (redaction.pattern.isValid() && redaction.worthTrying(traits)) {
            result.replace(redaction.pattern, redaction.replacement);
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
