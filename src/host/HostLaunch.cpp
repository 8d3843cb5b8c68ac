#include "host/HostLaunch.h"

#include <QFileInfo>
#include <QStringList>

HostPaths HostPaths::inBundle(const QString& bundleDirectory) {
    const QString contents = bundleDirectory + QStringLiteral("/Contents");
    return HostPaths{
        contents + QStringLiteral("/MacOS/vodu"),
        contents + QStringLiteral("/Resources/runtime/bin/node"),
        contents + QStringLiteral("/Resources/cli/src/desktop-host.js"),
        contents + QStringLiteral("/Resources/cli/src/desktop-stop-conflicts.js"),
    };
}

bool HostPaths::hostFilesPresent() const {
    const QFileInfo runtimeInfo(runtime);
    return runtimeInfo.isFile() && runtimeInfo.isExecutable() && QFileInfo::exists(script);
}

QString hostPathValue(const std::optional<QString>& home, const std::optional<QString>& path) {
    return QStringList{
        QStringLiteral("/opt/homebrew/bin"),
        QStringLiteral("/usr/local/bin"),
        home.value_or(QString()) + QStringLiteral("/.local/bin"),
        path.value_or(QStringLiteral("/usr/bin:/bin")),
    }
        .join(QLatin1Char(':'));
}

QProcessEnvironment hostEnvironment(const QProcessEnvironment& environment) {
    QProcessEnvironment result = environment;
    const auto valueOf = [&environment](const QString& name) -> std::optional<QString> {
        if (!environment.contains(name)) {
            return std::nullopt;
        }
        return environment.value(name);
    };
    result.insert(QStringLiteral("PATH"),
                  hostPathValue(valueOf(QStringLiteral("HOME")), valueOf(QStringLiteral("PATH"))));
    return result;
}
