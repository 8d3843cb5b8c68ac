#pragma once

#include <QString>
#include <QStringList>

// The language of every text, chosen once at start. Each text exists in Japanese and English and is picked when
// it is shown; there is no lookup table and no third language.
struct Copy {
    bool japanese = false;

    // Japanese when the first preferred language begins with "ja" (any case, any region); English otherwise.
    static Copy fromPreferredLanguages(const QStringList& languages);

    QString text(const char* japaneseText, const char* englishText) const {
        return QString::fromUtf8(japanese ? japaneseText : englishText);
    }
    QString text(const QString& japaneseText, const QString& englishText) const {
        return japanese ? japaneseText : englishText;
    }
};
