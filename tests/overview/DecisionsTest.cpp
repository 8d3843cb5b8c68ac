#include "TestData.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"

#include <QTest>

using Text = std::optional<QString>;

namespace {

Text text(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

QList<QJsonObject> runs(const char* list) {
    QList<QJsonObject> objects;
    for (const QJsonValue& run : json(QByteArray(R"({"runs":)") + list + "}").value(u"runs").toArray()) {
        objects.append(run.toObject());
    }
    return objects;
}

} // namespace

// What the overview decides from a snapshot and the environment alone.
class DecisionsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The host's web origin is accepted only when it is the configured one (variables, else the default).
    void webRoot_data() {
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
        row("absent", nullptr, "");
        row("configured", "http://localhost:8787/x", "http://localhost:8787/", "http://localhost:8787");
        row("api origin", "http://127.0.0.1:9000", "http://127.0.0.1:9000/", nullptr, "http://127.0.0.1:9000/api");
        row("invalid configured, no fall-back", "https://app.vodu.ai", "", "https://u:pw@app.vodu.ai",
            "https://app.vodu.ai");
    }

    void webRoot() {
        QFETCH(Text, origin);
        QFETCH(Text, web);
        QFETCH(Text, api);
        const std::optional<QUrl> accepted = validatedRoot(origin, configuredOrigin(web, api));
        QTEST(accepted ? accepted->toString() : QString(), "root");
    }

    // The runs needing attention key the request for it; the first two runs are shown, host text masked.
    void runsTexts() {
        QCOMPARE(hookAttentionKeyOf({}), QString());
        QCOMPARE(latestRunsText({}), std::nullopt);
        const QList<QJsonObject> three = runs(R"([
            {"provider":"codex","session":"s1","state":"blocked","needsAttention":true,"reason":"needs token=abc123 now"},
            {"provider":"claude","session":"s2","state":"active","needsAttention":false},
            {"provider":"codex","session":"s3","state":"paused","needsAttention":true,"reason":"third"}])");
        QCOMPARE(hookAttentionKeyOf(three), QStringLiteral("s1:blocked|s3:paused"));
        QCOMPARE(latestRunsText(three), QStringLiteral("codex: blocked — needs ••• now\n\nclaude: active — "));
    }

    void hookRow_data() {
        QTest::addColumn<QByteArray>("provider");
        QTest::addColumn<QString>("row");
        QTest::newRow("observed") << QByteArray(R"({"state":"observed"})") << "Previously observed · verify in /hooks";
        QTest::newRow("missing") << QByteArray(R"({"state":"missing"})") << "Not set up · use Install / update plugins";
        QTest::newRow("not a string") << QByteArray(R"({"state":7})") << "Not observed · review and enable in /hooks";
    }

    void hookRow() {
        QFETCH(QByteArray, provider);
        QTEST(hookRowText(json(provider), Copy{}), "row");
    }

    // One line per provider whose conversations could not all be listed; the service's reason first.
    void discovery_data() {
        QTest::addColumn<QByteArray>("providers");
        QTest::addColumn<QString>("lines");
        QTest::newRow("reason and unavailable")
            << QByteArray(R"({"codex":{"discovery":"available","unreadable":2,"reason":"2 left out: a, b"},
                             "claude":{"discovery":"unavailable"}})")
            << "Codex: 2 left out: a, b\nClaude Code: Discovery unavailable";
        QTest::newRow("one unreadable") << QByteArray(R"({"codex":{"discovery":"available","unreadable":1}})")
                                        << "Codex: 1 could not be read";
        QTest::newRow("all read") << QByteArray(R"({"codex":{"discovery":"available","unreadable":0}})") << "";
        QTest::newRow("masked reason")
            << QByteArray(R"({"claude":{"discovery":"unavailable","reason":"token=abc123 expired"}})")
            << "Claude Code: ••• expired";
    }

    void discovery() {
        QFETCH(QByteArray, providers);
        QTEST(sessionDiscoveryMessageOf(json(QByteArray(R"({"providers":)") + providers + "}"), Copy{}), "lines");
    }

    // The sheet's height: the screen's visible height less 100, at most 600.
    void panelHeight() {
        QCOMPARE(QList<int>({statusPanelHeight(560), statusPanelHeight(1440), statusPanelHeight(std::nullopt)}),
                 QList<int>({460, 600, 600}));
    }
};

VODU_TEST_SUITE(DecisionsTest)
#include "DecisionsTest.moc"
