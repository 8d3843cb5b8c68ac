#include "sessions/list/NeedsYouNotices.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

QList<QJsonObject> records(const char* json) {
    QList<QJsonObject> list;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array()) {
        list.append(value.toObject());
    }
    return list;
}

const Copy kEnglish{false};

NeedsYouNotice notice(const QString& key, const QString& reason) {
    return {key, QString(), reason};
}

QStringList keys(const QList<NeedsYouNotice>& notices) {
    QStringList list;
    for (const NeedsYouNotice& each : notices) {
        list.append(each.key);
    }
    return list;
}

} // namespace

class NeedsYouNoticesTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void whatWaitsForTheUser() {
        const QList<QJsonObject> sessions = records(R"([
            {"provider":"codex","session":"a","title":"Fix the build","analysis":{"state":"needs_user","reason":"Which branch?"}},
            {"provider":"codex","session":"b","title":"Quiet one","analysis":{"state":"continue"}},
            {"provider":"claude","session":"c","title":"<b>Bold</b>","analysis":{"state":"needs_user"}}])");
        const QList<QJsonObject> runs = records(R"([
            {"provider":"codex","session":"r","taskId":"t","objective":"Ship it","needsAttention":true,"reason":"Approve the deploy"},
            {"provider":"codex","session":"q","taskId":"u","needsAttention":false}])");
        const QList<NeedsYouNotice> notices = needsYouNotices(sessions, runs, kEnglish);
        QCOMPARE(keys(notices), (QStringList{"session:codex|a", "session:claude|c", "run:codex|r|t"}));
        QCOMPARE(notices.at(0).title, QStringLiteral("Fix the build"));
        QCOMPARE(notices.at(0).reason, QStringLiteral("Which branch?"));
        QCOMPARE(notices.at(1).title, QStringLiteral("<b>Bold</b>")); // text, shown as text by the service
        QVERIFY(!notices.at(1).reason.isEmpty());
        QCOMPARE(notices.at(2).title, QStringLiteral("Ship it"));
        QCOMPARE(notices.at(2).reason, QStringLiteral("Approve the deploy"));
    }

    // Each row: what was told and when (seconds before now; a key without time was told long ago), what waits now,
    // and what is shown, summarised and withdrawn.
    void whatIsShownAndWithdrawn_data() {
        QTest::addColumn<QStringList>("told");  // key=reason[@seconds ago]
        QTest::addColumn<QStringList>("now");   // key=reason
        QTest::addColumn<QStringList>("shown"); // keys shown one by one
        QTest::addColumn<int>("summary");       // the count in a summary, 0 for none
        QTest::addColumn<QStringList>("withdrawn");
        QTest::newRow("new") << QStringList() << QStringList{"a=x"} << QStringList{"a"} << 0 << QStringList();
        QTest::newRow("same state again")
            << QStringList{"a=x"} << QStringList{"a=x"} << QStringList() << 0 << QStringList();
        QTest::newRow("reason changed") << QStringList{"a=x"} << QStringList{"a=y"} << QStringList{"a"} << 0
                                        << QStringList();
        QTest::newRow("reason changed within the minute: later")
            << QStringList{"a=x@20"} << QStringList{"a=y"} << QStringList() << 0 << QStringList();
        QTest::newRow("back within the minute: later")
            << QStringList{"b=x", "a@30"} << QStringList{"a=x", "b=x"} << QStringList() << 0 << QStringList();
        QTest::newRow("reason changed after the minute")
            << QStringList{"a=x@61"} << QStringList{"a=y"} << QStringList{"a"} << 0 << QStringList();
        QTest::newRow("one more") << QStringList{"a=x"} << QStringList{"a=x", "b=z"} << QStringList{"b"} << 0
                                  << QStringList();
        QTest::newRow("left: withdrawn") << QStringList{"a=x", "b=y"} << QStringList{"b=y"} << QStringList() << 0
                                         << QStringList{"a"};
        QTest::newRow("all left: the summary goes too")
            << QStringList{"a=x"} << QStringList() << QStringList() << 0 << QStringList{"a", "summary"};
        QTest::newRow("a duplicate key once")
            << QStringList() << QStringList{"a=x", "a=y"} << QStringList{"a"} << 0 << QStringList();
        QTest::newRow("a burst is one summary") << QStringList{"z=w"} << QStringList{"a=x", "b=x", "c=x", "d=x", "z=w"}
                                                << QStringList() << 5 << QStringList();
        QTest::newRow("three at once are each told")
            << QStringList() << QStringList{"a=x", "b=x", "c=x"} << QStringList{"a", "b", "c"} << 0 << QStringList();
    }

    void whatIsShownAndWithdrawn() {
        QFETCH(QStringList, told);
        QFETCH(QStringList, now);
        QFETCH(QStringList, shown);
        QFETCH(int, summary);
        QFETCH(QStringList, withdrawn);
        const QDateTime at(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
        NoticeHistory history;
        for (const QString& entry : told) {
            const QString key = entry.section(u'@', 0, 0).section(u'=', 0, 0);
            if (entry.section(u'@', 0, 0).contains(u'=')) {
                history.notified.insert(key, entry.section(u'@', 0, 0).section(u'=', 1));
            }
            if (entry.contains(u'@')) {
                history.lastShownAt.insert(key, at.addSecs(-entry.section(u'@', 1).toInt()));
            }
        }
        QList<NeedsYouNotice> notices;
        for (const QString& entry : now) {
            notices.append(notice(entry.section(u'=', 0, 0), entry.section(u'=', 1)));
        }
        const NoticePlan plan = planNotices(history, notices, false, at, kEnglish);
        QCOMPARE(keys(plan.show), shown);
        QCOMPARE(plan.summary.value_or(QString()),
                 summary ? QString::number(summary) + QStringLiteral(" conversations are waiting for you") : QString());
        QCOMPARE(plan.withdraw, withdrawn);
        // A notice held back for the minute is told at a snapshot after it.
        if (QByteArray(QTest::currentDataTag()).endsWith("later")) {
            const NoticePlan later = planNotices(plan.history, notices, false, at.addSecs(61), kEnglish);
            QCOMPARE(keys(later.show), QStringList{QStringLiteral("a")});
        }
    }

    void startUpSummarisesWhatAlreadyWaits() {
        const QDateTime at(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
        const NoticePlan none = planNotices({}, {}, true, at, kEnglish);
        QVERIFY(none.show.isEmpty() && !none.summary);
        const NoticePlan one = planNotices({}, {notice("a", "x")}, true, at, kEnglish);
        QVERIFY(one.show.isEmpty());
        QCOMPARE(*one.summary, QStringLiteral("1 conversation is waiting for you"));
        const NoticePlan two = planNotices({}, {notice("a", "x"), notice("b", "y")}, true, at, Copy{true});
        QCOMPARE(*two.summary, QStringLiteral("2 件の会話があなたを待っています"));
        // Told at start-up: the same state is not shown again afterwards.
        QVERIFY(planNotices(two.history, {notice("a", "x")}, false, at, kEnglish).show.isEmpty());
    }
};

VODU_TEST_SUITE(NeedsYouNoticesTest)
#include "NeedsYouNoticesTest.moc"
