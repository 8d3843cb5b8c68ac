#include "OverviewArea.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/MenuText.h"
#include "ui/SegmentedControl.h"
#include "ui/StatusRow.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

class SettingsPanelTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<OverviewArea> m_area;
    OverviewArea& area() { return *m_area; }
    OverviewController& overview() { return m_area->overview; }
    RecordingCommandSink& commands() { return m_area->commands; }

private Q_SLOTS:
    void init() { m_area = std::make_unique<OverviewArea>(); }
    void cleanup() { m_area.reset(); }

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
        area().platform.screenHeight = screen;
        std::optional<bool> panelShownWhenTheWindowWasAsked;
        connect(&overview(), &OverviewController::showWindowRequested, this, [this, &panelShownWhenTheWindowWasAsked] {
            panelShownWhenTheWindowWasAsked = overview().statusPanel()->isVisible();
        });
        overview().showStatusPanel();
        QCOMPARE(panelShownWhenTheWindowWasAsked, std::optional<bool>(false)); // the window comes first
        QVERIFY(overview().statusPanel()->isVisible() && overview().sheetIsAttached());
        QCOMPARE(overview().statusPanel()->windowModality(), Qt::WindowModal);
        if (height < 600) {
            QCOMPARE(overview().statusPanel()->height(), height);
        } else { // at least 600, taller when the first tab needs it
            QVERIFY(overview().statusPanel()->height() >= height);
        }
        overview().statusPanel()->resize(600, 440);
        overview().showStatusPanel(); // already open: left as it is
        QCOMPARE(overview().statusPanel()->height(), 440);
        QTest::keyClick(overview().statusPanel(), Qt::Key_Escape);
        QVERIFY(!overview().statusPanel()->isVisible() && !overview().sheetIsAttached());
        QVERIFY(area().parent.isVisible()); // only the sheet closes
    }

    void segmentsChooseTheTab() {
        overview().showStatusPanel();
        QVERIFY(area().row("accountRow")->isVisible());
        auto* navigation = area().view<SegmentedControl>("settingsNavigation");
        QTest::mouseClick(navigation, Qt::LeftButton, {},
                          QPoint(navigation->width() * 5 / 6, navigation->height() / 2));
        QCOMPARE(area().view<QStackedWidget>("settingsTabs")->currentIndex(), 2);
        QVERIFY(area().label("versionLabel")->isVisible() && !area().row("accountRow")->isVisible());
        overview().selectSettingsTab(1);
        QCOMPARE(navigation->currentIndex(), 1);
        QVERIFY(area().button("pluginSetupButton")->isVisible());
        overview().selectSettingsTab(7); // out of range: nothing changes
        QCOMPARE(area().view<QStackedWidget>("settingsTabs")->currentIndex(), 1);
    }

    // Each control sends its one command; a failure puts the host's message, or a fixed text, in the footer.
    void buttonsSendTheirCommandsAndReportFailures_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<std::optional<QString>>("message");
        QTest::addColumn<QString>("footer"); // empty: nothing is written
        const auto refused = [](const char* control, const char* action) {
            const QString text = QString::fromLatin1(action) + QStringLiteral(" refused");
            QTest::newRow(control) << QString::fromLatin1(control) << QString::fromLatin1(action) << false
                                   << std::optional<QString>(text) << text;
        };
        refused("accountRow", "login");
        refused("codexRow", "codex_login");
        refused("claudeRow", "claude_login");
        refused("codexHooksButton", "codex_hooks");
        refused("claudeHooksButton", "claude_hooks");
        refused("refreshButton", "refresh");
        refused("menuRefresh", "refresh");
        QTest::newRow("failure without a message")
            << "refreshButton"
            << "refresh" << false << std::optional<QString>() << "Action could not finish";
        QTest::newRow("success") << "refreshButton"
                                 << "refresh" << true << std::optional<QString>() << QString();
    }

    void buttonsSendTheirCommandsAndReportFailures() {
        QFETCH(QString, control);
        QFETCH(QString, action);
        QFETCH(bool, ok);
        QFETCH(std::optional<QString>, message);
        QFETCH(QString, footer);
        if (auto* item = overview().statusMenu()->findChild<QAction*>(control)) {
            item->trigger();
        } else {
            auto* row = area().view<StatusRow>(qPrintable(control));
            QPushButton* button = row ? row->action() : area().button(qPrintable(control));
            QVERIFY(button);
            button->show();
            button->setEnabled(true);
            button->click();
        }
        QCOMPARE(commands().actions(), QStringList{action});
        QVERIFY(!commands().commands.first().force && !commands().commands.first().taskKey);
        QVERIFY(area().feedback.texts.isEmpty());
        commands().complete(0, ok, message);
        QCOMPARE(area().feedback.texts, footer.isEmpty() ? QStringList() : QStringList{footer});
    }

    // The connection row's action does not send: the app decides between reconnecting and starting the host.
    void reconnectIsAskedOfTheApp() {
        QSignalSpy reconnect(&overview(), &OverviewController::reconnectRequested);
        area().row("connectionRow")->action()->show();
        area().row("connectionRow")->action()->click();
        QCOMPARE(reconnect.size(), 1);
        QVERIFY(commands().commands.isEmpty());
    }

    void pluginButtonStaysDisabledUntilTheResult() {
        area().button("pluginSetupButton")->click();
        QVERIFY(!area().button("pluginSetupButton")->isEnabled());
        QCOMPARE(area().label("pluginSetupLabel")->text(), QStringLiteral("Preparing plugins…"));
        QCOMPARE(commands().actions(), QStringList{QStringLiteral("install_plugins")});
        commands().complete(0, false, QStringLiteral("install_plugins refused"));
        QVERIFY(area().button("pluginSetupButton")->isEnabled());
        QCOMPARE(area().label("pluginSetupLabel")->text(), QStringLiteral("Setup could not finish. Try again."));
        // The card says it failed; the footer says why (a hook file the service left alone, say).
        QCOMPARE(area().feedback.texts, QStringList{QStringLiteral("install_plugins refused")});
        area().render(R"({"pluginSetup":{"state":"ready"}})");
        QVERIFY(area().label("pluginSetupLabel")->text().startsWith(QStringLiteral("Plugin files are ready.")));

        area().button("pluginSetupButton")->click();
        QVERIFY(!area().button("pluginSetupButton")->isEnabled());
        commands().complete(1, true);
        QVERIFY(area().button("pluginSetupButton")->isEnabled());
    }

    void copyAndOpenTheWebAddress() {
        overview().copyWebURL(); // no address yet: nothing happens
        overview().openWeb();
        QVERIFY(area().platform.clipboardTexts.isEmpty() && area().platform.openedUrls.isEmpty());
        area().render(QJsonObject{{QStringLiteral("webOrigin"), QStringLiteral("https://app.vodu.ai/workspace")}});
        area().button("copyButton")->click();
        QCOMPARE(area().platform.clipboardTexts, QStringList{QStringLiteral("https://app.vodu.ai/")});
        QCOMPARE(area().feedback.footerText(), QStringLiteral("Copied"));
        area().button("webButton")->click();
        QCOMPARE(area().platform.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://app.vodu.ai/"))});
    }

    void trayMenuAndSummaryOpenThePanel() {
        QSignalSpy showWindow(&overview(), &OverviewController::showWindowRequested);
        QSignalSpy quit(&overview(), &OverviewController::quitRequested);
        QAction* settings = overview().statusMenu()->actions().value(1);
        // Shown with its ampersand, not read as a mnemonic marker.
        QCOMPARE(settings ? shownMenuText(settings->text()) : QString(), QStringLiteral("Connection & settings…"));
        settings->trigger();
        QCOMPARE(showWindow.size(), 1); // the window first, then the sheet
        QVERIFY(overview().statusPanel()->isVisible());
        overview().closeStatusPanel();
        QVERIFY(!overview().statusPanel()->isVisible());
        QTest::mouseClick(area().view<ConnectionButton>("connectionSummary"), Qt::LeftButton);
        QVERIFY(overview().statusPanel()->isVisible());
        overview().closeStatusPanel();

        overview().statusMenu()->findChild<QAction*>(QStringLiteral("menuShowWindow"))->trigger();
        QCOMPARE(showWindow.size(), 3);
        QVERIFY(!overview().statusPanel()->isVisible());
        QCOMPARE(quit.size(), 0);
        overview().statusMenu()->findChild<QAction*>(QStringLiteral("menuQuit"))->trigger();
        QCOMPARE(quit.size(), 1);
        QVERIFY(commands().commands.isEmpty()); // quitting is the app's to decide
    }
};

VODU_TEST_SUITE(SettingsPanelTest)
#include "SettingsPanelTest.moc"
