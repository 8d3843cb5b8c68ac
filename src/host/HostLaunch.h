#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// Where the host's files live inside the bundle directory.
struct HostPaths {
    QString launcher; // Contents/MacOS/vodu
    QString runtime;  // Contents/Resources/runtime/bin/node
    QString script;   // Contents/Resources/cli/src/desktop-host.js
    QString stopScript;

    static HostPaths inBundle(const QString& bundleDirectory);
    // The runtime must be an executable file and the script must exist, or the host is not started.
    bool hostFilesPresent() const;
};

// The host's PATH: the usual tool folders first, then the inherited PATH. A missing HOME counts as empty and a
// missing PATH as "/usr/bin:/bin"; entries are not de-duplicated.
QString hostPathValue(const std::optional<QString>& home, const std::optional<QString>& path);

// A copy of `environment` with PATH replaced by hostPathValue.
QProcessEnvironment hostEnvironment(const QProcessEnvironment& environment);
