#include "model/Timestamps.h"

#include <QTimeZone>

namespace {

// Reads exactly `width` ASCII digits at `pos`; -1 when any is missing.
int digits(const QString& text, qsizetype pos, int width) {
    if (pos + width > text.size()) {
        return -1;
    }
    int value = 0;
    for (int i = 0; i < width; ++i) {
        const QChar c = text.at(pos + i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return -1;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool charAt(const QString& text, qsizetype pos, char expected) {
    return pos < text.size() && text.at(pos) == QLatin1Char(expected);
}

} // namespace

std::optional<QDateTime> parseInternetDateTime(const QString& text) {
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || !charAt(text, 4, '-') ||
        !charAt(text, 7, '-') || !charAt(text, 10, 'T') || !charAt(text, 13, ':') || !charAt(text, 16, ':')) {
        return std::nullopt;
    }
    qsizetype pos = 19;
    int milliseconds = 0;
    if (charAt(text, pos, '.')) {
        ++pos;
        const qsizetype start = pos;
        int scale = 100;
        while (pos < text.size() && text.at(pos).isDigit() && text.at(pos).unicode() < 128) {
            milliseconds += scale * (text.at(pos).unicode() - '0');
            scale /= 10;
            ++pos;
        }
        if (pos == start) {
            return std::nullopt;
        }
    }
    int offsetSeconds = 0;
    if (charAt(text, pos, 'Z')) {
        ++pos;
    } else if (charAt(text, pos, '+') || charAt(text, pos, '-')) {
        const int sign = charAt(text, pos, '-') ? -1 : 1;
        const int offsetHours = digits(text, pos + 1, 2);
        const int offsetMinutes = digits(text, pos + 4, 2);
        if (offsetHours < 0 || offsetHours > 23 || !charAt(text, pos + 3, ':') || offsetMinutes < 0 ||
            offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, milliseconds);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    QDateTime result(date, time, QTimeZone(offsetSeconds));
    if (!result.isValid()) {
        return std::nullopt;
    }
    return result.toUTC();
}

std::optional<QDateTime> parseInternetDateTime(const QJsonValue& value) {
    if (!value.isString()) {
        return std::nullopt;
    }
    return parseInternetDateTime(value.toString());
}
