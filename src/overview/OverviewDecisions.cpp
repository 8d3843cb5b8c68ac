#include "overview/OverviewDecisions.h"

#include "model/LinkAddress.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

std::optional<QUrl> originOf(const QString& address) {
    const std::optional<QUrl> parsed = parseLinkAddress(address);
    if (!parsed) {
        return std::nullopt;
    }
    const QUrl& url = *parsed;
    const QString scheme = url.scheme().toLower();
    if ((scheme != u"http" && scheme != u"https") || url.host().isEmpty()) {
        return std::nullopt;
    }
    // Credentials in an origin are refused, an empty user part ("https://@host") included.
    if (!url.userInfo().isEmpty() || url.authority().contains(QLatin1Char('@'))) {
        return std::nullopt;
    }
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(url.host());
    origin.setPort(url.port());
    origin.setPath(QStringLiteral("/"));
    return origin;
}

std::optional<QUrl> configuredOrigin(const std::optional<QString>& webOrigin, const std::optional<QString>& apiOrigin) {
    if (webOrigin) {
        return originOf(*webOrigin);
    }
    if (apiOrigin) {
        return originOf(*apiOrigin);
    }
    return originOf(QString::fromLatin1(kDefaultWebOrigin));
}

std::optional<QUrl> validatedRoot(const std::optional<QString>& webOrigin, const std::optional<QUrl>& configured) {
    if (!webOrigin || !configured) {
        return std::nullopt;
    }
    const std::optional<QUrl> candidate = originOf(*webOrigin);
    if (!candidate || candidate->toString() != configured->toString()) {
        return std::nullopt;
    }
    return candidate;
}

QString hookAttentionKeyOf(const QList<QJsonObject>& runs) {
    QStringList parts;
    for (const QJsonObject& run : runs) {
        if (boolAt(run, u"needsAttention")) {
            parts.append(jsonText(run.value(u"session")) + QLatin1Char(':') + jsonText(run.value(u"state")));
        }
    }
    return parts.join(QLatin1Char('|'));
}

std::optional<QString> latestRunsText(const QList<QJsonObject>& runs) {
    if (runs.isEmpty()) {
        return std::nullopt;
    }
    QStringList lines;
    // Host text: masked and cut like every other host text before it is shown.
    const auto shown = [](const QJsonObject& run, QStringView key) {
        return safeMessage(stringAt(run, key), kShortTextLimit).value_or(QString());
    };
    for (const QJsonObject& run : runs.mid(0, 2)) {
        lines.append(shown(run, u"provider") + QStringLiteral(": ") + shown(run, u"state") + QStringLiteral(" — ") +
                     shown(run, u"reason"));
    }
    return lines.join(QStringLiteral("\n\n"));
}

QString hookRowText(const QJsonObject& hookProvider, const Copy& copy) {
    const QString state = stringAt(hookProvider, u"state").value_or(QString());
    if (state == u"observed") {
        return copy.text("実行履歴あり · /hooks で状態を確認", "Previously observed · verify in /hooks");
    }
    if (state == u"missing") {
        return copy.text("未設定 · 「プラグインをインストール／更新」で設定",
                         "Not set up · use Install / update plugins");
    }
    return copy.text("未検出 · /hooks で確認・有効化", "Not observed · review and enable in /hooks");
}

std::optional<QString> providerDiscoveryLine(const QJsonObject& record, const Copy& copy) {
    const QString discovery = stringAt(record, u"discovery").value_or(QString());
    const qint64 unreadable = integerAt(record, u"unreadable");
    if (discovery == u"unavailable") {
        return safeMessage(stringAt(record, u"reason"), kShortTextLimit)
            .value_or(copy.text("会話を検出できません", "Discovery unavailable"));
    }
    if (discovery == u"available" && unreadable > 0) {
        return safeMessage(stringAt(record, u"reason"), kShortTextLimit)
            .value_or(copy.text(QStringLiteral("%1 件を読み取れませんでした").arg(unreadable),
                                QStringLiteral("%1 could not be read").arg(unreadable)));
    }
    return std::nullopt;
}

QString sessionDiscoveryMessageOf(const QJsonObject& sessionSupervision, const Copy& copy) {
    const QJsonObject providers = objectAt(sessionSupervision, u"providers");
    QStringList lines;
    for (const ProviderEntry& provider : kProviders) {
        if (const std::optional<QString> line =
                providerDiscoveryLine(objectAt(providers, QString::fromLatin1(provider.key)), copy)) {
            lines.append(QString::fromLatin1(provider.displayName) + QStringLiteral(": ") + *line);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QJsonObject providerRecord(const QJsonObject& status, const QString& key) {
    const QJsonObject providers = objectAt(status, u"providers");
    if (providers.value(key).isObject()) {
        return providers.value(key).toObject();
    }
    return objectAt(status, key);
}

std::optional<QString> versionLabelText(const std::optional<QString>& version) {
    if (!version) {
        return std::nullopt;
    }
    QString line = *version;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line = line.trimmed();
    if (line.isEmpty()) {
        return std::nullopt;
    }
    return firstGraphemes(line, 100);
}

int statusPanelHeight(std::optional<int> screenVisibleHeight) {
    const int available = screenVisibleHeight ? *screenVisibleHeight - 100 : 700;
    return std::min(available, 600);
}

QString mediumTimeText(const QDateTime& moment) {
    const QLocale locale = QLocale::system();
    // The locale's short time with seconds added after the minutes ("h:mm AP" -> "h:mm:ss AP", "H:mm" ->
    // "H:mm:ss"): hours, minutes and seconds in the user's own order, without a zone name.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        format.replace(QRegularExpression(QStringLiteral("mm|m")), QStringLiteral("mm:ss"));
    }
    return locale.toString(moment.toLocalTime().time(), format);
}

QString shortDateMediumTimeText(const QDateTime& moment) {
    const QLocale locale = QLocale::system();
    return locale.toString(moment.toLocalTime().date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           mediumTimeText(moment);
}
