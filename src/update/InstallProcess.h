#pragma once

#include "update/MacAppUpdate.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The installer directory under the installation home and the log the install process writes its errors to.
QString installerDirectory(const QProcessEnvironment& environment);
QString installLogPath(const QProcessEnvironment& environment);

// Starts <bundle>/Contents/MacOS/vodu --install-selected-desktop <processId> detached and does not wait for it:
// input and output on the null device, errors appended to the install log (directory made 0700, file created
// 0600, never through a symbolic link, only a regular file of ours; the null device otherwise). `environment` is the
// child's whole environment. True when the process was started.
bool launchInstallProcess(const QString& bundleDirectory, const QProcessEnvironment& environment, qint64 processId);

// The bundle of the running executable, found without an application object (two levels above the executable).
AppBundle runningBundle();

// The check at program start: unless previewing a fixture, hand over to the selected release when this launch
// must. `started` means the install process runs and this process should end now.
enum class LaunchHandOver { notNeeded, started, failed };
LaunchHandOver handOverAtLaunch(const QStringList& arguments, const AppBundle& bundle,
                                const QProcessEnvironment& environment, qint64 processId);
