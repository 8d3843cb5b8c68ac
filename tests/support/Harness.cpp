#include "Harness.h"
#include "TestData.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>

QString TestBundle::sourcePath(const QString& relative) {
    const QString fromEnvironment = qEnvironmentVariable("VODU_SOURCE_DIR");
    return (fromEnvironment.isEmpty() ? QStringLiteral(VODU_TEST_SOURCE_DIR) : fromEnvironment) + QLatin1Char('/') +
           relative;
}

QString TestBundle::fixturePath(const QString& name) {
    return sourcePath(QStringLiteral("tests/fixtures/") + name);
}

bool TestBundle::layOut() {
    const QString contents = m_directory.path() + QStringLiteral("/Contents");
    QDir().mkpath(contents + QStringLiteral("/MacOS"));
    QDir().mkpath(contents + QStringLiteral("/Resources/runtime/bin"));
    QDir().mkpath(contents + QStringLiteral("/Resources/cli/src"));
    const QString launcher = contents + QStringLiteral("/MacOS/vodu");
    const QString updateStep = contents + QStringLiteral("/Resources/install-selected-desktop.sh");
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    return QFile::copy(QStringLiteral(VODU_TEST_LAUNCHER), launcher) &&
           QFile::setPermissions(launcher, QFile::permissions(launcher) | QFile::ExeOwner) &&
           QFile::copy(sourcePath(QStringLiteral("packaging/install-selected-desktop.sh")), updateStep) &&
           !node.isEmpty() && QFile::link(node, contents + QStringLiteral("/Resources/runtime/bin/node"));
}

namespace {

// The direct children of this process, from every thread's list.
QList<qint64> childProcesses() {
    QList<qint64> children;
    for (const QFileInfo& task :
         QDir(QStringLiteral("/proc/self/task")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray& pid : readFile(task.filePath() + QStringLiteral("/children")).split(' ')) {
            if (const qint64 value = pid.trimmed().toLongLong(); value > 0 && !children.contains(value)) {
                children.append(value);
            }
        }
    }
    return children;
}

} // namespace

TestBundle::TestBundle(const QString& hostScript) {
    m_valid = layOut();
    if (!hostScript.isEmpty()) {
        m_valid =
            m_valid && QFile::copy(fixturePath(hostScript),
                                   m_directory.path() + QStringLiteral("/Contents/Resources/cli/src/desktop-host.js"));
    }
}

TestBundle::TestBundle(ReferenceHost) {
    m_valid = layOut();
    // As the build copies it: the host's scripts and scenarios, without its tests.
    const QDir companion(sourcePath(QStringLiteral("companion")));
    const QString target = m_directory.path() + QStringLiteral("/Contents/Resources/cli/src/");
    QDirIterator files(companion.path(), {QStringLiteral("*.js"), QStringLiteral("*.json")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (m_valid && files.hasNext()) {
        const QString relative = companion.relativeFilePath(files.next());
        if (relative.startsWith(QStringLiteral("test/")) || relative.contains(QStringLiteral("node_modules"))) {
            continue;
        }
        m_valid =
            QDir().mkpath(QFileInfo(target + relative).path()) && QFile::copy(files.filePath(), target + relative);
    }
}

Harness::Harness(const QStringList& languages, Build build) : earlierChildren(childProcesses()) {
    auto platform = std::make_unique<FakePlatform>();
    fake = platform.get();
    fake->languages = languages;
    fake->inheritSystemEnvironment();
    // Login items and settings go to a folder of the test's own, never the user's.
    fake->environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
    controller = std::make_unique<AppDelegate>(std::move(platform));
    if (build == Build::window) {
        controller->buildWindow();
        controller->buildStatusItem();
    }
}

Harness::~Harness() {
    // A host the test left running is killed rather than given the app's wait for its clean-up; the link then
    // finds it ended when the controller goes.
    for (const qint64 child : childProcesses()) {
        if (!earlierChildren.contains(child)) {
            ::kill(static_cast<pid_t>(child), SIGKILL);
        }
    }
}
