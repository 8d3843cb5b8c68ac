#pragma once

#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>

#include <array>
#include <optional>

// A bundle as the update logic sees it: its directory and the keys of its Contents/Info.json.
struct AppBundle {
    QString directory;
    QJsonObject information;

    static AppBundle at(const QString& directory);
    std::optional<QString> string(const QString& key) const;
};

// Whether a newer app is installed, whether the running one must restart for it, and whether a launch must hand
// over to the selected release. Decided from version strings and the installation layout only.
namespace MacAppUpdate {

inline constexpr const char* kBundleIdentifier = "com.zuzi.vodu.cli";
inline constexpr const char* kDefaultBaselineAppPath = "/Applications/VODU.app";

struct Decision {
    bool needsRestart = false;
    bool canRestart = false;
    bool newerApp = false;
};

// Exactly three dot-separated runs of ASCII digits, each within a signed 64-bit integer.
std::optional<std::array<qint64, 3>> parseVersion(const QString& version);

// False when either side is absent or does not parse; numeric, component by component.
bool isNewer(const std::optional<QString>& candidate, const std::optional<QString>& than);

Decision decision(const std::optional<QString>& native, const std::optional<QString>& runtime,
                  const std::optional<QString>& selected, qint64 activeTasks, bool connected);

// VODU_HOME when set and not empty, else the user's home followed by "/.vodu".
QString installationHome(const QProcessEnvironment& environment);

// The selected release: installer/current must be a symbolic link resolving inside installer/releases to a
// "VODU.app" or "VODU CLI.app" with an executable Contents/MacOS/vodu and our bundle identifier.
std::optional<QString> selectedAppURL(const QProcessEnvironment& environment);
std::optional<QString> selectedAppVersion(const QProcessEnvironment& environment);

// VODUBaselineAppPath (default /Applications/VODU.app) followed by Contents/MacOS/vodu.
QString baselineExecutable(const AppBundle& bundle);

// Whether this launch must hand over to the selected release before starting its user interface.
bool shouldInstallCanonical(const AppBundle& bundle, const QProcessEnvironment& environment);

} // namespace MacAppUpdate
