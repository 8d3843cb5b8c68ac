#include "Harness.h"
#include "RecordingHost.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/SegmentedControl.h"
#include "ui/StatusRow.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QPushButton* panelButton(AppDelegate& app, const QString& name) {
    if (name.contains(QLatin1Char('.'))) {
        const QString row = name.section(QLatin1Char('.'), 0, 0);
        return app.statusPanel->findChild<StatusRow*>(row)->action();
    }
    return app.statusPanel->findChild<QPushButton*>(name);
}

} // namespace

class SettingsPanelTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelOpensAsASheetWithTheHeightRule_data() {
        QTest::addColumn<QVariant>("screen");
        QTest::addColumn<int>("height");
        QTest::newRow("560 high screen") << QVariant(560) << 460;
        QTest::newRow("large screen") << QVariant(1440) << 600;
        QTest::newRow("no screen") << QVariant() << 600;
    }

    void panelOpensAsASheetWithTheHeightRule() {
        QFETCH(QVariant, screen);
        QFETCH(int, height);
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->screenHeight = screen.isValid() ? std::optional<int>(screen.toInt()) : std::nullopt;
        app.window->hide();
        app.setActivationPolicy(AppDelegate::ActivationPolicy::accessory);

        app.showStatusPanel();
        QVERIFY(app.window->isVisible()); // the window comes first
        QCOMPARE(app.activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QVERIFY(app.statusPanel->isVisible());
        QCOMPARE(app.statusPanel->windowModality(), Qt::WindowModal);
        QCOMPARE(app.statusPanel->height(), height);
        QCOMPARE(app.statusPanel->width(), 600);
        QVERIFY(app.sheetIsAttached());

        // Asking again while it is attached changes nothing.
        app.statusPanel->resize(700, 500);
        app.showStatusPanel();
        QCOMPARE(app.statusPanel->size(), QSize(700, 500));
    }

    void escapeAndReturnCloseThePanel_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Return (Done is the default button)") << int(Qt::Key_Return);
    }

    void escapeAndReturnCloseThePanel() {
        QFETCH(int, key);
        Harness harness;
        AppDelegate& app = harness.app();
        app.showStatusPanel();
        QVERIFY(app.statusPanel->isVisible());
        QTest::keyClick(app.statusPanel, Qt::Key(key));
        QVERIFY(!app.statusPanel->isVisible());
        QVERIFY(!app.sheetIsAttached());
        QVERIFY(app.window->isVisible()); // only the sheet closes
    }

    void segmentsChooseTheTab() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.showStatusPanel();
        QCOMPARE(app.settingsNavigation->titles(),
                 (QStringList{QStringLiteral("Connection"), QStringLiteral("Dozadavi Zaro"),
                              QStringLiteral("App & updates")}));
        QCOMPARE(app.settingsNavigation->currentIndex(), 0);
        QVERIFY(app.accountRow->isVisible());
        QVERIFY(!app.versionLabel->isVisible());

        // A click on the third segment shows the version and update card.
        const QRect third(app.settingsNavigation->width() * 2 / 3, 0, app.settingsNavigation->width() / 3,
                          app.settingsNavigation->height());
        QTest::mouseClick(app.settingsNavigation, Qt::LeftButton, {}, third.center());
        QCOMPARE(app.settingsNavigation->currentIndex(), 2);
        QCOMPARE(app.settingsTabs->currentIndex(), 2);
        QVERIFY(app.versionLabel->isVisible());
        QVERIFY(app.updateButton->isVisible());
        QVERIFY(!app.accountRow->isVisible());

        app.selectSettingsTab(1);
        QCOMPARE(app.settingsNavigation->currentIndex(), 1);
        QVERIFY(app.pluginSetupButton->isVisible());
        app.selectSettingsTab(7); // out of range: nothing changes
        QCOMPARE(app.settingsTabs->currentIndex(), 1);
    }

    void buttonsSendTheirCommandsAndReportFailures_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("action");
        QTest::newRow("sign in") << "accountRow.action"
                                 << "login";
        QTest::newRow("reconnect") << "connectionRow.action"
                                   << "reconnect";
        QTest::newRow("Codex sign-in") << "codexRow.action"
                                       << "codex_login";
        QTest::newRow("Claude Code sign-in") << "claudeRow.action"
                                             << "claude_login";
        QTest::newRow("Codex hooks") << "codexHooksButton"
                                     << "codex_hooks";
        QTest::newRow("Claude Code guide") << "claudeHooksButton"
                                           << "claude_hooks";
        QTest::newRow("refresh") << "refreshButton"
                                 << "refresh";
    }

    void buttonsSendTheirCommandsAndReportFailures() {
        QFETCH(QString, button);
        QFETCH(QString, action);
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness, action);
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        QPushButton* control = panelButton(app, button);
        QVERIFY(control);
        control->show();
        control->setEnabled(true);
        app.footer->setText(QStringLiteral("before"));
        control->click();
        QTRY_COMPARE(host.actions(), QStringList{action});
        QTRY_COMPARE(app.footer->text(), action + QStringLiteral(" refused"));
        const QList<QJsonObject> commands = host.commands();
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.first().value(u"action").toString(), action);
        QVERIFY(!commands.first().contains(QStringLiteral("force")));
        QVERIFY(!commands.first().contains(QStringLiteral("taskKey")));
    }

    void failureWithoutAMessageUsesTheFallback() {
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("RECORDING_HOST_SILENT_FAIL"), QStringLiteral("1"));
        RecordingHost host(harness, QStringLiteral("refresh"));
        QVERIFY(host.isRunning());
        QTRY_COMPARE(app.footer->text(), QStringLiteral("Action could not finish")); // the launch's own refresh
        app.footer->clear();
        app.refreshButton->setEnabled(true);
        app.refreshButton->click();
        QTRY_COMPARE(app.footer->text(), QStringLiteral("Action could not finish"));
    }

    void reconnectStartsAStoppedHost() {
        Harness harness;
        AppDelegate& app = harness.app();
        TestBundle bundle(QStringLiteral("recording-host.js"));
        harness.fake->bundleDir = bundle.path();
        QVERIFY(!app.hostIsRunning());
        app.connectionRow->action()->show();
        app.connectionRow->action()->click();
        QTRY_VERIFY(app.hostIsRunning());
    }

    void pluginButtonStaysDisabledUntilTheResult() {
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness, {}, QStringLiteral("install_plugins"));
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        app.pluginSetupButton->click();
        QVERIFY(!app.pluginSetupButton->isEnabled());
        QCOMPARE(app.pluginSetupLabel->text(), QStringLiteral("Preparing plugins…"));
        app.pluginSetupButton->click(); // a second press while waiting does nothing
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("install_plugins")});

        // The host ends without answering: the command fails and the button returns with the error text.
        app.process->kill();
        QTRY_COMPARE(app.pluginSetupLabel->text(), QStringLiteral("Setup could not finish. Try again."));
    }

    void failedPluginSetupShowsTheErrorUntilTheNextSnapshot() {
        Harness harness;
        AppDelegate& app = harness.app();
        RecordingHost host(harness, QStringLiteral("install_plugins"));
        QVERIFY(host.isRunning());
        QVERIFY(host.settle());
        app.footer->setText(QStringLiteral("before"));
        app.pluginSetupButton->click();
        QTRY_VERIFY(app.pluginSetupButton->isEnabled());
        QCOMPARE(app.pluginSetupLabel->text(), QStringLiteral("Setup could not finish. Try again."));
        QCOMPARE(app.footer->text(), QStringLiteral("before")); // told in the setup card, not the footer
        app.handleLine(R"({"type":"status","status":{"pluginSetup":{"state":"ready"}}})");
        QCOMPARE(
            app.pluginSetupLabel->text(),
            QStringLiteral("Plugin files are ready. Enable VODU in each provider and review and allow its hooks."));
    }

    void copyAndOpenTheWebAddress() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.footer->setText(QStringLiteral("before"));
        app.copyWebURL();
        app.openWeb();
        QVERIFY(harness.fake->clipboardTexts.isEmpty());
        QVERIFY(harness.fake->openedUrls.isEmpty());
        QCOMPARE(app.footer->text(), QStringLiteral("before"));

        QJsonObject status;
        status.insert(QStringLiteral("webOrigin"), QStringLiteral("https:"
                                                                  "//app.vodu.ai/workspace"));
        app.render(status);
        app.copyButton->click();
        QCOMPARE(harness.fake->clipboardTexts, QStringList{QStringLiteral("https:"
                                                                          "//app.vodu.ai/")});
        QCOMPARE(app.footer->text(), QStringLiteral("Copied"));
        app.webButton->click();
        QCOMPARE(harness.fake->openedUrls, QList<QUrl>{QUrl(QStringLiteral("https:"
                                                                           "//app.vodu.ai/"))});
    }

    void trayMenuMirrorsTheSummary() {
        Harness harness;
        AppDelegate& app = harness.app();
        QStringList titles;
        for (const QAction* action : app.statusMenu->actions()) {
            titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(titles, (QStringList{"Checking status…", "Connection & settings…", "-", "Show VODU", "Refresh", "-",
                                      "Quit VODU"}));
        QVERIFY(!app.menuStatus->isEnabled());
        app.updateMenuStatus(QStringLiteral("Online"));
        QCOMPARE(app.menuStatus->text(), QStringLiteral("Online"));
        QCOMPARE(app.statusItem->toolTip(), QStringLiteral("VODU · Online"));

        // "Connection & settings…" with the window hidden shows the window, then the sheet.
        app.window->hide();
        app.statusMenu->actions().at(1)->trigger();
        QVERIFY(app.window->isVisible());
        QVERIFY(app.statusPanel->isVisible());
    }

    void connectionSummaryOpensThePanel() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.showWindow();
        QTest::mouseClick(app.connectionSummary, Qt::LeftButton);
        QVERIFY(app.statusPanel->isVisible());
    }
};

VODU_TEST_SUITE(SettingsPanelTest)
#include "SettingsPanelTest.moc"
