#include "sessions/list/SessionList.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "model/RecordIdentity.h"
#include "sessions/list/SessionRowCache.h"

#include <QTest>

namespace {

const Copy english{false};

// Rows as text: a heading as its text, a session row as its record's index; ";" before each heading.
QString rowsText(const QList<SessionListRow>& rows) {
    QStringList parts;
    for (const SessionListRow& row : rows) {
        parts.append(row.candidateIndex ? QString::number(*row.candidateIndex) : QStringLiteral(";") + row.heading);
    }
    return parts.join(QLatin1Char(',')).replace(QStringLiteral(",;"), QStringLiteral(";")).remove(0, 1);
}

// Five records, one per way into the groups; each title names its place.
const char* kRecords = R"([
    {"provider":"codex","session":"a","title":"Auto","autoContinue":true,"binding":{"mode":"managed"},
     "cwd":"/home/alex/src/ledger-api"},
    {"provider":"codex","session":"b","title":"請求書のCSV出力を修正","analysis":{"state":"needs_user"}},
    {"provider":"claude","session":"c","title":"Managed","binding":{"mode":"managed"}},
    {"provider":"claude","session":"d","title":"Plain","cwd":7},
    {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"}
])";

} // namespace

class SessionListTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grouping_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("status");
        QTest::addColumn<Tone>("dot");
        const auto add = [](const char* name, const char* record, const char* runs, int listed, int group,
                            const char* status, Tone dot) {
            QTest::newRow(name) << QString(record) << QString(runs) << listed << group << QString::fromUtf8(status)
                                << dot;
        };
        const char* managed = R"({"provider":"codex","session":"s1","binding":{"mode":"managed"}})";
        add("plain conversation", R"({"provider":"codex","session":"s1"})", "[]", 2, 2, "Not analyzed", Tone::neutral);
        add("analysis needs the user", R"({"analysis":{"state":"needs_user"}})", "[]", 0, 0, "Your decision needed",
            Tone::warning);
        add("auto-continue status needs the user", R"({"autoContinueStatus":"needs_user"})", "[]", 0, 0, "Not analyzed",
            Tone::warning);
        add("monitored conversation needing the user",
            R"({"binding":{"mode":"monitor"},"analysis":{"state":"needs_user"}})", "[]", 2, 2, "Monitor only",
            Tone::neutral);
        add("auto-continue on a managed conversation",
            R"({"provider":"codex","session":"s1","autoContinue":true,"binding":{"mode":"managed"}})",
            R"([{"provider":"codex","session":"s1","state":"active"}])", -1, 1, "In progress", Tone::good);
        add("run needs one answer", managed, R"([{"provider":"codex","session":"s1","phase":"needs_clarification"}])",
            0, 0, "One answer needed", Tone::warning);
        add("takeover before anything else",
            R"({"provider":"codex","session":"s1","binding":{"mode":"pending_takeover"}})",
            R"([{"provider":"codex","session":"s1","needsAttention":true}])", 1, 1, "Pending takeover", Tone::neutral);
        add("destructive action awaiting its result", managed, R"([{"provider":"codex","session":"s1",
            "state":"active","approvedAction":{"id":"a1","action":{"kind":"destructive"}}}])",
            0, 0, "Awaiting result", Tone::warning);
        add("ordinary approved action", managed, R"([{"provider":"codex","session":"s1","state":"active",
            "approvedAction":{"id":"a1","action":{"kind":"write"}}}])",
            1, 1, "In progress", Tone::good);
        add("waiting for a dependency", managed, R"([{"provider":"codex","session":"s1","state":"blocked",
            "dependencyWait":{"id":"d1"}}])",
            1, 1, "Waiting for dependency", Tone::neutral);
        add("declined request", managed, R"([{"provider":"codex","session":"s1","pendingApproval":{"denied":true}}])",
            0, 0, "Request declined", Tone::warning);
        add("approval needed", managed, R"([{"provider":"codex","session":"s1","pendingApproval":{}}])", 0, 0,
            "Approval needed", Tone::warning);
        add("reported done", managed, R"([{"provider":"codex","session":"s1","state":"reported_done"}])", 1, 1,
            "Reported complete · unverified", Tone::neutral);
        add("understanding", managed, R"([{"provider":"codex","session":"s1","phase":"understanding"}])", 1, 1,
            "Understanding", Tone::neutral);
        add("manual recovery", managed, R"([{"provider":"codex","session":"s1","state":"recovery_required",
            "capability":"manual_recovery"}])",
            0, 0, "In progress", Tone::warning);
        add("verification pending", managed, R"([{"provider":"codex","session":"s1","state":"verification_pending"}])",
            0, 0, "In progress", Tone::warning);
        add("running turn overrides the run", R"({"provider":"codex","session":"s1","isRunning":true,
            "binding":{"mode":"managed"}})",
            R"([{"provider":"codex","session":"s1","phase":"needs_clarification"}])", 0, 0, "Running", Tone::warning);
        add("standard loop", R"({"binding":{"mode":"standard_loop"}})", "[]", 2, 2, "Dozadavi Zaro", Tone::neutral);
        add("run of another conversation", managed, R"([{"provider":"codex","session":"s2","needsAttention":true}])", 1,
            1, "In progress", Tone::neutral);
        // "provider" and "session" compare as optional strings: missing on both sides is equal, on one side not.
        add("provider missing on both sides", R"({"session":"s1"})", R"([{"session":"s1","needsAttention":true}])", 0,
            0, "Not analyzed", Tone::warning);
        add("no identity on either side", R"({"title":"no identity"})", R"([{"needsAttention":true}])", 0, 0,
            "Not analyzed", Tone::warning);
        add("empty ids are not missing ones", R"({"title":"no identity"})",
            R"([{"provider":"","session":"","needsAttention":true}])", 2, 2, "Not analyzed", Tone::neutral);
        add("run session of another type", managed, R"([{"provider":"codex","session":["s1"],"needsAttention":true}])",
            1, 1, "In progress", Tone::neutral);
        add("first matching run decides", managed, R"([{"provider":"codex","session":"s1","state":"active"},
            {"provider":"codex","session":"s1","needsAttention":true}])",
            1, 1, "In progress", Tone::good);
    }

    void grouping() {
        QFETCH(QString, record);
        QFETCH(QString, runs);
        QFETCH(int, listed);
        QFETCH(int, group);
        QFETCH(QString, status);
        QFETCH(Tone, dot);
        const QJsonObject session = jsonObject(record);
        const QList<QJsonObject> runList = jsonObjects(runs);
        QCOMPARE(static_cast<int>(sessionListGroup(session, runList)), listed);
        QCOMPARE(static_cast<int>(sessionGroup(session, runList)), group);
        const SessionRowPresentation row = sessionRowPresentation(session, runList, english);
        QVERIFY(row.subtitle.endsWith(QStringLiteral(" · ") + status));
        QCOMPARE(row.dot, dot);
        QCOMPARE(row.attention, group == 0);
    }

    void rows_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<QString>("rows");
        const QString all =
            QStringLiteral("Auto-continue · 1,0;Needs you · 2,1,4;Supervising · 1,2;Conversations · 1,3");
        QTest::newRow("every group with its count") << QString() << false << all;
        QTest::newRow("blank query") << QStringLiteral(" \t\n ") << false << all;
        QTest::newRow("capitals match a folder in small letters")
            << QStringLiteral("LEDGER-API") << false << QStringLiteral("Auto-continue · 1,0");
        QTest::newRow("provider") << QStringLiteral("Claude") << false
                                  << QStringLiteral("Supervising · 1,2;Conversations · 1,3");
        QTest::newRow("Japanese title") << QStringLiteral("CSV出力") << false << QStringLiteral("Needs you · 1,1");
        QTest::newRow("full-width letters typed")
            << QStringLiteral("ｃｓｖ出力") << false << QStringLiteral("Needs you · 1,1");
        QTest::newRow("ideographic spaces around the query")
            << QStringLiteral("\u3000請求書\u3000") << false << QStringLiteral("Needs you · 1,1");
        QTest::newRow("Japanese headings")
            << QStringLiteral("codex") << true << QStringLiteral("自動継続 · 1,0;対応が必要 · 2,1,4");
        QTest::newRow("no hit") << QStringLiteral("nothing like it") << false << QString();
    }

    void rows() {
        QFETCH(QString, query);
        QFETCH(bool, japanese);
        QFETCH(QString, rows);
        const QList<SessionListRow> built =
            sessionListRows(jsonObjects(kRecords), {}, query, Copy{japanese}, QLocale(QLocale::English));
        QCOMPARE(rowsText(built), rows);
    }

    void selection_data() {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("row"); // -1: nothing
        QTest::newRow("kept in another group") << QStringLiteral("claude|c") << 6;
        QTest::newRow("gone: first session row") << QStringLiteral("codex|z") << 1;
        QTest::newRow("nothing remembered") << QString() << 1;
    }

    void selection() {
        QFETCH(QString, remembered);
        QFETCH(int, row);
        const QList<QJsonObject> records = jsonObjects(kRecords);
        const QList<SessionListRow> rows = sessionListRows(records, {}, QString(), english);
        QCOMPARE(sessionRowToSelect(rows, records, remembered).value_or(-1), row);
        QVERIFY(!sessionRowToSelect(sessionListRows(records, {}, QStringLiteral("zzz"), english), records, remembered));
    }

    // Without conversations, each run stands in for its own, with nothing allowed.
    void fallbackRecords() {
        const QList<QJsonObject> runs = jsonObjects(R"([
            {"provider":"codex","session":"s1","taskId":"t1","objective":"Ship it","managed":true},
            {"provider":7,"objective":["x"],"managed":"yes"}])");
        const QList<QJsonObject> records = sessionRecordsOrFallback({}, runs);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(1), jsonObject(R"({"provider":"","session":"","title":"",
            "binding":{"mode":"standard_loop","taskId":""},
            "capabilities":{"canMonitor":false,"canEnroll":false,"canAutoContinue":false},"availability":"unknown"})"));
        QCOMPARE(rowsText(sessionListRows(records, runs, QString(), english)),
                 QStringLiteral("Supervising · 1,0;Conversations · 1,1"));
        QCOMPARE(sessionRowPresentation(records.at(0), runs, english).title, QStringLiteral("Ship it"));
        QCOMPARE(sessionRecordsOrFallback(jsonObjects(R"([{"session":"x"}])"), runs).size(), 1);
    }

    // Kept facts are those a fresh derivation gives, whatever changed between snapshots: a record, a run, the order.
    void rowFactsFollowRecordsAndRuns() {
        const QList<QJsonObject> records = jsonObjects(QString::fromUtf8(kRecords));
        QList<QJsonObject> changed = records;
        changed[1] =
            jsonObject(R"({"provider":"codex","session":"b","title":"Done","analysis":{"state":"no_action"}})");
        QList<QJsonObject> reversed = records;
        std::reverse(reversed.begin(), reversed.end());
        const QList<QJsonObject> noRuns;
        const QList<QJsonObject> runs = jsonObjects(
            R"([{"provider":"claude","session":"c","state":"blocked","needsAttention":true,"phase":"needs_approval"}])");
        const QList<std::pair<QList<QJsonObject>, QList<QJsonObject>>> snapshots{{records, noRuns}, {records, noRuns},
                                                                                 {records, runs},   {changed, runs},
                                                                                 {reversed, runs},  {reversed, noRuns}};
        SessionRowCache cache;
        for (const auto& [snapshotRecords, snapshotRuns] : snapshots) {
            const QList<SessionRowFacts>& facts = cache.factsFor(snapshotRecords, snapshotRuns, english);
            QCOMPARE(facts.size(), snapshotRecords.size());
            for (qsizetype index = 0; index < facts.size(); ++index) {
                const QJsonObject& record = snapshotRecords.at(index);
                QCOMPARE(facts.at(index).group, sessionListGroup(record, snapshotRuns));
                QCOMPARE(facts.at(index).presentation, sessionRowPresentation(record, snapshotRuns, english));
                QCOMPARE(facts.at(index).key, sessionIdentity(record));
            }
        }
    }
};

VODU_TEST_SUITE(SessionListTest)
#include "SessionListTest.moc"
