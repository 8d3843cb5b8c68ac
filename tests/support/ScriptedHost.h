#pragma once

#include "Harness.h"
#include "host/HostLink.h"

#include <QJsonObject>
#include <QTemporaryDir>

// The commands the scripted host logged to `log`, in order.
QList<QJsonObject> loggedCommands(const QString& log);

// The scripted test host (tests/fixtures/scripted-host.js) started under a harness, with every command it receives
// logged. `mode` chooses how it talks; actions in `failing` fail, actions in `held` are never answered.
class ScriptedHost {
public:
    explicit ScriptedHost(Harness& harness, const QString& mode = QStringLiteral("recording"),
                          const QString& failing = {}, const QString& held = {});

    // True once the host runs and the launch's "refresh" reached it.
    bool ready() const { return m_ready; }
    // Every command received, the launch's "refresh" first.
    QList<QJsonObject> received() const;
    // Commands received after the launch's "refresh".
    QList<QJsonObject> commands() const { return received().mid(1); }
    QStringList actions() const;
    // Makes the host write `line` (one frame, without its newline) to the app, as if it had said it.
    bool feed(const QByteArray& line);

private:
    TestBundle m_bundle;
    QTemporaryDir m_logDir;
    QString m_log;
    QString m_feed;
    bool m_ready = false;
};

// A HostLink on its own, on a fake desktop, with the scripted host as its process: the link under test without the
// app around it. Nothing is sent at start; the process is killed at the end of the test.
struct ScriptedLink {
    explicit ScriptedLink(const QString& mode = QStringLiteral("recording"));
    ~ScriptedLink();
    ScriptedLink(const ScriptedLink&) = delete;
    ScriptedLink& operator=(const ScriptedLink&) = delete;

    // Launches the host and waits until it runs.
    bool start();
    // Every command the host received, in order.
    QList<QJsonObject> received() const;

    FakePlatform platform;
    Copy copy;
    LinkState state;
    HostLink link{platform, copy, state};

private:
    TestBundle m_bundle;
    QTemporaryDir m_logDir;
};
