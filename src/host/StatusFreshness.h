#pragma once

#include <QDateTime>

#include <chrono>

inline constexpr std::chrono::milliseconds kStatusWatchdogInterval{3000};
inline constexpr std::chrono::milliseconds kStatusStaleAfter{15000};

// Stale only when strictly more than the threshold has passed since `reference`.
bool statusIsStale(const QDateTime& reference, const QDateTime& now);
