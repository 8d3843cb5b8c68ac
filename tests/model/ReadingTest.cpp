#include "DataTables.h"
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
        // utc: empty: refused
        columns<QString, QString>({"text", "utc"});
        for (const char* text : {"2026-12-06T09:30:05Z", "2026-12-06T18:30:05+09:00", "2026-12-05T23:30:05-10:00"}) {
            dataRow(text, text, "2026-12-06T09:30:05.000Z");
        }
        dataRow("fraction", "2026-12-06T09:30:05.123456789Z", "2026-12-06T09:30:05.123Z");
        for (const char* refused :
             {"2026-12-06 09:30:05Z", "2026-12-06T09:30:05", "2026-12-06", "2026-12-06T09:30:05.Z",
              "2026-12-06T09:30:05+0900", "2026-02-30T09:30:05Z", "2026-12-06T24:00:00Z", "2026-12-06T09:30:05Zjunk",
              "２０２６-12-06T09:30:05Z", "2026-12-06t09:30:05z"}) {
            dataRow(refused, refused, "");
        }
    }

    void timestamps() {
        const auto [text, utc] = fetch<QString, QString>({"text", "utc"});
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
        columns<QString, QString, bool>({"before", "after", "same"});
        dataRow("sample time moved", R"({"a":[1],"sampledAt":"T1"})", R"({"a":[1],"sampledAt":"T2"})", true);
        dataRow("sample time added", R"({"a":1})", R"({"a":1,"sampledAt":"T"})", true);
        dataRow("a nested value", R"({"a":{"b":[1]}})", R"({"a":{"b":[2]}})", false);
        dataRow("a key renamed", R"({"a":1,"c":null})", R"({"a":1,"d":null})", false);
        dataRow("a key in place of the sample time", R"({"sampledAt":"T"})", R"({"c":"T"})", false);
    }

    void sampleTimeAlone() {
        const auto [before, after, same] = fetch<QString, QString, bool>({"before", "after", "same"});
        QCOMPARE(sameApartFromSampleTime(json(before), json(after)), same);
        QCOMPARE(sameApartFromSampleTime(json(after), json(before)), same);
    }

    // Search text as a person types it: width and case are one, in the user's language.
    void searchMatches_data() {
        columns<QString, QString, QString, bool>({"text", "query", "locale", "match"});
        dataRow("case", "Fix the Login page", "login", "en_US", true);
        dataRow("full-width query", "Deploy API 2026", "ＡＰＩ ２０２６", "ja_JP", true);
        dataRow("full-width text", "ＡＰＩの修正", "api", "ja_JP", true);
        dataRow("half-width katakana", "データベース移行", "ﾃﾞｰﾀ", "ja_JP", true);
        dataRow("Turkish dotted capital", "İstanbul", "istanbul", "tr_TR", true);
        dataRow("hiragana is not katakana", "データ", "でーた", "ja_JP", false);
        dataRow("blank query", "anything", "  ", "en_US", true);
    }

    void searchMatches() {
        const auto [text, query, locale, match] =
            fetch<QString, QString, QString, bool>({"text", "query", "locale", "match"});
        QCOMPARE(::searchMatches(text, query, QLocale(locale)), match);
    }

    // Every way a host address reaches the browser refuses one longer than any real link.
    void longAddressesAreRefused_data() {
        columns<QString, bool>({"text", "accepted"});
        const QString start = QStringLiteral("https://app.vodu.ai/p?q=");
        dataRow("at the limit", start + QString(kLinkAddressLimit - start.size(), u'a'), true);
        dataRow("one over", start + QString(kLinkAddressLimit + 1 - start.size(), u'a'), false);
        dataRow("short, but nine bytes a character once encoded", start + QString(1000, QChar(0x3042)), false);
        dataRow("long host", "https://" + QString(9000, u'a') + ".example", false);
    }

    void longAddressesAreRefused() {
        const auto [text, accepted] = fetch<QString, bool>({"text", "accepted"});
        QCOMPARE(parseLinkAddress(text).has_value(), accepted);
        QCOMPARE(safeTaskURL(text).has_value(), accepted);
        QCOMPARE(originOf(text).has_value(), accepted);
    }
};

VODU_TEST_SUITE(ReadingTest)
#include "ReadingTest.moc"
