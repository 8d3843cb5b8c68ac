#include "sessions/list/SessionList.h"
#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/list/NeedsYouNotices.h"

namespace {

// Rows as text: a heading as its text, a session row as its record's index; ";" before each heading.
QString rowsText(const QList<SessionListRow>& rows) {
    QStringList parts;
    for (const SessionListRow& row : rows)
        parts.append(row.candidateIndex ? QString::number(*row.candidateIndex) : QStringLiteral(";") + row.heading);
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

QString keys(const QList<NeedsYouNotice>& notices) {
    QStringList list;
    for (const NeedsYouNotice& each : notices)
        list.append(each.key);
    return list.join(u' ');
}

} // namespace

class SessionListTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grouping_data() {
        textColumns("record", "runs", "expected"); // listed group, shown group, dot (neutral, warning, good) | status
        // Conversation codex|s1 and a run of it with these fields.
        const auto s1 = [](const char* fields) {
            return QStringLiteral(R"({"provider":"codex","session":"s1",%1})").arg(QString::fromUtf8(fields));
        };
        const auto run = [&](const char* fields) {
            return u'[' + s1(fields) + u']';
        };
        const QString managed = s1(R"("binding":{"mode":"managed"})");
        row("analysis needs the user", R"({"analysis":{"state":"needs_user"}})", "[]", "0 0 w | Your decision needed");
        row("auto-continue on a managed conversation", s1(R"("autoContinue":true,"binding":{"mode":"managed"})"),
            run(R"("state":"active")"), "-1 1 g | In progress");
        row("run needs one answer", managed, run(R"("phase":"needs_clarification")"), "0 0 w | One answer needed");
        row("takeover before anything else", s1(R"("binding":{"mode":"pending_takeover"})"),
            run(R"("needsAttention":true)"), "1 1 n | Pending takeover");
        row("destructive action awaiting its result", managed,
            run(R"("state":"active","approvedAction":{"id":"a1","action":{"kind":"destructive"}})"),
            "0 0 w | Awaiting result");
        row("external action needing a handoff", managed,
            run(R"("state":"recovery_required","approvedAction":{"id":"a1","action":{"kind":"external"}})"),
            "0 0 w | Handoff needed");
        row("ordinary approved action", managed,
            run(R"("state":"active","approvedAction":{"id":"a1","action":{"kind":"write"}})"), "1 1 g | In progress");
        row("running turn overrides the run", s1(R"("isRunning":true,"binding":{"mode":"managed"})"),
            run(R"("phase":"needs_clarification")"), "0 0 w | Running");
        // "provider" and "session" compare as optional strings: missing on both sides is equal, on one side not.
        row("provider missing on both sides", R"({"session":"s1"})", R"([{"session":"s1","needsAttention":true}])",
            "0 0 w | Not analyzed");
        row("no identity on either side", R"({"title":"no identity"})", R"([{"needsAttention":true}])",
            "0 0 w | Not analyzed");
        row("empty ids are not missing ones", R"({"title":"no identity"})",
            R"([{"provider":"","session":"","needsAttention":true}])", "2 2 n | Not analyzed");
        row("run session of another type", managed, R"([{"provider":"codex","session":["s1"],"needsAttention":true}])",
            "1 1 n | In progress");
        row("first matching run decides", managed,
            u'[' + s1(R"("state":"active")") + u',' + s1(R"("needsAttention":true)") + u']', "1 1 g | In progress");
    }

    void grouping() {
        const auto [record, runs] = fetch<QString, QString>({"record", "runs"});
        const QJsonObject session = json(record);
        const QList<QJsonObject> runList = jsonObjects(runs);
        const SessionRowPresentation row = sessionRowPresentation(session, runList, english);
        const int group = static_cast<int>(sessionGroup(session, runList));
        QCOMPARE(row.attention, group == 0);
        QTEST(QStringLiteral("%1 %2 %3 | %4")
                  .arg(static_cast<int>(sessionListGroup(session, runList)))
                  .arg(group)
                  .arg(QLatin1Char("gwbnu"[static_cast<int>(row.dot)]))
                  .arg(row.subtitle.section(QStringLiteral(" · "), -1)),
              "expected");
    }

    void rows_data() {
        columns<QString, bool, QString>({"query", "japanese", "rows"});
        row("every group with its count", "", false,
            "Auto-continue · 1,0;Needs you · 2,1,4;Supervising · 1,2;Conversations · 1,3");
        row("capitals match a folder in small letters", "LEDGER-API", false, "Auto-continue · 1,0");
        row("full-width letters typed", "ｃｓｖ出力", false, "Needs you · 1,1");
        row("ideographic spaces around the query", "\u3000請求書\u3000", false, "Needs you · 1,1");
        row("Japanese headings", "codex", true, "自動継続 · 1,0;対応が必要 · 2,1,4");
        row("no hit", "nothing like it", false, "");
    }

    void rows() {
        const auto [query, japanese] = fetch<QString, bool>({"query", "japanese"});
        QTEST(rowsText(sessionListRows(jsonObjects(kRecords), {}, query, Copy{japanese}, QLocale(QLocale::English))),
              "rows");
    }

    void selection_data() {
        // row: -1: nothing
        columns<QString, int>({"remembered", "row"});
        row("kept in another group", "claude|c", 6);
        row("gone: first session row", "codex|z", 1);
        row("nothing remembered", "", 1);
    }

