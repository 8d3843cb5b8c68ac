#pragma once

// Shared by the fuzz targets: a check that stops the run with a message, and texts shaped the way hostile host
// output is shaped.
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                                                 \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d): %s\n", #condition, __FILE__, __LINE__, message);      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace fuzz {

// Writes a text to stderr with everything outside printable ASCII escaped, for reading a finding.
inline void show(const char* label, const QString& text) {
    QByteArray escaped;
    for (const QChar character : text.left(2000)) {
        const char16_t code = character.unicode();
        escaped += code >= 0x20 && code < 0x7f ? QByteArray(1, char(code)) : "\\u" + QByteArray::number(code, 16);
    }
    std::fprintf(stderr, "%s (%lld units): %s\n", label, static_cast<long long>(text.size()), escaped.constData());
}

// Pieces that have broken text handling elsewhere: direction overrides, joiners, combining marks, markup, format
// placeholders, addresses with other schemes, line breaks of every kind, and secret-looking words.
inline const std::array<const char16_t*, 32>& hostilePieces() {
    // A data table, four pieces a line.
    // clang-format off
    static const std::array<const char16_t*, 32> pieces{{
        u"\u202E", u"\u2066", u"\u200D", u"\u0301\u0301\u0301",
        u"\U0001F469\u200D\U0001F4BB", u"<b>x</b>", u"<img src=x>", u"&amp;&#0;",
        u"%1", u"%2%n%s", u"javascript:x", u"file:///etc",
        u"\r\n", u"\u2028", u"\u0000", u"\t",
        u"**", u"`", u"[a](b)", u"<https://x>",
        u"\\", u"https://a.b/?t=1", u"Bearer ", u"token=",
        u"ghp_0123456789abcdefgh", u"eyJhbGciOi.e.", u"\uFEFF", u"\u3000",
        u"\u05D0\u05D1", u"\uFFFF", u"|", u"                ",
    }};
    // clang-format on
    return pieces;
}

// A text of at most `maximum` UTF-16 units: raw UTF-8 from the input, raw UTF-16 units (lone surrogates included),
// the hostile pieces above, and long repeats of one of them.
inline QString hostileText(FuzzedDataProvider& input, qsizetype maximum = 4096) {
    QString text;
    const int parts = input.ConsumeIntegralInRange<int>(0, 8);
    for (int part = 0; part < parts && text.size() < maximum; ++part) {
        switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            text += QString::fromStdString(input.ConsumeRandomLengthString(64));
            break;
        case 1: {
            const int units = input.ConsumeIntegralInRange<int>(0, 16);
            for (int unit = 0; unit < units; ++unit) {
                text += QChar(input.ConsumeIntegral<char16_t>());
            }
            break;
        }
        case 2:
            text += QString::fromUtf16(input.PickValueInArray(hostilePieces()));
            break;
        default:
            text += QString::fromUtf16(input.PickValueInArray(hostilePieces()))
                        .repeated(input.ConsumeIntegralInRange<int>(1, 2000));
            break;
        }
    }
    return text.left(maximum);
}

} // namespace fuzz
