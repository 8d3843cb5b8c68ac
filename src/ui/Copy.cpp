#include "ui/Copy.h"

Copy Copy::fromPreferredLanguages(const QStringList& languages) {
    if (languages.isEmpty()) {
        return Copy{false};
    }
    return Copy{languages.first().toLower().startsWith(QLatin1String("ja"))};
}
