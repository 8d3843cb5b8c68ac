#include "Harness.h"
#include "RecordingHost.h"
#include "TestRegistry.h"

#include <QLabel>
#include <QMainWindow>
#include <QTest>

class QuitTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutTasksQuitsWithoutAskingOrForcing() {
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness);
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        app.requestQuit();
        QVERIFY(harness.fake->alerts.isEmpty());
        QVERIFY(app.quitInFlight);
        QTRY_COMPARE(harness.fake->terminations, 1);
        QVERIFY(app.approvedQuit);
        QVERIFY(!app.quitInFlight);
        const QList<QJsonObject> commands = host.commands();
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.first().value(u"action").toString(), QStringLiteral("quit"));
        QVERIFY(!commands.first().contains(QStringLiteral("force")));
    }

    void runningTasksAskFirst_data() {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("informative");
        QTest::newRow("English, quit") << QStringList{"en-US"} << 1
                                       << "Quitting VODU may affect 2 active task(s). Do you want to quit?";
        QTest::newRow("English, cancel") << QStringList{"en-US"} << 0
                                         << "Quitting VODU may affect 2 active task(s). Do you want to quit?";
        QTest::newRow("Japanese, quit")
            << QStringList{"ja"} << 1
            << "VODU を終了すると、2 件の実行中タスクに影響する可能性があります。終了しますか？";
    }

    void runningTasksAskFirst() {
        QFETCH(QStringList, languages);
        QFETCH(int, answer);
        QFETCH(QString, informative);
        Harness harness(languages);
        AppDelegate& app = harness.app();
        RecordingHost host(harness);
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        QTRY_VERIFY(app.pending.isEmpty());
        app.activeTaskCount = 2;
        harness.fake->alertAnswers = {AlertAnswer{answer, {}}};
        app.requestQuit();
        QCOMPARE(harness.fake->alerts.size(), 1);
        const AlertRequest& alert = harness.fake->alerts.first();
        QCOMPARE(alert.informativeText, informative);
        QCOMPARE(alert.buttons.size(), 2);
        QCOMPARE(alert.buttons.at(1), app.copy.text("VODU を終了", "Quit VODU"));
        if (answer == 0) {
            QVERIFY(!app.quitInFlight);
            QVERIFY(app.pending.isEmpty()); // nothing was sent: a sent command waits here for its result
            QCOMPARE(harness.fake->terminations, 0);
            return;
        }
        QTRY_COMPARE(harness.fake->terminations, 1);
        QCOMPARE(host.commands().first().value(u"force").toBool(), true);
    }

    void refusedQuitKeepsTheAppAndShowsWhy() {
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness, QStringLiteral("quit"));
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        app.window->hide();
        app.setActivationPolicy(AppDelegate::ActivationPolicy::accessory);
        app.requestQuit();
        QTRY_VERIFY(!app.quitInFlight);
        QCOMPARE(harness.fake->terminations, 0);
        QVERIFY(!app.approvedQuit);
        QVERIFY(app.window->isVisible());
        QCOMPARE(app.activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QCOMPARE(app.footer->text(), QStringLiteral("quit refused"));
        QVERIFY(app.hostIsRunning());
    }

    void aSecondQuitWhileOneIsOutstandingIsIgnored() {
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness, {}, QStringLiteral("quit"));
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        QTRY_VERIFY(app.pending.isEmpty());
        app.requestQuit();
        QCOMPARE(app.pending.size(), 1);
        app.requestQuit();
        QVERIFY(!app.applicationShouldTerminate()); // the platform's own request becomes another requestQuit
        QCoreApplication::processEvents();
        QCOMPARE(app.pending.size(), 1); // still the one quit
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        QCOMPARE(harness.fake->terminations, 0);

        // The host ends without answering: the quit fails and the app stays, ready to try again.
        app.process->kill();
        QTRY_VERIFY(!app.quitInFlight);
        QCOMPARE(harness.fake->terminations, 0);
        QVERIFY(app.window->isVisible());
    }

    void disconnectedQuitTerminatesAtOnce() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.activeTaskCount = 0;
        app.requestQuit();
        QCOMPARE(harness.fake->terminations, 1);
        QVERIFY(app.approvedQuit);
        QVERIFY(harness.fake->alerts.isEmpty());
    }

    void previewQuitsWithoutACommandEvenWithTasks() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.fixtureMode = true;
        app.activeTaskCount = 1;
        harness.fake->alertAnswers = {AlertAnswer{1, {}}};
        app.requestQuit();
        QCOMPARE(harness.fake->alerts.size(), 1);
        QCOMPARE(harness.fake->terminations, 1);
    }

    void platformQuitRequestBecomesRequestQuit() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.activeTaskCount = 3;
        QVERIFY(!app.applicationShouldTerminate());
        QCOMPARE(harness.fake->alerts.size(), 0); // asked later, from the event loop
        QTRY_COMPARE(harness.fake->alerts.size(), 1);
        QCOMPARE(harness.fake->terminations, 0); // the first button (Cancel) was chosen
    }

    void closingTheWindowHidesItAndReopenShowsIt() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.showWindow();
        QVERIFY(app.window->isVisible());
        QVERIFY(!app.window->close()); // refused: the window object stays
        QVERIFY(!app.window->isVisible());
        QCOMPARE(app.activationPolicy(), AppDelegate::ActivationPolicy::accessory);
        QCOMPARE(harness.fake->terminations, 0);
        app.showWindowFromNotification();
        QVERIFY(app.window->isVisible());
        QCOMPARE(app.activationPolicy(), AppDelegate::ActivationPolicy::regular);
    }
};

VODU_TEST_SUITE(QuitTest)
#include "QuitTest.moc"