    void selection() {
        QFETCH(QString, remembered);
        const QList<QJsonObject> records = jsonObjects(kRecords);
        QTEST(
            int(sessionRowToSelect(sessionListRows(records, {}, QString(), english), records, remembered).value_or(-1)),
            "row");
        QVERIFY(!sessionRowToSelect(sessionListRows(records, {}, QStringLiteral("zzz"), english), records, remembered));
    }

    // Without conversations, each run stands in for its own, with nothing allowed.
    void fallbackRecords() {
        const QList<QJsonObject> runs = jsonObjects(R"([{"provider":"codex","session":"s1","taskId":"t1",
            "objective":"Ship it","managed":true}, {"provider":7,"objective":["x"],"managed":"yes"}])");
        const QString nothingAllowed =
            QStringLiteral(R"("capabilities":{"canMonitor":false,"canEnroll":false,"canAutoContinue":false})");
        QCOMPARE(sessionRecordsOrFallback({}, runs),
                 jsonObjects(QStringLiteral(R"([{"provider":"codex","session":"s1","title":"Ship it",%1,
            "binding":{"mode":"managed","taskId":"t1"},"availability":"unknown"},{"provider":"","session":"","title":"",
            "binding":{"mode":"standard_loop","taskId":""},%1,"availability":"unknown"}])")
                                 .arg(nothingAllowed)));
        QCOMPARE(sessionRecordsOrFallback(jsonObjects(R"([{"session":"x"}])"), runs).size(), 1);
    }

    void whatWaitsForTheUser() {
        const QList<QJsonObject> sessions = jsonObjects(R"([
            {"provider":"codex","session":"a","title":"Fix the build","analysis":{"state":"needs_user","reason":"Which branch?"}},
            {"provider":"codex","session":"b","title":"Quiet one","analysis":{"state":"continue"}},
            {"provider":"claude","session":"c","title":"<b>Bold</b>","analysis":{"state":"needs_user"}},
            {"provider":"codex","session":"r","title":"Told once","binding":{"mode":"managed"}}])");
        const QList<QJsonObject> runs = jsonObjects(R"([
            {"provider":"codex","session":"r","taskId":"t","needsAttention":true,"reason":"Approve the deploy"},
            {"provider":"codex","session":"x","taskId":"y","objective":"Ship it","needsAttention":true},
            {"provider":"codex","session":"q","taskId":"u","needsAttention":false}])");
        QStringList told;
        for (const NeedsYouNotice& notice : needsYouNotices(sessions, runs, english))
            told.append(notice.key + u'=' + notice.title + u'=' + notice.reason);
        QCOMPARE(told, QStringList({"session:codex|a=Fix the build=Which branch?",
                                    "session:claude|c=<b>Bold</b>=Your decision needed",
                                    "session:codex|r=Told once=Approve the deploy",
                                    "run:codex|x|y=Ship it=Needs your attention"}));
    }

    // Each row: what was told and when ("!": nothing, at start-up; seconds before now; a key without time was told
    // long ago), what waits now, and the plan: the keys shown one by one / the count in a summary / the keys withdrawn
    // / the keys shown a minute later for the same notices.
    void whatIsShownAndWithdrawn_data() {
        textColumns("told", "now", "plan"); // told: key=reason[@seconds ago]; now: key=reason
        row("new", "", "a=x", "a / 0 /  / ");
        row("reason changed", "a=x", "a=y", "a / 0 /  / ");
        row("reason changed within the minute: later", "a=x@20", "a=y", " / 0 /  / a");
        row("back within the minute: later", "b=x a@30", "a=x b=x", " / 0 /  / a");
        row("left: withdrawn", "a=x b=y", "b=y", " / 0 / a / ");
        row("all left: the summary goes too", "a=x", "", " / 0 / a summary / ");
        row("a burst is one summary", "z=w", "a=x b=x c=x d=x z=w", " / 5 /  / ");
        row("three at once are each told", "", "a=x b=x c=x", "a b c / 0 /  / ");
        row("start-up sums up what already waits, once", "!", "a=x b=y", " / 2 /  / ");
        row("start-up with nothing waiting", "!", "", " / 0 /  / ");
    }

    void whatIsShownAndWithdrawn() {
        const auto [told, now] = fetch<QString, QString>({"told", "now"});
        const QDateTime at(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
        NoticeHistory history;
        for (const QString& entry : told.split(u' ', Qt::SkipEmptyParts)) {
            const QString key = entry.section(u'@', 0, 0).section(u'=', 0, 0);
            if (entry.section(u'@', 0, 0).contains(u'='))
                history.notified.insert(key, entry.section(u'@', 0, 0).section(u'=', 1));
            if (entry.contains(u'@'))
                history.lastShownAt.insert(key, at.addSecs(-entry.section(u'@', 1).toInt()));
        }
        QList<NeedsYouNotice> notices;
        for (const QString& entry : now.split(u' ', Qt::SkipEmptyParts))
            notices.append({entry.section(u'=', 0, 0), QString(), entry.section(u'=', 1)});
        const NoticePlan plan = planNotices(history, notices, told == u"!", at, english);
        const QString summary = plan.summary.value_or(QStringLiteral("0")).section(u' ', 0, 0);
        QVERIFY(!plan.summary || *plan.summary == summary + QStringLiteral(" conversations are waiting for you"));
        QTEST(keys(plan.show) + " / " + summary + " / " + plan.withdraw.join(u' ') + " / " +
                  keys(planNotices(plan.history, notices, false, at.addSecs(61), english).show),
              "plan");
    }
};

VODU_TEST_SUITE(SessionListTest)
#include "SessionListTest.moc"
