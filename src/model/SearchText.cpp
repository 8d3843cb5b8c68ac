#include "model/SearchText.h"

QString searchKey(const QString& text, const QLocale& locale) {
    return locale.toLower(text.normalized(QString::NormalizationForm_KC)).toCaseFolded();
}

bool searchMatches(const QString& text, const QString& query, const QLocale& locale) {
    const QString needle = query.trimmed();
    return needle.isEmpty() || searchKey(text, locale).contains(searchKey(needle, locale));
}
