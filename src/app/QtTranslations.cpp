#include "app/QtTranslations.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

std::unique_ptr<QTranslator> qtTranslator(bool japanese, const QString& directory) {
    if (!japanese) {
        return nullptr; // Qt's source texts are English
    }
    auto translator = std::make_unique<QTranslator>();
    // "qt_ja" bundles qtbase and the other modules' catalogues.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"), QStringLiteral("_"),
                          directory)) {
        return nullptr;
    }
    return translator;
}

std::unique_ptr<QTranslator> qtTranslator(bool japanese) {
    return qtTranslator(japanese, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
