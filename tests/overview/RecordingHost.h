#pragma once

#include "Harness.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// The recording host of tests/fixtures started under a harness: what it received is read back from its log.
class RecordingHost {
public:
    explicit RecordingHost(Harness& harness, const QString& failing = {}, const QString& held = {})
        : m_bundle(QStringLiteral("recording-host.js")), m_log(m_logDir.filePath(QStringLiteral("commands.log"))) {
        harness.fake->bundleDir = m_bundle.path();
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_LOG"), m_log);
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_FAIL"), failing);
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_HOLD"), held);
        harness.app().startHost();
        m_running = m_bundle.isValid() && QTest::qWaitFor([&harness] { return harness.app().hostIsRunning(); }, 10000);
    }

    bool isRunning() const { return m_running; }

    // Commands received so far, without the "refresh" the app sends after every launch.
    QList<QJsonObject> commands() const {
        QList<QJsonObject> received;
        QFile file(m_log);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QJsonObject command = QJsonDocument::fromJson(line).object();
                if (!command.isEmpty()) {
                    received.append(command);
                }
            }
        }
        if (!received.isEmpty() && received.first().value(u"action").toString() == u"refresh" && m_skipLaunchRefresh) {
            received.removeFirst();
        }
        return received;
    }

    QStringList actions() const {
        QStringList names;
        for (const QJsonObject& command : commands()) {
            names.append(command.value(u"action").toString());
        }
        return names;
    }

    // Waits for the launch's own "refresh" to arrive, so later commands are the test's.
    bool settle() {
        m_skipLaunchRefresh = false;
        const bool arrived = QTest::qWaitFor([this] { return !commands().isEmpty(); }, 10000);
        m_skipLaunchRefresh = true;
        return arrived;
    }

private:
    TestBundle m_bundle;
    QTemporaryDir m_logDir;
    QString m_log;
    bool m_running = false;
    bool m_skipLaunchRefresh = true;
};
