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
#include <QTableView>
#include <QTest>

class SessionsInWindowTest final : public HarnessTest {
    Q_OBJECT

    static QJsonObject snapshot(const char* sessions) {
        return QJsonDocument::fromJson(QByteArray(R"({"sessionSupervision":{"sessions":)") + sessions + "}}").object();
    }

private Q_SLOTS:
    // The sample data shows every group and every state a conversation can be listed with.
    void previewsShowEveryGroupAndState_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("English") << "en-US"
                                 << "preview-en.json"
                                 << QStringList{"Auto-continue · ",
                                                "Needs you · ",
                                                "Supervising · ",
                                                "Conversations · ",
                                                "Following up",
                                                "Finished",
                                                "Limit reached",
                                                "Needs you",
                                                "Check failed",
                                                "Checking…",
                                                "Running",
                                                "Not analyzed",
                                                "Queued for analysis",
                                                "Analyzing…",
                                                "Work remains",
                                                "Waiting",
                                                "Needs another check",
                                                "Analysis unavailable",
                                                "Monitor only",
                                                "Pending takeover",
                                                "Dozadavi Zaro",
                                                "Your decision needed"};
        QTest::newRow("Japanese") << "ja-JP"
                                  << "preview-ja.json"
                                  << QStringList{"自動継続 · ", "対応が必要 · ", "管理中 · ",
                                                 "会話 · ",     "継続中",        "完了",
                                                 "上限に到達",  "確認中…",       "実行中",
                                                 "未分析",      "分析待ち",      "分析中…",
                                                 "待機中",      "再確認が必要",  "分析できませんでした",
                                                 "監視のみ",    "引き継ぎ待ち",  "Dozadavi Zaro",
                                                 "判断が必要"};
    }

    void previewsShowEveryGroupAndState() {
        QFETCH(QString, language);
        QFETCH(QString, fixture);
        QFETCH(QStringList, expected);
        Harness harness({language});
        harness.app().setFixtureMode(true);
        harness.app().loadFixture(TestBundle::sourcePath(QStringLiteral("fixtures/") + fixture));
        const QAbstractItemModel* rows = view<QTableView>(harness.app(), "deliveryTable")->model();
        QString listed;
        for (int row = 0; row < rows->rowCount(); ++row) {
            listed += rows->index(row, 0).data().toString() + QLatin1Char('\n');
        }
        for (const QString& text : expected) {
            QVERIFY2(listed.contains(text), qPrintable(text));
        }
    }

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
