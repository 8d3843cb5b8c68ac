// The update row. The update logic fills it; until then it keeps the waiting texts.
#include "app/AppDelegate.h"

void AppDelegate::renderUpdate(const std::optional<QJsonObject>&) {}
