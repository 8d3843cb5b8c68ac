#pragma once

#include "Harness.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// The recording host of tests/fixtures started under a harness; ready() once the launch's "refresh" reached it.
class RecordingHost {
public:
    explicit RecordingHost(Harness& harness, const QString& failing = {}, const QString& held = {})
        : m_bundle(QStringLiteral("recording-host.js")), m_log(m_logDir.filePath(QStringLiteral("commands.log"))) {
        harness.fake->bundleDir = m_bundle.path();
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_LOG"), m_log);
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_FAIL"), failing);
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_HOLD"), held);
        harness.app().startHost();
        m_ready = m_bundle.isValid() && QTest::qWaitFor([this] { return !received().isEmpty(); }, 10000) &&
                  received().first().value(u"action").toString() == u"refresh";
    }

    bool ready() const { return m_ready; }

    // Commands received after the launch's "refresh".
    QList<QJsonObject> commands() const { return received().mid(1); }

    QStringList actions() const {
        QStringList names;
        for (const QJsonObject& command : commands()) {
            names.append(command.value(u"action").toString());
        }
        return names;
    }

private:
    QList<QJsonObject> received() const {
        QFile file(m_log);
        QList<QJsonObject> lines;
        for (const QByteArray& line : file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList()) {
            if (const QJsonObject command = QJsonDocument::fromJson(line).object(); !command.isEmpty()) {
                lines.append(command);
            }
        }
        return lines;
    }

    TestBundle m_bundle;
    QTemporaryDir m_logDir;
    QString m_log;
    bool m_ready = false;
};
