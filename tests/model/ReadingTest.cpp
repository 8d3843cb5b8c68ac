#include "TestData.h"
#include "TestRegistry.h"
#include "model/LinkAddress.h"
#include "model/RecordIdentity.h"
#include "model/SearchText.h"
#include "model/SnapshotReading.h"
#include "model/Timestamps.h"
#include "overview/OverviewDecisions.h"
#include "tasks/TaskDetailContent.h"

#include <QTest>

class ReadingTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void timestamps_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("utc"); // empty: refused
        const auto row = [](const char* text, const char* utc) {
            QTest::newRow(text) << text << utc;
        };
        row("2026-12-06T09:30:05Z", "2026-12-06T09:30:05.000Z");
        row("2026-12-06T09:30:05.123456789Z", "2026-12-06T09:30:05.123Z");
        row("2026-12-06T18:30:05+09:00", "2026-12-06T09:30:05.000Z");
        row("2026-12-05T23:30:05-10:00", "2026-12-06T09:30:05.000Z");
        for (const char* refused :
             {"2026-12-06 09:30:05Z", "2026-12-06T09:30:05", "2026-12-06", "2026-12-06T09:30:05.Z",
              "2026-12-06T09:30:05+0900", "2026-02-30T09:30:05Z", "2026-12-06T24:00:00Z", "2026-12-06T09:30:05Zjunk",
              "２０２６-12-06T09:30:05Z", "2026-12-06t09:30:05z"}) {
            row(refused, "");
        }
    }

    void timestamps() {
        QFETCH(QString, text);
        QFETCH(QString, utc);
        const std::optional<QDateTime> parsed = parseInternetDateTime(text);
        QCOMPARE(parsed ? parsed->toUTC().toString(Qt::ISODateWithMs) : QString(), utc);
    }

    void readingRule() {
        const QJsonObject record =
            json(R"({"tasks": [], "auth": "x", "state": 3, "flag": 1, "yes": true, "whole": 4.0,)"
                 R"("big": 9007199254740993, "fraction": 2.5, "huge": 1e300, "items": [1, {}, {}]})");
        QVERIFY(objectAt(record, u"tasks").isEmpty() && objectAt(record, u"auth").isEmpty());
        QCOMPARE(stateAt(record), QStringLiteral("unknown"));
        QVERIFY(!stringAt(record, u"state") && !boolAt(record, u"flag") && boolAt(record, u"yes"));
        QCOMPARE(integerAt(record, u"big") + integerAt(record, u"whole"), Q_INT64_C(9007199254740997));
        QCOMPARE(integerAt(record, u"fraction", -1) + integerAt(record, u"huge", -1) + integerAt(record, u"no", -1),
                 -3);
        QCOMPARE(objectsAt(record, u"items").size(), 2);
        QCOMPARE(jsonText(QJsonValue(qint64(1234567890123))) + jsonText(QJsonValue(1.5)) + jsonText(QJsonValue(true)) +
                     jsonText(QJsonValue::Null) + jsonText(QJsonValue::Undefined) + jsonText(QJsonObject{{"a", 1}}),
                 QStringLiteral(R"(12345678901231.5truenull{"a":1})"));
        // Mistyped parts of an identity count as empty.
        QCOMPARE(deliveryIdentity(json(R"({"provider":"codex","session":"s1","taskId":"t1"})")), "codex|s1|t1");
        QCOMPARE(sessionIdentity(json(R"({"provider":"codex","session":"s1"})")), "codex|s1");
        QCOMPARE(deliveryIdentity(json(R"({"provider":7,"session":null,"taskId":["t"]})")), "||");
    }

    void sampleTimeAlone_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("same");
        const auto row = [](const char* name, const char* a, const char* b, bool same) {
            QTest::newRow(name) << a << b << same;
        };
        row("only the sample time moved", R"({"a":{"b":[1]},"sampledAt":"T1"})", R"({"a":{"b":[1]},"sampledAt":"T2"})",
            true);
        row("sample time added", R"({"a":1})", R"({"a":1,"sampledAt":"T"})", true);
        row("a nested value", R"({"a":{"b":[1]}})", R"({"a":{"b":[2]}})", false);
        row("a key renamed", R"({"a":1,"c":null})", R"({"a":1,"d":null})", false);
        row("a key added", R"({"a":1})", R"({"a":1,"c":2})", false);
        row("a key in place of the sample time", R"({"sampledAt":"T"})", R"({"c":"T"})", false);
    }

    void sampleTimeAlone() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, same);
        QCOMPARE(sameApartFromSampleTime(json(before), json(after)), same);
        QCOMPARE(sameApartFromSampleTime(json(after), json(before)), same);
    }

    // Search text as a person types it: width and case are one, in the user's language.
    void searchMatches_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("match");
        const auto row = [](const char* text, const char* query, const char* locale, bool match) {
            QTest::newRow(query) << text << query << locale << match;
        };
        row("Fix the Login page", "login", "en_US", true);
        row("Deploy API 2026", "ＡＰＩ ２０２６", "ja_JP", true);
        row("ＡＰＩの修正", "api", "ja_JP", true);
        row("データベース移行", "ﾃﾞｰﾀ", "ja_JP", true);
        row("İstanbul", "istanbul", "tr_TR", true);
        row("データ", "でーた", "ja_JP", false); // hiragana is not katakana
        row("anything", "  ", "en_US", true);
    }

    void searchMatches() {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(QString, locale);
        QFETCH(bool, match);
        QCOMPARE(::searchMatches(text, query, QLocale(locale)), match);
    }

    // Every way a host address reaches the browser refuses one longer than any real link.
    void longAddressesAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        const QString start = QStringLiteral("https://app.vodu.ai/p?q=");
        QTest::newRow("at the limit") << start + QString(kLinkAddressLimit - start.size(), u'a') << true;
        QTest::newRow("one over") << start + QString(kLinkAddressLimit + 1 - start.size(), u'a') << false;
        // Short as written, but each character takes nine bytes once encoded.
        QTest::newRow("long once encoded") << start + QString(1000, QChar(0x3042)) << false;
        QTest::newRow("long host") << "https://" + QString(9000, u'a') + ".example" << false;
    }

    void longAddressesAreRefused() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(parseLinkAddress(text).has_value(), accepted);
        QCOMPARE(safeTaskURL(text).has_value(), accepted);
        QCOMPARE(originOf(text).has_value(), accepted);
    }
};

VODU_TEST_SUITE(ReadingTest)
#include "ReadingTest.moc"
