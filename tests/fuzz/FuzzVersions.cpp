// Version and timestamp strings come from the host and from bundles on disk. Whatever they hold, the parsers answer
// without crashing, accept only their strict forms, and agree with themselves.
#include "FuzzSupport.h"
#include "model/Timestamps.h"
#include "update/MacAppUpdate.h"

#include <QRegularExpression>

namespace {

void checkTimestamp(const QString& text) {
    const std::optional<QDateTime> parsed = parseInternetDateTime(text);
    static const QRegularExpression strict(
        QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}(\\.[0-9]+)?(Z|[+-][0-9]{2}:[0-9]{2})$"));
    if (!parsed) {
        return;
    }
    FUZZ_CHECK(strict.match(text).hasMatch(), "a timestamp outside the strict form was accepted");
    FUZZ_CHECK(parsed->isValid(), "an accepted timestamp is invalid");
    FUZZ_CHECK(parsed->timeSpec() == Qt::UTC, "an accepted timestamp is not in UTC");
    // Written back in the strict form (milliseconds, UTC), it reads as the same instant.
    const QDate date = parsed->date();
    if (date.year() >= 1 && date.year() <= 9999) {
        const QString written = parsed->toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
        const std::optional<QDateTime> again = parseInternetDateTime(written);
        FUZZ_CHECK(again && *again == *parsed, "a written timestamp does not read back");
    }
}

void checkVersions(const QString& first, const QString& second) {
    const auto a = MacAppUpdate::parseVersion(first);
    const auto b = MacAppUpdate::parseVersion(second);
    static const QRegularExpression strict(QStringLiteral("^[0-9]+\\.[0-9]+\\.[0-9]+$"));
    if (a) {
        FUZZ_CHECK(strict.match(first).hasMatch(), "a version outside the strict form was accepted");
        FUZZ_CHECK((*a)[0] >= 0 && (*a)[1] >= 0 && (*a)[2] >= 0, "a version parsed negative");
        const QString written = QStringLiteral("%1.%2.%3").arg((*a)[0]).arg((*a)[1]).arg((*a)[2]);
        FUZZ_CHECK(MacAppUpdate::parseVersion(written) == a, "a written version does not read back");
    }
    const bool newer = MacAppUpdate::isNewer(first, second);
    const bool older = MacAppUpdate::isNewer(second, first);
    FUZZ_CHECK(!(newer && older), "two versions are each newer than the other");
    FUZZ_CHECK(!MacAppUpdate::isNewer(first, first), "a version is newer than itself");
    FUZZ_CHECK(!newer || (a && b), "a version that does not parse took part in a comparison");
    FUZZ_CHECK(!(a && b) || newer || older || *a == *b, "two different versions are not ordered");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString first = input.ConsumeBool() ? fuzz::hostileText(input, 256)
                                              : QString::fromStdString(input.ConsumeRandomLengthString(64));
    const QString second = QString::fromStdString(input.ConsumeRemainingBytesAsString());
    checkTimestamp(first);
    checkTimestamp(second);
    checkTimestamp(QJsonValue(first).toString());
    FUZZ_CHECK(!parseInternetDateTime(QJsonValue(double(size))), "a number was read as a timestamp");
    checkVersions(first, second);
    return 0;
}
