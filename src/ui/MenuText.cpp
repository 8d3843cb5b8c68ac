#include "ui/MenuText.h"

QString menuText(const QString& shown) {
    QString text = shown;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString shownMenuText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (text.at(index) == u'&' && index + 1 < text.size()) {
            ++index; // "&&" is one ampersand; "&x" marks x
        }
        shown.append(text.at(index));
    }
    return shown;
}
