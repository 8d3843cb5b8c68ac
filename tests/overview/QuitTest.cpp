#include "ScriptedHost.h"
#include "TestRegistry.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QTest>

class QuitTest final : public HarnessTest {
    Q_OBJECT

private Q_SLOTS:
    void quitAsksOnlyWhileTasksRun_data() {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<int>("answer");
        QTest::newRow("no tasks: no alert, no force") << 0 << 1;
        QTest::newRow("two tasks, quit: forced") << 2 << 1;
        QTest::newRow("two tasks, cancel") << 2 << 0;
    }

    void quitAsksOnlyWhileTasksRun() {
        QFETCH(int, tasks);
        QFETCH(int, answer);
        ScriptedHost host(*m_harness);
        QVERIFY(host.ready());
        QTRY_VERIFY(app().link().pendingCount() == 0);
        app().render(QJsonObject{{QStringLiteral("tasks"), QJsonObject{{QStringLiteral("activeCount"), tasks}}}});
        fake().alertAnswers = {AlertAnswer{answer, {}}};
        app().requestQuit();
        QCOMPARE(fake().alerts.size(), tasks ? 1 : 0);
        if (tasks) {
            QCOMPARE(fake().alerts.first().informativeText,
                     QStringLiteral("Quitting VODU may affect 2 active task(s). Do you want to quit?"));
            QCOMPARE(fake().alerts.first().buttons.value(1), QStringLiteral("Quit VODU"));
        }
        if (answer == 0) {
            QVERIFY(!app().linkState().quitInFlight);
            QVERIFY(app().link().pendingCount() == 0); // nothing was sent
            QCOMPARE(fake().terminations, 0);
            return;
        }
        QTRY_COMPARE(fake().terminations, 1);
        QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        QCOMPARE(host.commands().first().value(u"force"), tasks ? QJsonValue(true) : QJsonValue(QJsonValue::Undefined));
    }

    void refusedQuitKeepsTheAppAndShowsWhy() {
        ScriptedHost host(*m_harness, QStringLiteral("recording"), QStringLiteral("quit"));
        QVERIFY(host.ready());
        app().window()->hide();
        app().setActivationPolicy(AppDelegate::ActivationPolicy::accessory);
        app().requestQuit();
        QTRY_VERIFY(!app().linkState().quitInFlight);
        QCOMPARE(fake().terminations, 0);
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QCOMPARE(view<QLabel>(app(), "footer")->text(), QStringLiteral("quit refused"));
        QVERIFY(app().link().hostIsRunning());
    }

    void aSecondQuitWhileOneIsOutstandingIsIgnored() {
        ScriptedHost host(*m_harness, QStringLiteral("recording"), {}, QStringLiteral("quit"));
        QVERIFY(host.ready());
        QTRY_VERIFY(app().link().pendingCount() == 0);
        app().requestQuit();
        app().requestQuit();
        QVERIFY(!app().applicationShouldTerminate()); // becomes another requestQuit
        QCoreApplication::processEvents();
        QCOMPARE(app().link().pendingCount(), 1);
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("quit")});
        app().link().process()->kill(); // the host ends without answering: the quit fails and the app stays
        QTRY_VERIFY(!app().linkState().quitInFlight);
        QCOMPARE(fake().terminations, 0);
        QVERIFY(app().window()->isVisible());
    }

    void disconnectedPlatformQuitTerminates() {
        QVERIFY(!app().applicationShouldTerminate()); // asked again from the event loop, as requestQuit
        QCOMPARE(fake().terminations, 0);
        QTRY_COMPARE(fake().terminations, 1);
        QVERIFY(fake().alerts.isEmpty());
    }

    // Closing only hides; the tray's "Connection & settings…" brings the window back with the sheet on it.
    void closingTheWindowHidesItAndReopenShowsIt() {
        app().showWindow();
        QVERIFY(!app().window()->close()); // refused: the window object stays
        QVERIFY(!app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::accessory);
        app().showWindow();
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QCOMPARE(fake().terminations, 0);

        QVERIFY(!app().window()->close());
        view<QAction>(app(), "menuSettings")->trigger();
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QVERIFY(view<QDialog>(app(), "statusPanel")->isVisible());
    }
};

VODU_TEST_SUITE(QuitTest)
#include "QuitTest.moc"
