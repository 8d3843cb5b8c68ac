#include "host/StatusFreshness.h"

bool statusIsStale(const QDateTime& reference, const QDateTime& now) {
    return reference.msecsTo(now) > kStatusStaleAfter.count();
}
