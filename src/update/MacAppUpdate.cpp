#include "update/MacAppUpdate.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString fromPath(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// Links resolved as far as the path exists; a path that does not exist at all stays as written (normalised).
QString resolvedLeniently(const QString& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(toPath(path), error);
    return error ? QDir::cleanPath(path) : fromPath(resolved);
}

bool isExecutableFile(const QString& path) {
    std::error_code error;
    return fs::is_regular_file(toPath(path), error) && ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

} // namespace

AppBundle AppBundle::at(const QString& directory) {
    return AppBundle{directory, readBundleInformation(directory)};
}

std::optional<QString> AppBundle::string(const QString& key) const {
    const QJsonValue value = information.value(key);
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString();
}

namespace MacAppUpdate {

std::optional<std::array<qint64, 3>> parseVersion(const QString& version) {
    const QStringList pieces = version.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (pieces.size() != 3) {
        return std::nullopt;
    }
    std::array<qint64, 3> triple{};
    for (qsizetype index = 0; index < 3; ++index) {
        const QString& piece = pieces.at(index);
        if (piece.isEmpty()) {
            return std::nullopt;
        }
        for (const QChar character : piece) {
            // QChar::isDigit would also accept other scripts' digits.
            if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
                return std::nullopt;
            }
        }
        bool converted = false;
        triple[static_cast<size_t>(index)] = piece.toLongLong(&converted);
        if (!converted) {
            return std::nullopt;
        }
    }
    return triple;
}

bool isNewer(const std::optional<QString>& candidate, const std::optional<QString>& than) {
    if (!candidate || !than) {
        return false;
    }
    const auto mine = parseVersion(*candidate);
    const auto theirs = parseVersion(*than);
    return mine && theirs && *theirs < *mine;
}

Decision decision(const std::optional<QString>& native, const std::optional<QString>& runtime,
                  const std::optional<QString>& selected, qint64 activeTasks, bool connected) {
    if (isNewer(selected, native)) {
        return Decision{true, connected && activeTasks == 0, true};
    }
    return Decision{isNewer(runtime, native), false, false};
}

QString installationHome(const QProcessEnvironment& environment) {
    const QString home = environment.value(QStringLiteral("VODU_HOME"));
    if (!home.isEmpty()) {
        return home;
    }
    const QString user =
        environment.contains(QStringLiteral("HOME")) ? environment.value(QStringLiteral("HOME")) : QDir::homePath();
    return user + QStringLiteral("/.vodu");
}

std::optional<QString> selectedAppURL(const QProcessEnvironment& environment) {
    const QString installer = installationHome(environment) + QStringLiteral("/installer");
    const fs::path current = toPath(installer + QStringLiteral("/current"));
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error)) || error) {
        return std::nullopt;
    }
    const fs::path target = fs::canonical(current, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path releases = fs::canonical(toPath(installer + QStringLiteral("/releases")), error);
    if (error) {
        return std::nullopt;
    }
    const QString targetPath = fromPath(target);
    if (!targetPath.startsWith(fromPath(releases) + QLatin1Char('/'))) {
        return std::nullopt;
    }
    const QString name = QFileInfo(targetPath).fileName();
    if (name != u"VODU.app" && name != u"VODU CLI.app") {
        return std::nullopt;
    }
    if (!isExecutableFile(targetPath + QStringLiteral("/Contents/MacOS/vodu"))) {
        return std::nullopt;
    }
    if (AppBundle::at(targetPath).string(QStringLiteral("CFBundleIdentifier")) !=
        QString::fromLatin1(kBundleIdentifier)) {
        return std::nullopt;
    }
    return targetPath;
}

std::optional<QString> selectedAppVersion(const QProcessEnvironment& environment) {
    const std::optional<QString> selected = selectedAppURL(environment);
    if (!selected) {
        return std::nullopt;
    }
    return AppBundle::at(*selected).string(QStringLiteral("CFBundleShortVersionString"));
}

QString baselineExecutable(const AppBundle& bundle) {
    const QString app =
        bundle.string(QStringLiteral("VODUBaselineAppPath")).value_or(QString::fromLatin1(kDefaultBaselineAppPath));
    return QDir::cleanPath(app + QStringLiteral("/Contents/MacOS/vodu"));
}

bool shouldInstallCanonical(const AppBundle& bundle, const QProcessEnvironment& environment) {
    if (environment.contains(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"))) {
        return false; // a hand-over already failed: start normally and say so
    }
    if (bundle.string(QStringLiteral("CFBundleIdentifier")) != QString::fromLatin1(kBundleIdentifier)) {
        return false;
    }
    if (bundle.information.value(QStringLiteral("VODUCanonicalDesktopUpdate")) != QJsonValue(true)) {
        return false;
    }
    const std::optional<QString> selected = selectedAppURL(environment);
    if (!selected) {
        return false;
    }
    const QString current = resolvedLeniently(bundle.directory);
    QString baselineApp = baselineExecutable(bundle);
    for (int level = 0; level < 3; ++level) {
        baselineApp = QFileInfo(baselineApp).path(); // Contents/MacOS/vodu off
    }
    const QString baseline = resolvedLeniently(baselineApp);
    if (current == *selected && current != baseline) {
        return true; // running from a release: the baseline must be brought up to date
    }
    if (current != baseline) {
        return false;
    }
    return isNewer(selectedAppVersion(environment), bundle.string(QStringLiteral("CFBundleShortVersionString")));
}

} // namespace MacAppUpdate
