#include "ScriptedHost.h"

#include "TestData.h"
#include "host/HostLink.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QList<QJsonObject> loggedCommands(const QString& log) {
    QList<QJsonObject> lines;
    for (const QByteArray& line : readFile(log).split('\n')) {
        if (const QJsonObject command = QJsonDocument::fromJson(line).object(); !command.isEmpty()) {
            lines.append(command);
        }
    }
    return lines;
}

ScriptedHost::ScriptedHost(Harness& harness, const QString& mode, const QString& failing, const QString& held)
    : m_log(m_logDir.filePath(QStringLiteral("commands.log"))), m_feed(m_logDir.filePath(QStringLiteral("feed"))) {
    harness.fake->bundleDir = m_bundle.path();
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), mode);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), m_log);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_FAIL"), failing);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_HOLD"), held);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_FEED"), m_feed);
    m_ready = m_bundle.isValid() && ::mkfifo(QFile::encodeName(m_feed).constData(), 0600) == 0;
    harness.app().startHost();
    m_ready = m_ready && QTest::qWaitFor([this] { return !received().isEmpty(); }, 10000) &&
              received().first().value(u"action").toString() == u"refresh" &&
              harness.app().linkState().hostProcessAlive;
}

bool ScriptedHost::feed(const QByteArray& line) {
    // The host holds the pipe open for reading from its start, so this open neither blocks nor fails.
    const int fd = ::open(QFile::encodeName(m_feed).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    QByteArray frame = line;
    frame.append('\n');
    const bool written = ::write(fd, frame.constData(), static_cast<size_t>(frame.size())) == frame.size();
    ::close(fd);
    return written;
}

QList<QJsonObject> ScriptedHost::received() const {
    return loggedCommands(m_log);
}

QStringList ScriptedHost::actions() const {
    QStringList names;
    for (const QJsonObject& command : commands()) {
        names.append(command.value(u"action").toString());
    }
    return names;
}

ScriptedLink::ScriptedLink(const QString& mode) {
    platform.inheritSystemEnvironment();
    platform.bundleDir = m_bundle.path();
    platform.environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), mode);
    platform.environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), m_logDir.filePath(QStringLiteral("commands.log")));
}

ScriptedLink::~ScriptedLink() {
    if (QProcess* host = link.process()) {
        host->disconnect(&link);
        host->kill();
        host->waitForFinished(5000);
    }
}

bool ScriptedLink::start() {
    if (!m_bundle.isValid()) {
        return false;
    }
    QSignalSpy started(&link, &HostLink::started);
    link.launch(m_bundle.path());
    return (!started.isEmpty() || started.wait(10000)) && link.hostIsRunning();
}

QList<QJsonObject> ScriptedLink::received() const {
    return loggedCommands(m_logDir.filePath(QStringLiteral("commands.log")));
}
