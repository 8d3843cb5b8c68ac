#include "model/LinkAddress.h"

std::optional<QUrl> parseLinkAddress(const QString& text) {
    // Checked before parsing as well, so an oversized text costs nothing.
    if (text.size() > kLinkAddressLimit) {
        return std::nullopt;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.toEncoded().size() > kLinkAddressLimit) {
        return std::nullopt;
    }
    return url;
}
