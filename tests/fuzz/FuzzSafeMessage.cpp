// Host text passes through safeMessage before it is shown. Whatever surrounds it, a secret written in a shape the
// masking knows never shows; the cut respects the limit; and masked text masked again stays as it is.
#include "FuzzSupport.h"
#include "model/TextSafety.h"

#include <QTextBoundaryFinder>

namespace {

int graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

// Letters and digits only, so that the secret's own characters cannot end the shape early.
QString secretBody(FuzzedDataProvider& input) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString body;
    const int length = input.ConsumeIntegralInRange<int>(20, 40);
    for (int index = 0; index < length; ++index) {
        body += QLatin1Char(alphabet[input.ConsumeIntegralInRange<size_t>(0, sizeof alphabet - 2)]);
    }
    return body;
}

// The shapes in which a secret is masked wherever it stands, as its own word.
QString plantedSecret(FuzzedDataProvider& input, const QString& body) {
    switch (input.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
        return QStringLiteral("Bearer ") + body;
    case 1:
        return QStringLiteral("password=") + body;
    case 2:
        return QStringLiteral("\"client_secret\": \"") + body + u'"';
    case 3:
        return QStringLiteral("https://example.com/cb?code=") + body;
    case 4:
        return QStringLiteral("postgres://admin:") + body + QStringLiteral("@db.internal/app");
    case 5:
        return QStringLiteral("ghp_") + body;
    case 6:
        return QStringLiteral("sk-") + body;
    case 7:
        return QStringLiteral("token: ") + body;
    case 8:
        return QStringLiteral("Authorization: Basic ") +
               QString::fromLatin1((QByteArrayLiteral("admin:") + body.toLatin1()).toBase64());
    default:
        return QStringLiteral("X-Api-Key: ") + body;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int limit = input.PickValueInArray({1, 7, kShortTextLimit, kLongTextLimit});
    const QString prefix = fuzz::hostileText(input, 1000);
    const QString body = secretBody(input);
    const QString secret = plantedSecret(input, body);
    const QString suffix = fuzz::hostileText(input, 1000);
    const bool planted = input.ConsumeBool();
    const QString text = planted ? prefix + u' ' + secret + u' ' + suffix : prefix + suffix;

    const std::optional<QString> shown = safeMessage(text, limit);
    if (qEnvironmentVariableIsSet("VODU_FUZZ_SHOW")) {
        fuzz::show("text", text);
        fuzz::show("shown", shown.value_or(QStringLiteral("(absent)")));
    }
    FUZZ_CHECK(shown.has_value() == !text.trimmed().isEmpty(), "blank text shown, or text lost");
    if (!shown) {
        return 0;
    }
    FUZZ_CHECK(!shown->isEmpty(), "an empty message");
    FUZZ_CHECK(graphemeCount(*shown) <= limit, "the message is longer than its limit");
    // The secret itself, and for the Basic shape its encoding, are gone, unless the text around it holds them too.
    if (planted && !prefix.contains(body) && !suffix.contains(body)) {
        FUZZ_CHECK(!shown->contains(body), "a secret is shown");
        const QString encoded = secret.section(u' ', -1);
        if (secret.startsWith(QStringLiteral("Authorization")) && !prefix.contains(encoded) &&
            !suffix.contains(encoded)) {
            FUZZ_CHECK(!shown->contains(encoded), "an encoded secret is shown");
        }
    }
    // Nothing is left to mask in what was shown whole.
    if (limit == kLongTextLimit) {
        const std::optional<QString> again = safeMessage(shown, limit);
        if (qEnvironmentVariableIsSet("VODU_FUZZ_SHOW")) {
            fuzz::show("again", again.value_or(QStringLiteral("(absent)")));
        }
        FUZZ_CHECK(again == shown, "masking the shown text again changed it");
    }
    return 0;
}
