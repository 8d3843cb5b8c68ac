#include "DataTables.h"
#include "OverviewArea.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"
#include "ui/FlatButtons.h"
#include "ui/ToggleSwitch.h"

#include <QDialog>
#include <QDir>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

namespace {

const char* const kAttentionRuns = R"({"deliveryHooks":{"runs":[
    {"provider":"codex","session":"s1","state":"blocked","needsAttention":true},
    {"provider":"claude","session":"s2","state":"active","needsAttention":false}]}})";

} // namespace

// What the overview shows of a snapshot and of the states without one, and what its sheet and tray item do.
class OverviewTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The connection row from the connection state; the summary is it only when signed in.
    void accountAndConnection_data() {
        columns<QString, QString, Tone, QString, bool>({"status", "detail", "tone", "summary", "reconnect"});
        const auto row = [](const char* auth, const char* connection, const char* detail, Tone tone,
                            const char* summary, bool reconnect) {
            const QString status = QStringLiteral(R"({"auth":{"state":"%1"},"connection":{"state":%2}})");
            dataRow(connection, status.arg(auth, QString::fromUtf8(connection)), detail, tone, summary, reconnect);
        };
        row("signed_out", R"("online")", "Online", Tone::good, "Sign-in required", false);
        row("signed_in", R"("connecting")", "Connecting…", Tone::busy, "Connecting…", false);
        row("signed_in", R"("unauthorized")", "Sign-in required", Tone::warning, "Sign-in required", true);
        row("signed_in", R"("offline","error":"said Bearer eyJhbGciOi.x ok")", "said ••• ok", Tone::bad, "said ••• ok",
            true);
        row("signed_in", R"("offline","error":" ")", "Offline", Tone::bad, "Offline", true);
        row("expired", R"("Online")", "Status unknown", Tone::neutral, "Sign-in required", true);
    }

    void accountAndConnection() {
        const auto [status, detail, tone, summary, reconnect] =
            fetch<QString, QString, Tone, QString, bool>({"status", "detail", "tone", "summary", "reconnect"});
        OverviewArea area;
        area.render(status);
        QCOMPARE(area.detail("connectionRow"), detail);
        QCOMPARE(area.row("connectionRow")->tone(), tone);
        QCOMPARE(!area.row("connectionRow")->action()->isHidden(), reconnect);
        QCOMPARE(area.summary(), summary);
        const bool signedIn = status.contains(u"signed_in");
        QCOMPARE(area.row("accountRow")->action()->isHidden(), signedIn);
        QCOMPARE(qobject_cast<FlatOutlineButton*>(area.button("webButton"))->tint().has_value(), signedIn);
    }

    // Attention once per new set of runs that need it; a snapshot without hooks keeps the set, no runs clear it.
    void attentionIsRequestedOncePerNewSetOfRuns() {
        OverviewArea area;
        const char* const none = R"({"deliveryHooks":{"runs":[]}})";
        const std::pair<const char*, int> renders[] = {{kAttentionRuns, 1}, {kAttentionRuns, 1}, {"{}", 1},
                                                       {kAttentionRuns, 1}, {none, 1},           {kAttentionRuns, 2}};
        for (const auto& [status, requests] : renders) {
            area.render(status);
            QCOMPARE(area.platform.attentionRequests, requests);
            QCOMPARE(area.summary() == u"Sessions · Needs attention", status != none);
        }
    }

    void hooksProvidersAndVersions() {
        OverviewArea area;
        area.render(R"({"deliveryHooks":{"providers":{"codex":{"state":"missing"}},
            "runs":[{"provider":"codex","state":"blocked","reason":"r"}]},
            "providers":{"codex":{"state":"ready","version":" 1.2\n"}},"claude":{"state":"signed_out"},
            "sessionSupervision":{"providers":{"codex":{"discovery":"available","unreadable":1}}}})");
        QCOMPARE(area.text("codexHookLabel"), QStringLiteral("Codex: Not set up · use Install / update plugins"));
        QCOMPARE(area.text("claudeHookLabel"),
                 QStringLiteral("Claude Code: Not observed · review and enable in /hooks"));
        QCOMPARE(area.text("hookLabel"), QStringLiteral("codex: blocked — r"));
        // Claude's record is found at the top level; what discovery left out stays in view on the row.
        QCOMPARE(area.detail("codexRow"), QStringLiteral("Installed · signed in · 1.2 · 1 could not be read"));
        QCOMPARE(area.detail("claudeRow"), QStringLiteral("Sign-in required"));
        QVERIFY(!area.row("claudeRow")->action()->isHidden());
        const auto setupButtons = [&] {
            return area.button("pluginSetupButton")->isEnabled() && area.button("pluginRemoveButton")->isEnabled();
        };
        area.render(R"({"version":"1.2.3","pluginSetup":{"state":"installing"}})");
        QVERIFY(area.text("versionLabel") == u"Version 1.2.3" && !setupButtons()); // as the bundle
        area.render(R"({"version":" 1.3.0\n","pluginSetup":{"state":"ready"}})");
        QCOMPARE(area.text("versionLabel"), QStringLiteral("App 1.2.3 · Running 1.3.0"));
        QCOMPARE(area.link.runningVersion, QStringLiteral("1.3.0"));
        QVERIFY(setupButtons());
        area.platform.bundleInfo.remove(QStringLiteral("CFBundleShortVersionString"));
        area.render(R"({"version":"1.3.0"})");
        QCOMPARE(area.text("versionLabel"), QStringLiteral("Running 1.3.0"));
    }

    // The accepted origin feeds the service label and both buttons; a lost host takes it away.
    void webAddressAndPreview() {
        OverviewArea area;
        const auto buttonsOff = [&] {
            return !area.button("webButton")->isEnabled() && !area.button("copyButton")->isEnabled();
        };
        area.render(R"({"webOrigin":"LINK/workspace"})");
        QCOMPARE(area.text("serviceLabel"), QStringLiteral("https://app.vodu.ai/"));
        area.button("copyButton")->click();
        area.button("webButton")->click();
        QCOMPARE(area.platform.clipboardTexts, QStringList{QStringLiteral("https://app.vodu.ai/")});
        QCOMPARE(area.platform.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://app.vodu.ai/"))});
        area.render(R"({"webOrigin":"LINK"})");
        area.overview.renderDisconnected(QStringLiteral("gone"));
        QVERIFY(!area.overview.webRoot() && buttonsOff() && !area.row("connectionRow")->action()->isHidden());
        area.link.fixtureMode =
            true; // a preview: no attention, no host action (the rest of its view: tests/app/golden)
        area.render(kAttentionRuns);
        QCOMPARE(area.platform.attentionRequests, 0);
        QVERIFY(!area.button("pluginSetupButton")->isEnabled() && !area.button("pluginRemoveButton")->isEnabled());
        area.overview.renderDisconnected(QStringLiteral("gone"));
        QVERIFY(area.row("connectionRow")->action()->isHidden()); // nothing to start
    }

    // Each control sends its one command; a failure puts the host's message in the footer, a success nothing.
    void controlsSendTheirCommands_data() {
        columns<QString, QString>({"control", "action"});
        for (const QString& pair : QStringLiteral("accountRow=login codexRow=codex_login claudeRow=claude_login "
                                                  "codexHooksButton=codex_hooks claudeHooksButton=claude_hooks "
                                                  "pluginRemoveButton=remove_plugins pluginSetupButton=install_plugins "
                                                  "menuRefresh=refresh refreshButton=refresh")
                                       .split(u' ')) {
            dataRow(qPrintable(pair), pair.section(u'=', 0, 0), pair.section(u'=', 1));
        }
    }

    void controlsSendTheirCommands() {
        QFETCH(QString, control);
        const bool ok = control == u"refreshButton"; // the others are refused with a message
        OverviewArea area;
        if (QAction* item = area.menuItem(qPrintable(control))) {
            item->trigger();
        } else {
            StatusRow* row = area.row(qPrintable(control));
            QPushButton* button = row ? row->action() : area.button(qPrintable(control));
            button->show();
            button->setEnabled(true);
            button->click();
        }
        QTEST(area.commands.actions().join(u','), "action");
        QVERIFY(!area.commands.commands.first().force && !area.commands.commands.first().taskKey);
        const bool setup = control == u"pluginSetupButton"; // disabled until the result
        QCOMPARE(area.button("pluginSetupButton")->isEnabled(), !setup);
        const QString refused = area.commands.actions().value(0) + QStringLiteral(" refused");
        area.commands.complete(0, ok, ok ? std::nullopt : std::optional(refused));
        QCOMPARE(area.feedback.texts, ok ? QStringList() : QStringList{refused});
        QVERIFY(area.button("pluginSetupButton")->isEnabled());
        QVERIFY(!setup || area.text("pluginSetupLabel") == u"Setup could not finish. Try again.");
    }

    // Reconnecting, showing or toggling the window and quitting are the app's to decide: asked for, nothing sent.
    void rowsAndTrayAskTheApp() {
        OverviewArea area;
        QSignalSpy reconnect(&area.overview, &OverviewController::reconnectRequested);
        QSignalSpy showWindow(&area.overview, &OverviewController::showWindowRequested);
        QSignalSpy toggle(&area.overview, &OverviewController::windowToggleRequested);
        QSignalSpy quit(&area.overview, &OverviewController::quitRequested);
        area.row("connectionRow")->action()->show();
        area.row("connectionRow")->action()->click();
        area.menuItem("menuShowWindow")->trigger();
        area.menuItem("menuQuit")->trigger();
        Q_EMIT area.overview.statusItem()->activated(QSystemTrayIcon::Context);
        Q_EMIT area.overview.statusItem()->activated(QSystemTrayIcon::Trigger); // a left click
        QCOMPARE(QList<qsizetype>({reconnect.size(), showWindow.size(), toggle.size(), quit.size()}),
                 QList<qsizetype>({1, 1, 1, 1}));
        QVERIFY(area.commands.commands.isEmpty() && !area.overview.statusPanel()->isVisible());
    }

    // The switch writes and removes the entry and shows what is on disk each time the sheet opens.
    void startAtLogin() {
        OverviewArea area;
        QTemporaryDir scratch;
        const QString config = scratch.filePath(QStringLiteral("config"));
        area.platform.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        area.platform.bundleDir = QStringLiteral("/opt/vodu/VODU.app");
        const QString entry = config + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        area.overview.showStatusPanel();
        area.overview.selectSettingsTab(2);
        auto* toggle = area.view<ToggleSwitch>("startAtLoginSwitch");
        QVERIFY(toggle->isEnabled() && !toggle->isChecked());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QVERIFY(readFile(entry).contains("\nExec=\"/opt/vodu/VODU.app/Contents/MacOS/vodu-status\" --autostart\n"));
        for (const QString& made : {config, config + QStringLiteral("/autostart")}) { // for the user alone
            QCOMPARE(QFileInfo(made).permissions() & 0x0077, QFile::Permissions());
        }
        QTest::keyClick(toggle, Qt::Key_Space);
        QVERIFY(!toggle->isChecked() && !QFile::exists(entry));
        QVERIFY(QDir().mkpath(entry)); // a folder in the entry's place: it cannot be written
        toggle->click();
        QVERIFY(!toggle->isChecked());
        QFile file(entry);
        QVERIFY(QDir(entry).removeRecursively() && file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("[Desktop Entry]\nExec=vodu\n") > 0 && file.flush());
        area.overview.closeStatusPanel();
        area.overview.showStatusPanel(); // written outside the app: read again
        QVERIFY(toggle->isChecked());
        area.platform.environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        area.overview.closeStatusPanel();
        area.overview.showStatusPanel();
        QVERIFY(!toggle->isEnabled() && !toggle->isChecked());
    }
};

VODU_TEST_SUITE(OverviewTest)
#include "OverviewTest.moc"
