#include "OverviewArea.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QJsonDocument>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

using Text = std::optional<QString>;

const char* const kAttentionRuns = R"({"deliveryHooks":{"runs":[
    {"provider":"codex","session":"s1","state":"blocked","needsAttention":true},
    {"provider":"claude","session":"s2","state":"active","needsAttention":false}]}})";

Text text(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

// What the overview shows of a snapshot, and of the states without one.
class RenderTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<OverviewArea> m_area;
    OverviewArea& area() { return *m_area; }
    FakePlatform& platform() { return m_area->platform; }

private Q_SLOTS:
    void init() { m_area = std::make_unique<OverviewArea>(); }
    void cleanup() { m_area.reset(); }

    void signedOutButOnlineAsksForSignIn_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("online");
        for (const char* row : {"en-US|Sign-in required|Online", "ja-JP|ログインが必要です|オンライン"}) {
            const QStringList cells = QString::fromUtf8(row).split(QLatin1Char('|'));
            QTest::newRow(qPrintable(cells.at(0))) << cells.at(0) << cells.at(1) << cells.at(2);
        }
    }

    void signedOutButOnlineAsksForSignIn() {
        QFETCH(QString, language);
        QFETCH(QString, summary);
        QFETCH(QString, online);
        m_area = std::make_unique<OverviewArea>(QStringList{language});
        area().render(R"({"auth":{"state":"signed_out"},"connection":{"state":"online"}})");
        QCOMPARE(area().summary(), summary);
        QCOMPARE(area().detail("connectionRow"), online);
        QVERIFY(area().row("connectionRow")->action()->isHidden());
        QVERIFY(!area().row("accountRow")->action()->isHidden());
        QCOMPARE(area().overview.statusItem()->toolTip(), QStringLiteral("VODU · ") + summary);
        QCOMPARE(area().overview.statusMenu()->actions().first()->text(), summary);
        QVERIFY(!qobject_cast<FlatOutlineButton*>(area().button("webButton"))->tint());
    }

    void attentionIsRequestedOncePerNewSetOfRuns() {
        area().render(kAttentionRuns);
        area().render(kAttentionRuns);
        QCOMPARE(platform().attentionRequests, 1);
        QCOMPARE(area().summary(), QStringLiteral("Sessions · Needs attention"));
        QCOMPARE(area().feedback.footerText(),
                 QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped."));
        // A snapshot without hooks keeps the key; one whose runs need nothing clears it.
        area().render("{}");
        QCOMPARE(area().summary(), QStringLiteral("Sessions · Needs attention"));
        area().render(kAttentionRuns);
        QCOMPARE(platform().attentionRequests, 1);
        area().render(R"({"deliveryHooks":{"runs":[]}})");
        QVERIFY(area().summary() != QStringLiteral("Sessions · Needs attention"));
        area().render(kAttentionRuns);
        QCOMPARE(platform().attentionRequests, 2);
    }

    void hookRowsFollowTheHookState() {
        area().render(R"({"deliveryHooks":{"providers":{"codex":{"state":"missing"},"claude":{"state":"prepared"}}}})");
        QCOMPARE(area().label("codexHookLabel")->text(),
                 QStringLiteral("Codex: Not set up · use Install / update plugins"));
        QCOMPARE(area().label("claudeHookLabel")->text(),
                 QStringLiteral("Claude Code: Not observed · review and enable in /hooks"));
        area().render(R"({"deliveryHooks":{"providers":{"codex":{"state":"observed"},"claude":{"state":7}}}})");
        QCOMPARE(area().label("codexHookLabel")->text(),
                 QStringLiteral("Codex: Previously observed · verify in /hooks"));
        QCOMPARE(area().label("claudeHookLabel")->text(),
                 QStringLiteral("Claude Code: Not observed · review and enable in /hooks"));
    }

    // A provider line for discovery that failed, and for discovery that left files out (named by the service).
    void discoveryLines() {
        const auto lines = [](const char* providers) {
            return sessionDiscoveryMessageOf(
                QJsonDocument::fromJson(QByteArray(R"({"providers":)") + providers + "}").object(), Copy{});
        };
        QCOMPARE(lines(R"({"codex":{"discovery":"available","found":3,"unreadable":2,"reason":"2 left out: a, b"},
                          "claude":{"discovery":"unavailable"}})"),
                 QStringLiteral("Codex: 2 left out: a, b\nClaude Code: Discovery unavailable"));
        QCOMPARE(lines(R"({"codex":{"discovery":"available","unreadable":1},"claude":{"discovery":"available"}})"),
                 QStringLiteral("Codex: 1 could not be read"));
        // Beside a full list the provider's row says it.
        area().render(R"({"providers":{"codex":{"state":"ready"}},
                          "sessionSupervision":{"providers":{"codex":{"discovery":"available","unreadable":1}},
                                                "sessions":[{"provider":"codex","session":"s"}]}})");
        QCOMPARE(area().view<StatusRow>("codexRow")->detail()->text(),
                 QStringLiteral("Installed · signed in · 1 could not be read"));
    }

    void threeRunsShowTheFirstTwoMasked() {
        area().render(R"({"deliveryHooks":{"runs":[
            {"provider":"codex","state":"blocked","reason":"needs approval, see LINK/x"},
            {"provider":"claude","state":"active"}, {"provider":"codex","state":"paused","reason":"third"}]}})");
        QCOMPARE(area().label("hookLabel")->text(),
                 QStringLiteral("codex: blocked — needs approval, see •••\n\nclaude: active — "));
    }

    void connectionStates_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<Tone>("tone");
        const auto row = [](const char* name, const char* connection, const char* detail, Tone tone) {
            QTest::newRow(name) << QString::fromUtf8(connection) << QString::fromUtf8(detail) << tone;
        };
        row("unauthorized", R"({"state":"unauthorized"})", "Sign-in required", Tone::warning);
        row("offline with a bearer token",
            R"({"state":"offline","error":"upstream said Bearer eyJhbGciOi.x while syncing"})",
            "upstream said ••• while syncing", Tone::bad);
        row("offline, blank error", R"({"state":"offline","error":"  "})", "Offline", Tone::bad);
        row("capitalised state", R"({"state":"Online"})", "Status unknown", Tone::neutral);
    }

    void connectionStates() {
        QFETCH(QString, connection);
        QFETCH(QString, detail);
        QFETCH(Tone, tone);
        area().render(R"({"auth":{"state":"signed_in","userLabel":"Ann\nLee"},"connection":)" + connection + "}");
        QCOMPARE(area().detail("connectionRow"), detail);
        QCOMPARE(area().row("connectionRow")->tone(), tone);
        QCOMPARE(area().summary(), detail);                          // signed in: the summary is the connection
        QVERIFY(!area().row("connectionRow")->action()->isHidden()); // reconnect offered
        QCOMPARE(area().detail("accountRow"), QStringLiteral("Ann Lee"));
    }

    void providerRows() {
        // Claude's record is found at the top level; a wrong type counts as missing.
        area().render(
            R"({"providers":{"codex":{"state":"ready","version":" 1.2\n"}},"claude":{"state":"signed_out"}})");
        QCOMPARE(area().detail("codexRow"), QStringLiteral("Installed · signed in · 1.2"));
        QCOMPARE(area().detail("claudeRow"), QStringLiteral("Sign-in required"));
        QVERIFY(!area().row("claudeRow")->action()->isHidden());
        area().render(R"({"providers":[],"claude":"signed_out"})");
        QCOMPARE(area().detail("claudeRow"), QStringLiteral("Status unknown"));
        QVERIFY(area().row("claudeRow")->action()->isHidden());
    }

    void webOrigin_data() {
        QTest::addColumn<Text>("origin");
        QTest::addColumn<Text>("web");
        QTest::addColumn<Text>("api");
        QTest::addColumn<QString>("root");
        const auto row = [](const char* name, const char* origin, const char* root, const char* web = nullptr,
                            const char* api = nullptr) {
            QTest::newRow(name) << text(origin) << text(web) << text(api) << QString::fromUtf8(root);
        };
        row("default, with path and query", "https://app.vodu.ai/app?x=1", "https://app.vodu.ai/");
        row("user name", "https://me@app.vodu.ai", "");
        row("empty user part", "https://@app.vodu.ai", "");
        row("another scheme", "ftp://app.vodu.ai", "");
        row("foreign host", "https://app.vodu.ai.evil.example", "");
        row("other port", "https://app.vodu.ai:8443", "");
        row("not a string", nullptr, "");
        row("configured", "http://localhost:8787/x", "http://localhost:8787/", "http://localhost:8787");
        row("api origin", "http://127.0.0.1:9000", "http://127.0.0.1:9000/", nullptr, "http://127.0.0.1:9000/api");
        row("invalid configured", "https://app.vodu.ai", "", "https://u:pw@app.vodu.ai", "https://app.vodu.ai");
    }

    // Read from the snapshot and the environment; the service label and both buttons follow.
    void webOrigin() {
        QFETCH(Text, origin);
        QFETCH(Text, web);
        QFETCH(Text, api);
        QFETCH(QString, root);
        const std::optional<QUrl> accepted = validatedRoot(origin, configuredOrigin(web, api));
        QCOMPARE(accepted ? accepted->toString() : QString(), root);
        if (web) {
            platform().environment.insert(QStringLiteral("VODU_WEB_ORIGIN"), *web);
        }
        if (api) {
            platform().environment.insert(QStringLiteral("VODU_API_ORIGIN"), *api);
        }
        area().render(origin ? QJsonObject{{QStringLiteral("webOrigin"), *origin}} : QJsonObject{});
        QCOMPARE(area().label("serviceLabel")->text(),
                 root.isEmpty() ? QStringLiteral("Web address unavailable") : root);
        QCOMPARE(area().button("webButton")->isEnabled(), !root.isEmpty());
        QCOMPARE(area().button("copyButton")->isEnabled(), !root.isEmpty());
    }

    void waitingDisablesTheWebButtons() {
        area().render(R"({"webOrigin":"LINK/app"})");
        QVERIFY(area().button("webButton")->isEnabled() && area().button("copyButton")->isEnabled());
        area().overview.renderWaiting();
        QCOMPARE(area().summary(), QStringLiteral("Checking status…"));
        QCOMPARE(area().detail("connectionRow"), QStringLiteral("Checking status…"));
        QVERIFY(!area().button("webButton")->isEnabled() && !area().button("copyButton")->isEnabled());
    }

    // Without a host the rows say why, and only a real launch offers to start the service.
    void disconnected_data() {
        QTest::addColumn<bool>("preview");
        QTest::newRow("host ended") << false;
        QTest::newRow("preview") << true;
    }

    void disconnected() {
        QFETCH(bool, preview);
        area().link.fixtureMode = preview;
        area().render(R"({"webOrigin":"LINK","auth":{"state":"signed_in"},"connection":{"state":"online"}})");
        area().overview.renderDisconnected(QStringLiteral("gone"));
        QCOMPARE(area().summary(), QStringLiteral("Not connected · View details"));
        QCOMPARE(area().detail("connectionRow"), QStringLiteral("gone"));
        QCOMPARE(area().row("connectionRow")->action()->text(), QStringLiteral("Start service"));
        QCOMPARE(area().row("connectionRow")->action()->isHidden(), preview);
        QVERIFY(!area().overview.webRoot() && !area().button("webButton")->isEnabled());
    }

    void previewDisablesEveryHostAction() {
        area().link.fixtureMode = true;
        area().render(R"({"auth":{"state":"expired"},"connection":{"state":"offline"},
            "webOrigin":"LINK","pluginSetup":{"state":"ready"},
            "providers":{"codex":{"state":"signed_out"},"claude":{"state":"signed_out"}},
            "deliveryHooks":{"runs":[{"provider":"codex","session":"s1","state":"blocked","needsAttention":true}]}})");
        QCOMPARE(area().summary(), QStringLiteral("Preview · sample sessions"));
        QCOMPARE(platform().attentionRequests, 0);
        for (const char* name : {"accountRow", "connectionRow", "codexRow", "claudeRow"}) {
            QVERIFY2(area().row(name)->action()->isHidden(), name);
        }
        for (const char* name : {"webButton", "copyButton", "refreshButton", "pluginSetupButton"}) {
            QVERIFY2(!area().button(name)->isEnabled(), name);
        }
    }

    void pluginSetupTexts() {
        area().render(R"({"pluginSetup":{"state":"error","refreshPending":true}})"); // pending counts only when ready
        QCOMPARE(area().label("pluginSetupLabel")->text(), QStringLiteral("Setup could not finish. Try again."));
        QVERIFY(area().button("pluginSetupButton")->isEnabled());
        QVERIFY(!area().button("pluginRemoveButton")->isEnabled()); // nothing installed to remove
        area().render(R"({"pluginSetup":{"state":"ready"}})");
        QVERIFY(area().button("pluginRemoveButton")->isEnabled());
        area().render(R"({"pluginSetup":{"state":"installing"}})");
        QVERIFY(!area().button("pluginSetupButton")->isEnabled());
        area().render(R"({"pluginSetup":{"state":"Ready"}})"); // unknown: the initial hint
        QVERIFY(area()
                    .label("pluginSetupLabel")
                    ->text()
                    .startsWith(QStringLiteral("Prepare Codex and Claude Code plugin")));
    }

    void versionTexts() {
        area().render(R"({"version":"1.2.3"})"); // the bundle is 1.2.3
        QCOMPARE(area().label("versionLabel")->text(), QStringLiteral("Version 1.2.3"));
        area().render(R"({"version":" 1.3.0\n"})");
        QCOMPARE(area().label("versionLabel")->text(), QStringLiteral("App 1.2.3 · Running 1.3.0"));
        QCOMPARE(area().link.runningVersion, QStringLiteral("1.3.0"));
        platform().bundleInfo.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral(" \n "));
        area().render(R"({"version":"1.3.0"})");
        QCOMPARE(area().label("versionLabel")->text(), QStringLiteral("Running 1.3.0"));
        area().render(R"({"version":7})");
        QCOMPARE(area().label("versionLabel")->text(), QStringLiteral("Version unknown"));
        QVERIFY(!area().link.runningVersion);
    }

    void timestamps() {
        area().render(
            R"({"connection":{"lastSuccessAt":"2026-12-06T08:15:30.250Z"},"sampledAt":"2026-12-06T08:16:00Z"})");
        QVERIFY(area().label("lastSuccessLabel")->text().startsWith(QStringLiteral("Last connected: ")));
        QVERIFY(area().feedback.footerText().startsWith(QStringLiteral("Last checked: ")));
        // A space instead of "T" is not a timestamp.
        area().render(R"({"connection":{"lastSuccessAt":"2026-12-06 08:15:30Z"},"sampledAt":"yesterday"})");
        QCOMPARE(area().label("lastSuccessLabel")->text(), QStringLiteral("No successful connection yet"));
        QCOMPARE(area().feedback.footerText(), QString());
    }
};

VODU_TEST_SUITE(RenderTest)
#include "RenderTest.moc"
