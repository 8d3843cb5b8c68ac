#pragma once

#include "ui/Copy.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

#include <optional>

// Decisions the overview makes from a snapshot alone, free of views so they can be checked directly.

// The web workspace's own address when none is configured.
inline constexpr const char* kDefaultWebOrigin = "https://app.vodu.ai";

// The origin (scheme, host, port, path "/") of an http(s) address without user or password; absent otherwise.
std::optional<QUrl> originOf(const QString& address);

// The configured origin: VODU_WEB_ORIGIN, else VODU_API_ORIGIN, else the default. A set variable that is not a
// valid origin makes every web origin invalid; there is no fall-back to the next source.
std::optional<QUrl> configuredOrigin(const std::optional<QString>& webOrigin, const std::optional<QString>& apiOrigin);

// The host's web origin, accepted only when it is the configured origin.
std::optional<QUrl> validatedRoot(const std::optional<QString>& webOrigin, const std::optional<QUrl>& configured);

// Provider keys in display order with their display names.
struct ProviderEntry {
    const char* key;
    const char* displayName;
};
inline constexpr ProviderEntry kProviders[] = {{"codex", "Codex"}, {"claude", "Claude Code"}};

// Runs that need attention, each as "<session>:<state>", joined with "|"; empty when none.
QString hookAttentionKeyOf(const QList<QJsonObject>& runs);

// The first two runs as "provider: state — reason" (each masked and cut), separated by a blank line; absent when
// there are none.
std::optional<QString> latestRunsText(const QList<QJsonObject>& runs);

// A provider's hook row after its name: seen running, installed but not seen yet, or not installed ("missing",
// which only a service that installs hooks itself reports).
QString hookRowText(const QJsonObject& hookProvider, const Copy& copy);

// One line per provider whose conversation discovery is unavailable, or that left files or folders out because
// they could not be read; empty when discovery works.
QString sessionDiscoveryMessageOf(const QJsonObject& sessionSupervision, const Copy& copy);
// One provider's part of it (its "sessionSupervision"."providers" record), without the provider's name: why its
// conversations cannot be listed, or what was left out; absent when all is well.
std::optional<QString> providerDiscoveryLine(const QJsonObject& record, const Copy& copy);

// The per-provider object: "providers".key, else the top-level key, else empty.
QJsonObject providerRecord(const QJsonObject& status, const QString& key);

// A version string shown as a label: line feeds to spaces, trimmed, first 100 characters; absent when empty.
std::optional<QString> versionLabelText(const std::optional<QString>& version);

// Height of the settings sheet: the screen's visible height less 100 (700 without a screen), at most 600.
int statusPanelHeight(std::optional<int> screenVisibleHeight);

QString mediumTimeText(const QDateTime& moment);
QString shortDateMediumTimeText(const QDateTime& moment);
