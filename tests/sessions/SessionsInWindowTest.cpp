// The conversation area inside the whole window: the sidebar caption counts the conversations of the snapshot,
// and the home's buttons reach the settings sheet and the original conversation.
#include "Harness.h"
#include "TestRegistry.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"

#include <QDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

class SessionsInWindowTest final : public HarnessTest {
    Q_OBJECT

    static QJsonObject snapshot(const char* sessions) {
        return QJsonDocument::fromJson(QByteArray(R"({"sessionSupervision":{"sessions":)") + sessions + "}}").object();
    }

private Q_SLOTS:
    void captionCountsTheConversations() {
        app().render(snapshot(R"([{"provider":"codex","session":"a"},{"provider":"codex","session":"b"}])"));
        QCOMPARE(view<QLabel>(app(), "tasksLabel")->text(), QStringLiteral("Sessions · 2"));
        view<SidebarNavButton>(app(), "tasksNav")->click();
        view<SidebarNavButton>(app(), "sessionsNav")->click();
        app().render(snapshot("[]"));
        QCOMPARE(view<QLabel>(app(), "tasksLabel")->text(), QStringLiteral("Sessions · 0"));
    }

    void providerSetupOpensTheSettings() {
        app().render(snapshot("[]"));
        auto* setup = view<QPushButton>(app(), "startManagedButton");
        QVERIFY(!setup->isHidden());
        setup->click();
        QTRY_VERIFY(app().overview().statusPanel()->isVisible());
        QCOMPARE(view<SegmentedControl>(app(), "settingsNavigation")->currentIndex(), 1);
        app().overview().statusPanel()->hide();
    }

    void theRunPanesButtonOpensTheConversation() {
        app().setFixtureMode(true);
        app().render(snapshot(R"([{"provider":"codex","session":"a"}])"));
        view<QPushButton>(app(), "originalSessionButton")->click();
        QCOMPARE(fake().alerts.size(), 1);
        QCOMPARE(fake().alerts.first().message, QStringLiteral("Sample conversation"));
    }
};

VODU_TEST_SUITE(SessionsInWindowTest)
#include "SessionsInWindowTest.moc"
