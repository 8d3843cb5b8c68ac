// Conversations of the snapshot. The session pages fill these views; until they exist nothing is shown.
#include "app/AppDelegate.h"

void AppDelegate::renderSessionSupervision(const QJsonArray&, const QJsonArray&) {}

void AppDelegate::renderSelectedSession() {}
