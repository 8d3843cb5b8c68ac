#include "DataTables.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"

using Text = std::optional<QString>;

namespace {

Text text(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

// What the overview decides from a snapshot and the environment alone.
class DecisionsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
};

VODU_TEST_SUITE(DecisionsTest)
#include "DecisionsTest.moc"
