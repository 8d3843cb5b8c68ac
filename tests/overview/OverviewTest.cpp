#include "AreaHarness.h"
#include "DataTables.h"
#include "FakePlatform.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "overview/AutostartEntry.h"
#include "overview/OverviewController.h"
#include "overview/OverviewDecisions.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"
#include "ui/ToggleSwitch.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

namespace {

// The overview area on its own: the connection summary and the workspace button in the harness's parent, which
// stands for the main window, the settings sheet on it, and the tray item. The "show window" request shows the
// parent, as the app shows its window.
struct OverviewArea : AreaHarness {
    explicit OverviewArea(const QStringList& languages = {QStringLiteral("en-US")}) : AreaHarness(languages) {
        overview.buildConnectionSummary(&parent);
        overview.buildWebButton(&parent);
        overview.buildStatusPanel(&parent, new QWidget, new QWidget);
        overview.buildStatusItem();
        parent.resize(800, 600);
        QObject::connect(&overview, &OverviewController::showWindowRequested, &parent, [this] { parent.show(); });
    }

    // The overview's part of one snapshot, as the app renders it; LINK: the workspace address (moc misreads "//").
    void render(QString text) {
        const QJsonObject status = json(text.replace(QStringLiteral("LINK"), QStringLiteral("https://app.vodu.ai")));
        overview.renderSetupAndHooks(status);
        overview.renderAccount(status);
        overview.renderSummary(status);
    }

    QPushButton* button(const char* name) const { return view<QPushButton>(name); }
    StatusRow* row(const char* name) const { return view<StatusRow>(name); }
    QString text(const char* label) const { return view<QLabel>(label)->text(); }
    QString detail(const char* name) const { return row(name)->detail()->text(); }
    QString summary() const { return view<ConnectionButton>("connectionSummary")->text(); }
    QAction* menuItem(const char* name) const { return ::view<QAction>(overview.statusMenu(), name); }

    OverviewController overview{context, link};
};

using Text = std::optional<QString>;

Text text(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

// The one argument of an entry's Exec line as a desktop reads it: string escapes, then quoting; "%%" is "%".
QString execArgument(const QString& entry) {
    const QRegularExpression escaped(QStringLiteral(R"(\\(.))"));
    QString exec = QRegularExpression(QStringLiteral("\nExec=(.*) --autostart\n")).match(entry).captured(1);
    exec.replace(escaped, QStringLiteral("\\1"));
    if (exec.size() < 2 || !exec.startsWith(u'"') || !exec.endsWith(u'"')) {
        return QStringLiteral("<not quoted>");
    }
    QString argument = exec.mid(1, exec.size() - 2).replace(escaped, QStringLiteral("\\1"));
    return QString(argument).remove(QStringLiteral("%%")).contains(u'%') // a field code
               ? QStringLiteral("<field code>")
               : argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

const char* const kAttentionRuns = R"({"deliveryHooks":{"runs":[
    {"provider":"codex","session":"s1","state":"blocked","needsAttention":true},
    {"provider":"claude","session":"s2","state":"active","needsAttention":false}]}})";

using Policy = AppDelegate::ActivationPolicy;

} // namespace

class OverviewTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the overview decides from a snapshot and the environment alone.

    // The host's web origin is accepted only when it is the configured one (variables, else the default).
    void webRoot_data() {
        columns<Text, Text, Text, QString>({"origin", "web", "api", "root"});
        const auto row = [](const char* name, const char* origin, const char* root, const char* web = nullptr,
                            const char* api = nullptr) {
            dataRow(name, text(origin), text(web), text(api), root);
        };
        row("default, with path and query", "https://app.vodu.ai/app?x=1", "https://app.vodu.ai/");
        row("user name", "https://me@app.vodu.ai", "");
        row("empty user part", "https://@app.vodu.ai", "");
        row("another scheme", "ftp://app.vodu.ai", "");
        row("foreign host", "https://app.vodu.ai.evil.example", "");
        row("other port", "https://app.vodu.ai:8443", "");
        row("absent", nullptr, "");
        row("configured", "http://localhost:8787/x", "http://localhost:8787/", "http://localhost:8787");
        row("api origin", "http://127.0.0.1:9000", "http://127.0.0.1:9000/", nullptr, "http://127.0.0.1:9000/api");
        row("invalid configured, no fall-back", "https://app.vodu.ai", "", "https://u:pw@app.vodu.ai",
            "https://app.vodu.ai");
    }

    void webRoot() {
        const auto [origin, web, api, root] = fetch<Text, Text, Text, QString>({"origin", "web", "api", "root"});
        const std::optional<QUrl> accepted = validatedRoot(origin, configuredOrigin(web, api));
        QCOMPARE(accepted ? accepted->toString() : QString(), root);
    }

    // The runs needing attention key the request for it; the first two runs are shown, host text masked.
    void runsTexts() {
        QCOMPARE(hookAttentionKeyOf({}), QString());
        QCOMPARE(latestRunsText({}), std::nullopt);
        QList<QJsonObject> three;
        const QJsonObject status = json(R"({"runs":[
            {"provider":"codex","session":"s1","state":"blocked","needsAttention":true,"reason":"needs token=abc123 now"},
            {"provider":"claude","session":"s2","state":"active","needsAttention":false},
            {"provider":"codex","session":"s3","state":"paused","needsAttention":true,"reason":"third"}]})");
        for (const QJsonValue& run : status.value(u"runs").toArray()) {
            three.append(run.toObject());
        }
        QCOMPARE(hookAttentionKeyOf(three), QStringLiteral("s1:blocked|s3:paused"));
        QCOMPARE(latestRunsText(three), QStringLiteral("codex: blocked — needs ••• now\n\nclaude: active — "));
    }

    // One line per provider whose conversations could not all be listed; the service's reason first, masked.
    void discovery_data() {
        columns<QString, QString>({"providers", "lines"});
        dataRow("reason and unavailable",
                R"({"codex":{"discovery":"available","unreadable":2,"reason":"2 left out: a, b"},
            "claude":{"discovery":"unavailable"}})",
                "Codex: 2 left out: a, b\nClaude Code: Discovery unavailable");
        dataRow("all read", R"({"codex":{"discovery":"available","unreadable":0}})", "");
        dataRow("masked reason", R"({"claude":{"discovery":"unavailable","reason":"token=abc123 expired"}})",
                "Claude Code: ••• expired");
    }

    void discovery() {
        const auto [providers, lines] = fetch<QString, QString>({"providers", "lines"});
        QCOMPARE(sessionDiscoveryMessageOf(json(R"({"providers":)" + providers + u'}'), Copy{}), lines);
    }

    // The sheet's height: the screen's visible height less 100, at most 600.
    void panelHeight() {
        QCOMPARE(QList<int>({statusPanelHeight(560), statusPanelHeight(1440), statusPanelHeight(std::nullopt)}),
                 QList<int>({460, 600, 600}));
    }

    void entryPath_data() {
        columns<QString, QString, QString>({"xdg", "home", "expected"}); // "-": unset; expected empty: no path
        dataRow("XDG_CONFIG_HOME wins", "/srv/cfg/", "/home/ada", "/srv/cfg");
        dataRow("unset: HOME/.config", "-", "/home/ada", "/home/ada/.config");
        dataRow("relative or empty is ignored", "cfg", "/home/ada", "/home/ada/.config");
        dataRow("neither", "-", "-", "");
        dataRow("relative HOME", "-", "ada", "");
    }

    void entryPath() {
        const auto [xdg, home, expected] = fetch<QString, QString, QString>({"xdg", "home", "expected"});
        FakePlatform platform;
        platform.environment.clear();
        for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, std::pair{"HOME", home}}) {
            if (value != u"-") {
                platform.environment.insert(QString::fromLatin1(name), value);
            }
        }
        QCOMPARE(AutostartEntry::entryPath(platform).value_or(QString()),
                 expected.isEmpty() ? expected : expected + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop"));
    }

    // The app's path reads back unchanged from the entry; a control character cannot be written at all.
    void entryText_data() {
        columns<QString>({"path"});
        dataRow("spaces, non-ASCII", "/home/アダ/My Apps/VODU.app/Contents/MacOS/vodu-status");
        dataRow("shell characters", "/opt/$HOME/`id`/\"q\"/it's;&|<>*?#()~/vodu-status");
        dataRow("backslashes", "/opt/a\\b\\\\c/vodu-status");
        dataRow("percent, a field code", "/opt/100%/%U %f/vodu-status");
        dataRow("line feed", "/opt/a\nb/vodu-status");
        dataRow("tab", "/opt/a\tb/vodu-status");
    }

    void entryText() {
        const auto [path] = fetch<QString>({"path"});
        const std::optional<QString> text = AutostartEntry::entryText(path);
        QCOMPARE(text.has_value(), !path.contains(u'\n') && !path.contains(u'\t'));
        QCOMPARE(text ? execArgument(*text) : path, path);
    }

    void isEnabled_data() {
        columns<QString, bool>({"content", "enabled"}); // "<dir>": a folder in the entry's place; "<none>": no file
        dataRow("ours", *AutostartEntry::entryText("/x/vodu-status"), true);
        dataRow("Hidden = true, spaced", "[Desktop Entry]\nHidden = true\n", false);
        dataRow("Hidden=false", "[Desktop Entry]\nExec=/x\nHidden=false\n", true);
        dataRow("switched off", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false);
        dataRow("Hidden in an action group", "[Desktop Entry]\nExec=/x\n[Desktop Action quit]\nHidden=true\n", true);
        dataRow("no file", "<none>", false);
        dataRow("a folder", "<dir>", false);
    }

    void isEnabled() {
        const auto [content, enabled] = fetch<QString, bool>({"content", "enabled"});
        QTemporaryDir scratch;
        const QString path = scratch.filePath(QStringLiteral("autostart/com.zuzi.vodu.cli.desktop"));
        QFile file(path);
        QVERIFY(QDir().mkpath(content == u"<dir>" ? path : QFileInfo(path).path()));
        QVERIFY(content.startsWith(u'<') || (file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) > 0));
        file.close();
        QCOMPARE(AutostartEntry::isEnabled(path), enabled);
    }

    // What the overview shows of a snapshot and of the states without one, and what its sheet and tray item do.

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

    // The tray as the app uses it: closing the window hides it to the tray, or quits when there is none; the tray's
    // items bring the window back, with the sheet, and quit.

    void closingTheWindow_data() {
        columns<bool>({"tray"});
        dataRow("with a tray", true);
        dataRow("without a tray: the app quits", false);
    }

    void closingTheWindow() {
        const auto [tray] = fetch<bool>({"tray"});
        Harness harness;
        harness.fake->tray = tray;
        AppDelegate& app = harness.app();
        QMainWindow* window = app.window();
        app.showWindow();
        QVERIFY(!window->close());                              // refused: the window object stays
        QTRY_COMPARE(harness.fake->terminations, tray ? 0 : 1); // no host runs: it ends at once
        if (tray) {
            QVERIFY(!window->isVisible() && app.activationPolicy() == Policy::accessory);
            app.toggleWindow(); // a left click on the tray item
            QVERIFY(QTest::qWaitForWindowActive(window) && app.activationPolicy() == Policy::regular);
            app.toggleWindow();
            QVERIFY(!window->isVisible());
            view<QAction>(app, "menuSettings")->trigger();
            QVERIFY(window->isVisible() && view<QDialog>(app, "statusPanel")->isVisible());
        }
    }

    // The tray's Quit asks only while tasks run; a confirmed quit is forced, a cancelled one sends nothing; a
    // refused one shows the window with the reason.
    void quitFromTheTray_data() {
        columns<int, int, bool>({"tasks", "answer", "refused"});
        dataRow("no tasks: no alert, not forced", 0, 1, false);
        dataRow("two tasks, quit: forced", 2, 1, false);
        dataRow("two tasks, cancel", 2, 0, false);
        dataRow("refused by the host: the window shows why", 0, 1, true);
    }

    void quitFromTheTray() {
        const auto [tasks, answer, refused] = fetch<int, int, bool>({"tasks", "answer", "refused"});
        Harness harness;
        ScriptedHost host(harness, QStringLiteral("recording"), refused ? QStringLiteral("quit") : QString());
        QVERIFY(host.ready());
        harness.app().render(QJsonObject{{"tasks", QJsonObject{{"activeCount", tasks}}}});
        harness.fake->alertAnswers = {AlertAnswer{answer, {}}};
        view<QAction>(harness.app(), "menuQuit")->trigger();
        QCOMPARE(harness.fake->alerts.size(), tasks ? 1 : 0);
        QVERIFY(!tasks || harness.fake->alerts.first().informativeText ==
                              u"Quitting VODU may affect 2 active task(s). Do you want to quit?");
        if (answer == 0) {
            QTest::qWait(100);
            QVERIFY(host.actions().isEmpty() && harness.fake->terminations == 0);
        } else if (refused) {
            QTRY_COMPARE(view<QLabel>(harness.app(), "footer")->text(), QStringLiteral("quit refused"));
            QVERIFY(harness.app().window()->isVisible() && harness.fake->terminations == 0);
        } else {
            QTRY_COMPARE(harness.fake->terminations, 1);
            QCOMPARE(host.actions(), QStringList{QStringLiteral("quit")});
            QCOMPARE(host.commands().first().value(u"force"),
                     tasks ? QJsonValue(true) : QJsonValue(QJsonValue::Undefined));
        }
    }
};

VODU_TEST_SUITE(OverviewTest)
#include "OverviewTest.moc"
