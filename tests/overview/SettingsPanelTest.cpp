#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/SegmentedControl.h"
#include "ui/StatusRow.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

class SettingsPanelTest final : public HarnessTest {
    Q_OBJECT

private Q_SLOTS:
    void panelOpensAsASheetAndEscapeClosesIt_data() {
        QTest::addColumn<std::optional<int>>("screen");
        QTest::addColumn<int>("height");
        QTest::newRow("560 high screen") << std::optional<int>(560) << 460;
        QTest::newRow("large screen") << std::optional<int>(1440) << 600;
        QTest::newRow("no screen") << std::optional<int>() << 600;
    }

    void panelOpensAsASheetAndEscapeClosesIt() {
        QFETCH(std::optional<int>, screen);
        QFETCH(int, height);
        fake().screenHeight = screen;
        app().window()->hide();
        app().setActivationPolicy(AppDelegate::ActivationPolicy::accessory);
        app().overview().showStatusPanel();
        QVERIFY(app().window()->isVisible()); // the window comes first
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QVERIFY(app().overview().statusPanel()->isVisible() && app().overview().sheetIsAttached());
        QCOMPARE(app().overview().statusPanel()->windowModality(), Qt::WindowModal);
        if (height < 600) {
            QCOMPARE(app().overview().statusPanel()->height(), height);
        } else { // at least 600, taller when the first tab needs it
            QVERIFY(app().overview().statusPanel()->height() >= height);
        }
        QTest::keyClick(app().overview().statusPanel(), Qt::Key_Escape);
        QVERIFY(!app().overview().statusPanel()->isVisible() && !app().overview().sheetIsAttached());
        QVERIFY(app().window()->isVisible()); // only the sheet closes
    }

    void segmentsChooseTheTab() {
        app().overview().showStatusPanel();
        QVERIFY(view<StatusRow>(app(), "accountRow")->isVisible());
        const QSize size = view<SegmentedControl>(app(), "settingsNavigation")->size();
        QTest::mouseClick(view<SegmentedControl>(app(), "settingsNavigation"), Qt::LeftButton, {},
                          QPoint(size.width() * 5 / 6, size.height() / 2));
        QCOMPARE(view<QStackedWidget>(app(), "settingsTabs")->currentIndex(), 2);
        QVERIFY(view<QLabel>(app(), "versionLabel")->isVisible() && !view<StatusRow>(app(), "accountRow")->isVisible());
        app().overview().selectSettingsTab(1);
        QCOMPARE(view<SegmentedControl>(app(), "settingsNavigation")->currentIndex(), 1);
        QVERIFY(view<QPushButton>(app(), "pluginSetupButton")->isVisible());
        app().overview().selectSettingsTab(7); // out of range: nothing changes
        QCOMPARE(view<QStackedWidget>(app(), "settingsTabs")->currentIndex(), 1);
    }

    void buttonsSendTheirCommandsAndReportFailures_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("action");
        const auto row = [](const char* button, const char* action) {
            QTest::newRow(action) << QString::fromLatin1(button) << QString::fromLatin1(action);
        };
        row("accountRow", "login");
        row("connectionRow", "reconnect");
        row("codexRow", "codex_login");
        row("claudeRow", "claude_login");
        row("codexHooksButton", "codex_hooks");
        row("claudeHooksButton", "claude_hooks");
        row("refreshButton", "refresh");
    }

    void buttonsSendTheirCommandsAndReportFailures() {
        QFETCH(QString, button);
        QFETCH(QString, action);
        ScriptedHost host(*m_harness, QStringLiteral("recording"), action);
        QVERIFY(host.ready());
        auto* row = app().overview().statusPanel()->findChild<StatusRow*>(button);
        QPushButton* control = row ? row->action() : app().overview().statusPanel()->findChild<QPushButton*>(button);
        QVERIFY(control);
        control->show();
        control->setEnabled(true);
        control->click();
        QTRY_COMPARE(host.actions(), QStringList{action});
        QTRY_COMPARE(view<QLabel>(app(), "footer")->text(), action + QStringLiteral(" refused"));
    }

    void failureWithoutAMessageUsesTheFallback() {
        fake().environment.insert(QStringLiteral("SCRIPTED_HOST_SILENT_FAIL"), QStringLiteral("1"));
        ScriptedHost host(*m_harness, QStringLiteral("recording"),
                          QStringLiteral("refresh")); // the launch's own refresh fails
        QVERIFY(host.ready());
        QTRY_COMPARE(view<QLabel>(app(), "footer")->text(), QStringLiteral("Action could not finish"));
    }

    void reconnectStartsAStoppedHost() {
        TestBundle bundle;
        fake().bundleDir = bundle.path();
        QVERIFY(!app().link().hostIsRunning());
        view<StatusRow>(app(), "connectionRow")->action()->show();
        view<StatusRow>(app(), "connectionRow")->action()->click();
        QTRY_VERIFY(app().link().hostIsRunning());
    }

    void pluginButtonStaysDisabledUntilTheResult() {
        ScriptedHost host(*m_harness, QStringLiteral("recording"), QStringLiteral("install_plugins"));
        QVERIFY(host.ready());
        view<QLabel>(app(), "footer")->setText(QStringLiteral("before"));
        view<QPushButton>(app(), "pluginSetupButton")->click();
        QVERIFY(!view<QPushButton>(app(), "pluginSetupButton")->isEnabled());
        QTRY_VERIFY(view<QPushButton>(app(), "pluginSetupButton")->isEnabled());
        QCOMPARE(host.actions(), QStringList{QStringLiteral("install_plugins")});
        QCOMPARE(view<QLabel>(app(), "pluginSetupLabel")->text(), QStringLiteral("Setup could not finish. Try again."));
        QCOMPARE(view<QLabel>(app(), "footer")->text(),
                 QStringLiteral("before")); // told in the setup card, not the footer
        app().link().handleLine(R"({"type":"status","status":{"pluginSetup":{"state":"ready"}}})");
        QVERIFY(view<QLabel>(app(), "pluginSetupLabel")->text().startsWith(QStringLiteral("Plugin files are ready.")));
    }

    void copyAndOpenTheWebAddress() {
        app().overview().copyWebURL(); // no address yet: nothing happens
        app().overview().openWeb();
        QVERIFY(fake().clipboardTexts.isEmpty() && fake().openedUrls.isEmpty());
        app().render({{QStringLiteral("webOrigin"), QStringLiteral("https://app.vodu.ai/workspace")}});
        view<QPushButton>(app(), "copyButton")->click();
        QCOMPARE(fake().clipboardTexts, QStringList{QStringLiteral("https://app.vodu.ai/")});
        QCOMPARE(view<QLabel>(app(), "footer")->text(), QStringLiteral("Copied"));
        view<QPushButton>(app(), "webButton")->click();
        QCOMPARE(fake().openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://app.vodu.ai/"))});
    }

    void trayMenuAndSummaryOpenThePanel() {
        app().window()->hide();
        QAction* settings = app().overview().statusMenu()->actions().value(1);
        QCOMPARE(settings ? settings->text() : QString(), QStringLiteral("Connection & settings…"));
        settings->trigger();
        QVERIFY(app().window()->isVisible()); // the window first, then the sheet
        QVERIFY(app().overview().statusPanel()->isVisible());
        app().overview().closeStatusPanel();
        QTest::mouseClick(view<ConnectionButton>(app(), "connectionSummary"), Qt::LeftButton);
        QVERIFY(app().overview().statusPanel()->isVisible());
    }
};

VODU_TEST_SUITE(SettingsPanelTest)
#include "SettingsPanelTest.moc"
