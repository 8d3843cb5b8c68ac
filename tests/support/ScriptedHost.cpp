#include "ScriptedHost.h"

#include "host/HostLink.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

ScriptedHost::ScriptedHost(Harness& harness, const QString& mode, const QString& failing, const QString& held)
    : m_log(m_logDir.filePath(QStringLiteral("commands.log"))) {
    harness.fake->bundleDir = m_bundle.path();
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), mode);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), m_log);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_FAIL"), failing);
    harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_HOLD"), held);
    harness.app().startHost();
    m_ready = m_bundle.isValid() && QTest::qWaitFor([this] { return !received().isEmpty(); }, 10000) &&
              received().first().value(u"action").toString() == u"refresh" && harness.app().link().hostIsRunning();
}

QList<QJsonObject> ScriptedHost::received() const {
    QFile file(m_log);
    QList<QJsonObject> lines;
    for (const QByteArray& line : file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList()) {
        if (const QJsonObject command = QJsonDocument::fromJson(line).object(); !command.isEmpty()) {
            lines.append(command);
        }
    }
    return lines;
}

QStringList ScriptedHost::actions() const {
    QStringList names;
    for (const QJsonObject& command : commands()) {
        names.append(command.value(u"action").toString());
    }
    return names;
}
