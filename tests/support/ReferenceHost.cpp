#include "ReferenceHost.h"

#include "host/HostLink.h"

#include <QTest>

ReferenceHost::ReferenceHost(Harness& harness, const QString& scenario) {
    QHash<QString, QString>& environment = harness.fake->environment;
    harness.fake->bundleDir = m_bundle.path();
    environment.insert(QStringLiteral("VODU_HOME"), m_home.path());
    environment.insert(QStringLiteral("VODU_HOST_SCENARIO"),
                       scenario.isEmpty() ? TestBundle::sourcePath(QStringLiteral("companion/scenarios/demo.json"))
                                          : scenario);
    environment.insert(QStringLiteral("VODU_HOST_DISCOVERY"), QStringLiteral("off"));
    environment.insert(QStringLiteral("VODU_HOST_TICK_MS"), QStringLiteral("0"));
    environment.insert(QStringLiteral("VODU_HOST_STEP_MS"), QStringLiteral("20"));
    environment.insert(QStringLiteral("VODU_HOST_HEARTBEAT_MS"), QStringLiteral("2000"));
    harness.app().startHost();
    const AppDelegate& app = harness.app();
    m_ready =
        m_bundle.isValid() && m_home.isValid() &&
        QTest::qWaitFor([&app] { return app.linkState().connected && app.linkState().lastStatusReceivedAt; }, 15000);
}
