#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// No real link comes near this; a longer address from the host is refused rather than handed to the browser.
inline constexpr qsizetype kLinkAddressLimit = 8 * 1024;

// An address from host data parsed strictly, or nothing when it is invalid or longer than the limit, as written or
// once encoded. Every address the app opens is read through here first.
std::optional<QUrl> parseLinkAddress(const QString& text);
