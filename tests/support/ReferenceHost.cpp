#include "ReferenceHost.h"

#include <QTest>

ReferenceHost::ReferenceHost(Harness& harness, const QString& scenario)
    : ReferenceHost(harness, Options{scenario, {}, {}, true}) {}

ReferenceHost::ReferenceHost(Harness& harness, const Options& options) {
    QHash<QString, QString>& environment = harness.fake->environment;
    harness.fake->bundleDir = m_bundle.path();
    environment.insert(QStringLiteral("VODU_HOME"), options.home.isEmpty() ? m_home.path() : options.home);
    environment.insert(QStringLiteral("VODU_HOST_SCENARIO"),
                       options.scenario.isEmpty()
                           ? TestBundle::sourcePath(QStringLiteral("companion/scenarios/demo.json"))
                           : options.scenario);
    environment.insert(QStringLiteral("VODU_HOST_DISCOVERY"), QStringLiteral("off"));
    environment.insert(QStringLiteral("VODU_HOST_TICK_MS"), QStringLiteral("0"));
    environment.insert(QStringLiteral("VODU_HOST_STEP_MS"), QStringLiteral("20"));
    environment.insert(QStringLiteral("VODU_HOST_HEARTBEAT_MS"), QStringLiteral("2000"));
    if (!options.faults.isEmpty()) {
        environment.insert(QStringLiteral("VODU_HOST_FAULT"), options.faults);
    }
    harness.app().startHost();
    const AppDelegate& app = harness.app();
    const auto started = [&app, &options] {
        return options.waitForStatus ? app.linkState().connected && app.linkState().lastStatusReceivedAt
                                     : app.linkState().hostProcessAlive;
    };
    m_ready = m_bundle.isValid() && m_home.isValid() && QTest::qWaitFor(started, 15000);
}
