#pragma once

#include <QString>

#include <optional>

// Host text is never shown as it arrives: it is trimmed, stripped of addresses and credentials, and cut.

// The first `count` user-perceived characters (grapheme clusters) of `text`.
QString firstGraphemes(const QString& text, int count);

// Masks web addresses, credential-like values and long opaque identifiers with "•••", then cuts to `limit`
// user-perceived characters. Absent or blank input gives absent.
std::optional<QString> safeMessage(const std::optional<QString>& text, int limit);

// One display line from a free-text label: line breaks become spaces, trimmed, at most 100 characters.
std::optional<QString> cleanLabel(const std::optional<QString>& text);

// Limits used by callers of safeMessage.
inline constexpr int kShortTextLimit = 180;
inline constexpr int kLongTextLimit = 4000;
