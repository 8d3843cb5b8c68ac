#pragma once

#include <QLocale>
#include <QString>

// Search as a person types: full-width and half-width forms are one (ＡＢＣ and ABC, ｶﾀｶﾅ and カタカナ), and so are
// upper and lower case. The locale lowers first (a Turkish "I" is not an "i"); case folding then catches the rest.
QString searchKey(const QString& text, const QLocale& locale);
// Whether `text` holds `query` (trimmed) under searchKey; an empty query matches everything.
bool searchMatches(const QString& text, const QString& query, const QLocale& locale);
