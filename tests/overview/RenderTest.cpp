#include "Harness.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QJsonDocument>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

using Text = std::optional<QString>;

// Raw strings must not hold "//" (moc misreads them): LINK stands for an address.
QJsonObject json(QString text) {
    return QJsonDocument::fromJson(text.replace(QStringLiteral("LINK"), QStringLiteral("https://app.vodu.ai")).toUtf8())
        .object();
}

const char* const kAttentionRuns = R"({"deliveryHooks":{"runs":[
    {"provider":"codex","session":"s1","state":"blocked","needsAttention":true},
    {"provider":"claude","session":"s2","state":"active","needsAttention":false}]}})";

Text text(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

class RenderTest final : public HarnessTest {
    Q_OBJECT
    void render(const QString& status) { app().render(json(status)); }

private Q_SLOTS:
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
        m_harness = std::make_unique<Harness>(QStringList{language});
        render(R"({"auth":{"state":"signed_out"},"connection":{"state":"online"}})");
        QCOMPARE(view<ConnectionButton>(app(), "connectionSummary")->text(), summary);
        QCOMPARE(view<StatusRow>(app(), "connectionRow")->detail()->text(), online);
        QVERIFY(view<StatusRow>(app(), "connectionRow")->action()->isHidden());
        QVERIFY(!view<StatusRow>(app(), "accountRow")->action()->isHidden());
        QCOMPARE(app().overview().statusItem()->toolTip(), QStringLiteral("VODU · ") + summary);
        QVERIFY(!qobject_cast<FlatOutlineButton*>(view<QPushButton>(app(), "webButton"))->tint());
    }

    void attentionIsRequestedOncePerNewSetOfRuns() {
        render(kAttentionRuns);
        render(kAttentionRuns);
        QCOMPARE(m_harness->fake->attentionRequests, 1);
        QCOMPARE(view<ConnectionButton>(app(), "connectionSummary")->text(),
                 QStringLiteral("Sessions · Needs attention"));
        // A snapshot without hooks keeps the key; one whose runs need nothing clears it.
        render("{}");
        render(kAttentionRuns);
        QCOMPARE(m_harness->fake->attentionRequests, 1);
        render(R"({"deliveryHooks":{"runs":[]}})");
        QVERIFY(app().overview().hookAttentionKey().isEmpty());
        render(kAttentionRuns);
        QCOMPARE(m_harness->fake->attentionRequests, 2);
    }

    void threeRunsShowTheFirstTwoMasked() {
        render(R"({"deliveryHooks":{"runs":[
            {"provider":"codex","state":"blocked","reason":"needs approval, see LINK/x"},
            {"provider":"claude","state":"active"}, {"provider":"codex","state":"paused","reason":"third"}]}})");
        QCOMPARE(view<QLabel>(app(), "hookLabel")->text(),
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
        render(R"({"auth":{"state":"signed_in","userLabel":"Ann\nLee"},"connection":)" + connection + "}");
        QCOMPARE(view<StatusRow>(app(), "connectionRow")->detail()->text(), detail);
        QCOMPARE(view<StatusRow>(app(), "connectionRow")->tone(), tone);
        QCOMPARE(view<ConnectionButton>(app(), "connectionSummary")->text(),
                 detail); // signed in: the summary is the connection
        QVERIFY(!view<StatusRow>(app(), "connectionRow")->action()->isHidden()); // reconnect offered
        QCOMPARE(view<StatusRow>(app(), "accountRow")->detail()->text(), QStringLiteral("Ann Lee"));
    }

    void providerRows() {
        // Claude's record is found at the top level; a wrong type counts as missing.
        render(R"({"providers":{"codex":{"state":"ready","version":" 1.2\n"}},"claude":{"state":"signed_out"}})");
        QCOMPARE(view<StatusRow>(app(), "codexRow")->detail()->text(), QStringLiteral("Installed · signed in · 1.2"));
        QCOMPARE(view<StatusRow>(app(), "claudeRow")->detail()->text(), QStringLiteral("Sign-in required"));
        QVERIFY(!view<StatusRow>(app(), "claudeRow")->action()->isHidden());
        render(R"({"providers":[],"claude":"signed_out"})");
        QCOMPARE(view<StatusRow>(app(), "claudeRow")->detail()->text(), QStringLiteral("Status unknown"));
        QVERIFY(view<StatusRow>(app(), "claudeRow")->action()->isHidden());
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

    void webOrigin() {
        QFETCH(Text, origin);
        QFETCH(Text, web);
        QFETCH(Text, api);
        QFETCH(QString, root);
        const std::optional<QUrl> accepted = validatedRoot(origin, configuredOrigin(web, api));
        QCOMPARE(accepted ? accepted->toString() : QString(), root);
    }

    void renderedOriginEnablesWebButtons() {
        render(R"({"webOrigin":"LINK/app"})");
        QVERIFY(view<QPushButton>(app(), "webButton")->isEnabled() &&
                view<QPushButton>(app(), "copyButton")->isEnabled());
        app().renderWaiting();
        QCOMPARE(view<ConnectionButton>(app(), "connectionSummary")->text(), QStringLiteral("Checking status…"));
        QVERIFY(!view<QPushButton>(app(), "webButton")->isEnabled());
        app().render({{QStringLiteral("webOrigin"), QStringLiteral("https://me@app.vodu.ai")}});
        QCOMPARE(view<QLabel>(app(), "serviceLabel")->text(), QStringLiteral("Web address unavailable"));
        QVERIFY(!view<QPushButton>(app(), "webButton")->isEnabled() &&
                !view<QPushButton>(app(), "copyButton")->isEnabled());
    }

    void previewDisablesEveryHostAction() {
        app().setFixtureMode(true);
        QJsonObject status = json(R"({"auth":{"state":"expired"},"connection":{"state":"offline"},
            "webOrigin":"LINK","pluginSetup":{"state":"ready"},"previewSelectedSession":"codex|s1",
            "providers":{"codex":{"state":"signed_out"},"claude":{"state":"signed_out"}}})");
        status.insert(QStringLiteral("deliveryHooks"), json(kAttentionRuns).value(u"deliveryHooks"));
        app().render(status);
        QCOMPARE(view<ConnectionButton>(app(), "connectionSummary")->text(),
                 QStringLiteral("Preview · sample sessions"));
        QCOMPARE(m_harness->fake->attentionRequests, 0);
        for (StatusRow* row : {view<StatusRow>(app(), "accountRow"), view<StatusRow>(app(), "connectionRow"),
                               view<StatusRow>(app(), "codexRow"), view<StatusRow>(app(), "claudeRow")}) {
            QVERIFY2(row->action()->isHidden(), qPrintable(row->objectName()));
        }
        for (QPushButton* button :
             {view<QPushButton>(app(), "webButton"), view<QPushButton>(app(), "copyButton"),
              view<QPushButton>(app(), "refreshButton"), view<QPushButton>(app(), "pluginSetupButton")}) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        }
        QCOMPARE(app().supervision().selectedSessionIdentity, QStringLiteral("codex|s1"));
    }

    void pluginSetupTexts() {
        render(R"({"pluginSetup":{"state":"error","refreshPending":true}})"); // pending counts only when ready
        QCOMPARE(view<QLabel>(app(), "pluginSetupLabel")->text(), QStringLiteral("Setup could not finish. Try again."));
        QVERIFY(view<QPushButton>(app(), "pluginSetupButton")->isEnabled());
        render(R"({"pluginSetup":{"state":"installing"}})");
        QVERIFY(!view<QPushButton>(app(), "pluginSetupButton")->isEnabled());
        render(R"({"pluginSetup":{"state":"Ready"}})"); // unknown: the initial hint
        QVERIFY(view<QLabel>(app(), "pluginSetupLabel")
                    ->text()
                    .startsWith(QStringLiteral("Prepare Codex and Claude Code plugin")));
    }

    void versionTexts() {
        QCOMPARE(app().overview().installedVersionText(QStringLiteral("1.2.3")),
                 QStringLiteral("Version 1.2.3")); // bundle: 1.2.3
        QCOMPARE(app().overview().installedVersionText(QStringLiteral("1.3.0")),
                 QStringLiteral("App 1.2.3 · Running 1.3.0"));
        m_harness->fake->bundleInfo.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral(" \n "));
        QCOMPARE(app().overview().installedVersionText(QStringLiteral("1.3.0")), QStringLiteral("Running 1.3.0"));
        QCOMPARE(app().overview().installedVersionText(std::nullopt), QStringLiteral("Version unknown"));
    }

    void timestamps() {
        render(R"({"connection":{"lastSuccessAt":"2026-12-06T08:15:30.250Z"},"sampledAt":"2026-12-06T08:16:00Z"})");
        QVERIFY(view<QLabel>(app(), "lastSuccessLabel")->text().startsWith(QStringLiteral("Last connected: ")));
        QVERIFY(view<QLabel>(app(), "footer")->text().startsWith(QStringLiteral("Last checked: ")));
        // A space instead of "T" is not a timestamp.
        render(R"({"connection":{"lastSuccessAt":"2026-12-06 08:15:30Z"},"sampledAt":"yesterday"})");
        QCOMPARE(view<QLabel>(app(), "lastSuccessLabel")->text(), QStringLiteral("No successful connection yet"));
        QCOMPARE(view<QLabel>(app(), "footer")->text(), QString());
    }
};

VODU_TEST_SUITE(RenderTest)
#include "RenderTest.moc"
