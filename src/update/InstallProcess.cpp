#include "update/InstallProcess.h"

#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

bool isExecutableFile(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    return ::stat(encoded.constData(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(encoded.constData(), X_OK) == 0;
}

// Owns the spawn attributes so every exit path releases them.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
};

std::vector<char*> pointersTo(std::vector<QByteArray>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (QByteArray& string : strings) {
        pointers.push_back(string.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

QString installerDirectory(const QProcessEnvironment& environment) {
    return MacAppUpdate::installationHome(environment) + QStringLiteral("/installer");
}

QString installLogPath(const QProcessEnvironment& environment) {
    return installerDirectory(environment) + QStringLiteral("/desktop-update.log");
}

bool launchInstallProcess(const QString& bundleDirectory, const QProcessEnvironment& environment, qint64 processId) {
    const QString executable = bundleDirectory + QStringLiteral("/Contents/MacOS/vodu");
    if (!isExecutableFile(executable)) {
        return false;
    }
    // A link, a FIFO or another user's folder at the log's place must neither redirect our writes nor hang the
    // launch: the errors then go nowhere.
    int log = -1;
    if (const std::optional<QString> refusal = PrivateFiles::ensureDirectory(installerDirectory(environment))) {
        std::fprintf(stderr, "vodu: no install log: %s\n", qPrintable(*refusal));
    } else {
        log = PrivateFiles::openForWriting(installLogPath(environment), O_APPEND);
        if (log < 0) {
            std::fprintf(stderr, "vodu: no install log: %s is not a private file\n",
                         qPrintable(installLogPath(environment)));
        }
    }

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (log >= 0) {
        posix_spawn_file_actions_adddup2(&setup.actions, log, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    // Its own session, so it outlives us; a clean signal state, since ignored signals survive exec.
    sigset_t mask;
    sigemptyset(&mask);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int number : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGTERM, SIGQUIT}) {
        sigaddset(&defaults, number);
    }
    posix_spawnattr_setsigmask(&setup.attributes, &mask);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setflags(&setup.attributes,
                             static_cast<short>(POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));

    std::vector<QByteArray> arguments{QFile::encodeName(executable), QByteArrayLiteral("--install-selected-desktop"),
                                      QByteArray::number(processId)};
    std::vector<QByteArray> variables;
    for (const QString& variable : environment.toStringList()) {
        variables.push_back(variable.toLocal8Bit());
    }
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<char*> envp = pointersTo(variables);
    pid_t child = 0;
    const int result =
        posix_spawn(&child, arguments.front().constData(), &setup.actions, &setup.attributes, argv.data(), envp.data());
    if (log >= 0) {
        ::close(log);
    }
    return result == 0;
}

AppBundle runningBundle() {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (executable.isEmpty()) {
        return {};
    }
    return AppBundle::at(QDir::cleanPath(QFileInfo(executable).path() + QStringLiteral("/../..")));
}

LaunchHandOver handOverAtLaunch(const QStringList& arguments, const AppBundle& bundle,
                                const QProcessEnvironment& environment, qint64 processId) {
    if (arguments.contains(QStringLiteral("--status-fixture"))) {
        return LaunchHandOver::notNeeded;
    }
    if (!MacAppUpdate::shouldInstallCanonical(bundle, environment)) {
        return LaunchHandOver::notNeeded;
    }
    return launchInstallProcess(bundle.directory, environment, processId) ? LaunchHandOver::started
                                                                          : LaunchHandOver::failed;
}
