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

    void onlyWhatIsNewOrChangedIsShown_data() {
        QTest::addColumn<QStringList>("told");  // key=reason already told
        QTest::addColumn<QStringList>("now");   // key=reason in this snapshot
        QTest::addColumn<QStringList>("shown"); // keys shown now
        QTest::newRow("new") << QStringList() << QStringList{"a=x"} << QStringList{"a"};
        QTest::newRow("same state again") << QStringList{"a=x"} << QStringList{"a=x"} << QStringList();
        QTest::newRow("reason changed") << QStringList{"a=x"} << QStringList{"a=y"} << QStringList{"a"};
        QTest::newRow("one more") << QStringList{"a=x"} << QStringList{"a=x", "b=z"} << QStringList{"b"};
        QTest::newRow("left") << QStringList{"a=x"} << QStringList() << QStringList();
        QTest::newRow("a duplicate key once") << QStringList() << QStringList{"a=x", "a=y"} << QStringList{"a"};
    }

    void onlyWhatIsNewOrChangedIsShown() {
        QFETCH(QStringList, told);
        QFETCH(QStringList, now);
        QFETCH(QStringList, shown);
        QHash<QString, QString> notified;
        for (const QString& entry : told) {
            notified.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        }
        QList<NeedsYouNotice> notices;
        for (const QString& entry : now) {
            notices.append(notice(entry.section(u'=', 0, 0), entry.section(u'=', 1)));
        }
        const NoticePlan plan = planNotices(notified, notices, false, kEnglish);
        QCOMPARE(keys(plan.show), shown);
        QVERIFY(!plan.summary);
        // What was told is what waits now, so a conversation that leaves and comes back is told again.
        const NoticePlan next = planNotices(plan.notified, {}, false, kEnglish);
        QVERIFY(next.notified.isEmpty());
    }

    void startUpSummarisesWhatAlreadyWaits() {
        const NoticePlan none = planNotices({}, {}, true, kEnglish);
        QVERIFY(none.show.isEmpty() && !none.summary);
        const NoticePlan one = planNotices({}, {notice("a", "x")}, true, kEnglish);
        QVERIFY(one.show.isEmpty());
        QCOMPARE(*one.summary, QStringLiteral("1 conversation is waiting for you"));
        const NoticePlan two = planNotices({}, {notice("a", "x"), notice("b", "y")}, true, Copy{true});
        QCOMPARE(*two.summary, QStringLiteral("2 件の会話があなたを待っています"));
        // Told at start-up: the same state is not shown again afterwards.
        QVERIFY(planNotices(two.notified, {notice("a", "x")}, false, kEnglish).show.isEmpty());
    }
};

VODU_TEST_SUITE(NeedsYouNoticesTest)
#include "NeedsYouNoticesTest.moc"
