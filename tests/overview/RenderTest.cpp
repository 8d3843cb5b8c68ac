#include "Harness.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QJsonObject json(const char* text) {
    return QJsonDocument::fromJson(text).object();
}

// Raw strings must not hold "//" (moc misreads them), so addresses are put in afterwards.
QJsonObject withLinks(const char* text) {
    QByteArray bytes(text);
    bytes.replace("WEBORIGIN", "https:"
                               "//app.vodu.ai");
    bytes.replace("WEBLINK", "https:"
                             "//example.com/x");
    return QJsonDocument::fromJson(bytes).object();
}

QJsonObject attentionRuns() {
    return json(R"({"deliveryHooks":{"runs":[
        {"provider":"codex","session":"s1","state":"blocked","needsAttention":true},
        {"provider":"claude","session":"s2","state":"active","needsAttention":false}]}})");
}

} // namespace

class RenderTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void signedOutButOnlineAsksForSignIn() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(json(R"({"auth":{"state":"signed_out"},"connection":{"state":"online"}})"));
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Sign-in required"));
        QCOMPARE(app.connectionSummary->tone(), Tone::warning);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Online"));
        QCOMPARE(app.connectionRow->tone(), Tone::good);
        QVERIFY(app.connectionRow->action()->isHidden());
        QCOMPARE(app.accountRow->detail()->text(), QStringLiteral("Signed out"));
        QCOMPARE(app.accountRow->action()->text(), QStringLiteral("Sign in"));
        QVERIFY(!app.accountRow->action()->isHidden());
        QCOMPARE(app.menuStatus->text(), QStringLiteral("Sign-in required"));
        QCOMPARE(app.statusItem->toolTip(), QStringLiteral("VODU · Sign-in required"));
        // Signed out, the web button loses its accent tint.
        QVERIFY(!qobject_cast<FlatOutlineButton*>(app.webButton)->tint());
    }

    void attentionIsRequestedOncePerNewSetOfRuns() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(attentionRuns());
        QCOMPARE(harness.fake->attentionRequests, 1);
        QCOMPARE(app.hookAttentionKey, QStringLiteral("s1:blocked"));
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Sessions · Needs attention"));
        QCOMPARE(app.footer->text(), QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped."));

        app.render(attentionRuns());
        QCOMPARE(harness.fake->attentionRequests, 1);

        // A snapshot without hooks keeps the key; one whose runs need nothing clears it.
        app.render(json("{}"));
        QCOMPARE(app.hookAttentionKey, QStringLiteral("s1:blocked"));
        app.render(json(R"({"deliveryHooks":{"runs":[]}})"));
        QVERIFY(app.hookAttentionKey.isEmpty());
        QCOMPARE(app.hookLabel->text(), QStringLiteral("No Dozadavi Zaro started yet."));

        app.render(attentionRuns());
        QCOMPARE(harness.fake->attentionRequests, 2);
    }

    void threeRunsShowTheFirstTwoMasked() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(withLinks(R"({"deliveryHooks":{"providers":{"codex":{"state":"observed"}},"runs":[
            {"provider":"codex","state":"blocked","reason":"needs approval, see WEBLINK"},
            {"provider":"claude","state":"active"},
            {"provider":"codex","state":"paused","reason":"third"}]}})"));
        QCOMPARE(app.hookLabel->text(),
                 QStringLiteral("codex: blocked — needs approval, see •••\n\nclaude: active — "));
        QCOMPARE(app.hookLabel->toolTip(), QStringLiteral("Resolve the approval or missing information, then request "
                                                          "resume in the original conversation."));
        QCOMPARE(app.codexHookLabel->text(), QStringLiteral("Codex: Previously observed · verify in /hooks"));
        QCOMPARE(app.claudeHookLabel->text(),
                 QStringLiteral("Claude Code: Not observed · review and enable in /hooks"));
    }

    void connectionStates_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("tone");
        QTest::addColumn<bool>("reconnectShown");
        QTest::newRow("online") << R"({"state":"online"})"
                                << "Online" << int(Tone::good) << false;
        QTest::newRow("connecting") << R"({"state":"connecting"})"
                                    << "Connecting…" << int(Tone::busy) << false;
        QTest::newRow("unauthorized") << R"({"state":"unauthorized"})"
                                      << "Sign-in required" << int(Tone::warning) << true;
        QTest::newRow("offline with a bearer token")
            << R"({"state":"offline","error":"upstream said Bearer eyJhbGciOi.x while syncing"})"
            << "upstream said ••• while syncing" << int(Tone::bad) << true;
        QTest::newRow("offline with a blank error") << R"({"state":"offline","error":"  "})"
                                                    << "Offline" << int(Tone::bad) << true;
        QTest::newRow("capitalised state is unknown") << R"({"state":"Online"})"
                                                      << "Status unknown" << int(Tone::neutral) << true;
    }

    void connectionStates() {
        QFETCH(QString, connection);
        QFETCH(QString, detail);
        QFETCH(int, tone);
        QFETCH(bool, reconnectShown);
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(json((R"({"auth":{"state":"signed_in","userLabel":"Ann\nLee"},"connection":)" + connection + "}")
                            .toUtf8()
                            .constData()));
        QCOMPARE(app.connectionRow->detail()->text(), detail);
        QCOMPARE(app.connectionRow->detail()->toolTip(), detail);
        QCOMPARE(int(app.connectionRow->tone()), tone);
        QCOMPARE(app.connectionSummary->text(), detail); // signed in: the summary is the connection
        QCOMPARE(app.connectionRow->action()->isHidden(), !reconnectShown);
        QCOMPARE(app.accountRow->detail()->text(), QStringLiteral("Ann Lee"));
    }

    void providerRows_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("codex");
        QTest::addColumn<QString>("claude");
        QTest::addColumn<bool>("claudeAction");
        QTest::newRow("ready with version, signed out")
            << R"({"providers":{"codex":{"state":"ready","version":" 1.2\n"},"claude":{"state":"signed_out"}}})"
            << "Installed · signed in · 1.2"
            << "Sign-in required" << true;
        QTest::newRow("top-level fallback for a missing key")
            << R"({"providers":{"codex":{"state":"missing"}},"claude":{"state":"outdated"}})"
            << "Not installed"
            << "Update required" << false;
        QTest::newRow("wrong types count as missing") << R"({"providers":[],"codex":"ready"})"
                                                      << "Status unknown"
                                                      << "Status unknown" << false;
    }

    void providerRows() {
        QFETCH(QString, status);
        QFETCH(QString, codex);
        QFETCH(QString, claude);
        QFETCH(bool, claudeAction);
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(QJsonDocument::fromJson(status.toUtf8()).object());
        QCOMPARE(app.codexRow->detail()->text(), codex);
        QCOMPARE(app.claudeRow->detail()->text(), claude);
        QCOMPARE(!app.claudeRow->action()->isHidden(), claudeAction);
        if (claudeAction) {
            QCOMPARE(app.claudeRow->action()->text(), QStringLiteral("Sign in to Claude Code"));
        }
    }

    void webOrigin_data() {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QVariant>("webEnv");
        QTest::addColumn<QVariant>("apiEnv");
        QTest::addColumn<QString>("root");
        const QVariant unset;
        QTest::newRow("default origin with a path and query")
            << "https://app.vodu.ai/app?x=1" << unset << unset << "https://app.vodu.ai/";
        QTest::newRow("user name") << "https://me@app.vodu.ai" << unset << unset << QString();
        QTest::newRow("empty user part") << "https://@app.vodu.ai" << unset << unset << QString();
        QTest::newRow("another scheme") << "ftp://app.vodu.ai" << unset << unset << QString();
        QTest::newRow("foreign host") << "https://app.vodu.ai.evil.example" << unset << unset << QString();
        QTest::newRow("other port") << "https://app.vodu.ai:8443" << unset << unset << QString();
        QTest::newRow("configured web origin")
            << "http://localhost:8787/x" << QVariant("http://localhost:8787") << unset << "http://localhost:8787/";
        QTest::newRow("api origin when no web origin")
            << "http://127.0.0.1:9000" << unset << QVariant("http://127.0.0.1:9000/api") << "http://127.0.0.1:9000/";
        QTest::newRow("an invalid configured origin rejects everything")
            << "https://app.vodu.ai" << QVariant("https://user:pw@app.vodu.ai") << QVariant("https://app.vodu.ai")
            << QString();
        QTest::newRow("not a string") << QString() << unset << unset << QString();
    }

    void webOrigin() {
        QFETCH(QString, origin);
        QFETCH(QVariant, webEnv);
        QFETCH(QVariant, apiEnv);
        QFETCH(QString, root);
        Harness harness;
        AppDelegate& app = harness.app();
        if (webEnv.isValid()) {
            harness.fake->environment.insert(QStringLiteral("VODU_WEB_ORIGIN"), webEnv.toString());
        }
        if (apiEnv.isValid()) {
            harness.fake->environment.insert(QStringLiteral("VODU_API_ORIGIN"), apiEnv.toString());
        }
        QJsonObject status;
        status.insert(QStringLiteral("webOrigin"), origin.isNull() ? QJsonValue(42) : QJsonValue(origin));
        app.render(status);
        QCOMPARE(app.webRoot.has_value(), !root.isEmpty());
        QCOMPARE(app.serviceLabel->text(), root.isEmpty() ? QStringLiteral("Web address unavailable") : root);
        QCOMPARE(app.webButton->isEnabled(), !root.isEmpty());
        QCOMPARE(app.copyButton->isEnabled(), !root.isEmpty());
        if (!root.isEmpty()) {
            QCOMPARE(app.webRoot->toString(), root);
        }
    }

    void previewDisablesEveryHostAction() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.fixtureMode = true;
        QJsonObject status = withLinks(R"({"auth":{"state":"expired"},"connection":{"state":"offline"},
            "webOrigin":"WEBORIGIN","pluginSetup":{"state":"ready"},
            "providers":{"codex":{"state":"signed_out"},"claude":{"state":"signed_out"}},
            "previewSelectedSession":"codex|s1"})");
        status.insert(QStringLiteral("deliveryHooks"), attentionRuns().value(u"deliveryHooks"));
        app.render(status);
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Preview · sample sessions"));
        QCOMPARE(app.connectionSummary->tone(), Tone::good);
        QCOMPARE(app.footer->text(), QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped."));
        QCOMPARE(harness.fake->attentionRequests, 0);
        for (StatusRow* row : {app.accountRow, app.connectionRow, app.codexRow, app.claudeRow}) {
            QVERIFY2(row->action()->isHidden(), qPrintable(row->objectName()));
        }
        for (QPushButton* button : {app.webButton, app.copyButton, app.refreshButton, app.pluginSetupButton}) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        }
        QCOMPARE(app.selectedSessionIdentity, QStringLiteral("codex|s1"));
        QCOMPARE(app.menuStatus->text(), QStringLiteral("Preview · sample sessions"));

        // Without attention the preview footer says so.
        app.render(json(R"({"deliveryHooks":{}})"));
        QCOMPARE(app.footer->text(), QStringLiteral("Preview data"));
    }

    void pluginSetupTexts_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("installing") << R"({"state":"installing"})"
                                    << "Preparing plugins…" << false;
        QTest::newRow("ready") << R"({"state":"ready"})"
                               << "Plugin files are ready. Enable VODU in each provider and review and allow its hooks."
                               << true;
        QTest::newRow("ready, refresh pending")
            << R"({"state":"ready","refreshPending":true})"
            << "Files are ready; provider plugin refresh is pending. Reload VODU in Codex / Claude Code and review its "
               "hooks."
            << true;
        QTest::newRow("refresh pending only counts when ready") << R"({"state":"error","refreshPending":true})"
                                                                << "Setup could not finish. Try again." << true;
        QTest::newRow("anything else")
            << R"({"state":"Ready"})"
            << "Prepare Codex and Claude Code plugin files with the button. Hook permissions "
               "are unchanged."
            << true;
    }

    void pluginSetupTexts() {
        QFETCH(QString, setup);
        QFETCH(QString, label);
        QFETCH(bool, enabled);
        Harness harness;
        AppDelegate& app = harness.app();
        QJsonObject status;
        status.insert(QStringLiteral("pluginSetup"), QJsonDocument::fromJson(setup.toUtf8()).object());
        app.render(status);
        QCOMPARE(app.pluginSetupLabel->text(), label);
        QCOMPARE(app.pluginSetupButton->isEnabled(), enabled);
    }

    void versionTexts_data() {
        QTest::addColumn<QVariant>("bundled");
        QTest::addColumn<QVariant>("running");
        QTest::addColumn<QString>("text");
        QTest::newRow("same") << QVariant("1.2.3") << QVariant("1.2.3") << "Version 1.2.3";
        QTest::newRow("no running version") << QVariant("1.2.3") << QVariant() << "Version 1.2.3";
        QTest::newRow("different") << QVariant("1.2.3") << QVariant("1.3.0") << "App 1.2.3 · Running 1.3.0";
        QTest::newRow("blank bundle version") << QVariant(" \n ") << QVariant("1.3.0") << "Running 1.3.0";
        QTest::newRow("neither") << QVariant() << QVariant() << "Version unknown";
    }

    void versionTexts() {
        QFETCH(QVariant, bundled);
        QFETCH(QVariant, running);
        QFETCH(QString, text);
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleInfo.remove(QStringLiteral("CFBundleShortVersionString"));
        if (bundled.isValid()) {
            harness.fake->bundleInfo.insert(QStringLiteral("CFBundleShortVersionString"), bundled.toString());
        }
        QJsonObject status;
        if (running.isValid()) {
            status.insert(QStringLiteral("version"), running.toString());
        }
        app.render(status);
        QCOMPARE(app.versionLabel->text(), text);
    }

    void timestamps() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(
            json(R"({"connection":{"lastSuccessAt":"2026-12-06T08:15:30.250Z"},"sampledAt":"2026-12-06T08:16:00Z"})"));
        QVERIFY(app.lastSuccessLabel->text().startsWith(QStringLiteral("Last connected: ")));
        QVERIFY(app.footer->text().startsWith(QStringLiteral("Last checked: ")));
        // A space instead of "T" is not a timestamp.
        app.render(json(R"({"connection":{"lastSuccessAt":"2026-12-06 08:15:30Z"},"sampledAt":"yesterday"})"));
        QCOMPARE(app.lastSuccessLabel->text(), QStringLiteral("No successful connection yet"));
        QCOMPARE(app.footer->text(), QString());
    }

    void waitingAfterARenderResetsTheOverview() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.render(
            withLinks(R"({"auth":{"state":"signed_in"},"connection":{"state":"online"},"webOrigin":"WEBORIGIN"})"));
        QVERIFY(app.webButton->isEnabled());
        app.renderWaiting();
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Checking status…"));
        QCOMPARE(app.connectionSummary->tone(), Tone::busy);
        QCOMPARE(app.menuStatus->text(), QStringLiteral("Checking status…"));
        QCOMPARE(app.connectionRow->tone(), Tone::busy);
        QCOMPARE(app.lastSuccessLabel->text(), QStringLiteral("Checking connection history…"));
        QVERIFY(!app.webButton->isEnabled());
        QVERIFY(app.deliveryControls->isHidden());
        QCOMPARE(app.deliveryNext->text(), QStringLiteral("Waiting for service status."));
    }

    void japaneseTexts() {
        Harness harness({QStringLiteral("ja-JP")});
        AppDelegate& app = harness.app();
        app.render(json(R"({"auth":{"state":"signed_out"},"connection":{"state":"online"}})"));
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("ログインが必要です"));
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("オンライン"));
        QCOMPARE(app.statusItem->toolTip(), QStringLiteral("VODU · ログインが必要です"));
    }

    void panelHeightRule_data() {
        QTest::addColumn<QVariant>("screen");
        QTest::addColumn<int>("height");
        QTest::newRow("560 high screen") << QVariant(560) << 460;
        QTest::newRow("650 high screen") << QVariant(650) << 550;
        QTest::newRow("large screen") << QVariant(1600) << 600;
        QTest::newRow("no screen") << QVariant() << 600;
    }

    void panelHeightRule() {
        QFETCH(QVariant, screen);
        QFETCH(int, height);
        QCOMPARE(statusPanelHeight(screen.isValid() ? std::optional<int>(screen.toInt()) : std::nullopt), height);
    }
};

VODU_TEST_SUITE(RenderTest)
#include "RenderTest.moc"
