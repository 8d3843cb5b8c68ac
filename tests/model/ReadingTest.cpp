#include "TestRegistry.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "model/Timestamps.h"

#include <QJsonDocument>
#include <QTest>

class ReadingTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void timestamps_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("utc"); // empty: absent
        QTest::newRow("whole seconds") << "2026-12-06T09:30:05Z"
                                       << "2026-12-06T09:30:05.000Z";
        QTest::newRow("fraction") << "2026-12-06T09:30:05.123Z"
                                  << "2026-12-06T09:30:05.123Z";
        QTest::newRow("long fraction") << "2026-12-06T09:30:05.123456789Z"
                                       << "2026-12-06T09:30:05.123Z";
        QTest::newRow("offset") << "2026-12-06T18:30:05+09:00"
                                << "2026-12-06T09:30:05.000Z";
        QTest::newRow("negative offset") << "2026-12-05T23:30:05-10:00"
                                         << "2026-12-06T09:30:05.000Z";
        QTest::newRow("space separator") << "2026-12-06 09:30:05Z"
                                         << "";
        QTest::newRow("no zone") << "2026-12-06T09:30:05"
                                 << "";
        QTest::newRow("date only") << "2026-12-06"
                                   << "";
        QTest::newRow("empty fraction") << "2026-12-06T09:30:05.Z"
                                        << "";
        QTest::newRow("offset without colon") << "2026-12-06T09:30:05+0900"
                                              << "";
        QTest::newRow("impossible day") << "2026-02-30T09:30:05Z"
                                        << "";
        QTest::newRow("hour 24") << "2026-12-06T24:00:00Z"
                                 << "";
        QTest::newRow("trailing text") << "2026-12-06T09:30:05Zjunk"
                                       << "";
        QTest::newRow("full-width digits") << "２０２６-12-06T09:30:05Z"
                                           << "";
        QTest::newRow("lower-case separator") << "2026-12-06t09:30:05z"
                                              << "";
    }

    void timestamps() {
        QFETCH(QString, text);
        QFETCH(QString, utc);
        const std::optional<QDateTime> parsed = parseInternetDateTime(text);
        QCOMPARE(parsed.has_value(), !utc.isEmpty());
        if (parsed) {
            QCOMPARE(parsed->toUTC().toString(Qt::ISODateWithMs), utc);
        }
    }

    void readingRule() {
        const QJsonObject record = QJsonDocument::fromJson(R"({
            "tasks": [], "auth": "x", "state": 3, "flag": 1, "yes": true, "big": 9007199254740993,
            "fraction": 2.5, "whole": 4.0, "huge": 1e300, "items": [1, {"a": 1}, "s", {"b": 2}]
        })")
                                       .object();
        QVERIFY(objectAt(record, u"tasks").isEmpty());
        QVERIFY(objectAt(record, u"auth").isEmpty());
        QCOMPARE(stateAt(record), QStringLiteral("unknown"));
        QVERIFY(!boolAt(record, u"flag"));
        QVERIFY(boolAt(record, u"yes"));
        QCOMPARE(integerAt(record, u"big"), Q_INT64_C(9007199254740993));
        QCOMPARE(integerAt(record, u"fraction", -1), -1);
        QCOMPARE(integerAt(record, u"whole"), 4);
        QCOMPARE(integerAt(record, u"huge", -1), -1);
        QCOMPARE(integerAt(record, u"missing", 7), 7);
        QCOMPARE(objectsAt(record, u"items").size(), 2);
        QVERIFY(!stringAt(record, u"state"));
    }

    void jsonText_data() {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("string") << QJsonValue("abc") << "abc";
        QTest::newRow("integer") << QJsonValue(qint64(1234567890123)) << "1234567890123";
        QTest::newRow("fraction") << QJsonValue(1.5) << "1.5";
        QTest::newRow("bool") << QJsonValue(true) << "true";
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << "null";
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << "";
        QTest::newRow("object") << QJsonValue(QJsonObject{{"a", 1}}) << R"({"a":1})";
    }

    void jsonText() {
        QFETCH(QJsonValue, value);
        QFETCH(QString, text);
        QCOMPARE(::jsonText(value), text);
    }
    void identities_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("run");
        QTest::newRow("all three") << QByteArray(R"({"provider":"codex","session":"s1","taskId":"t1"})") << "codex|s1"
                                   << "codex|s1|t1";
        QTest::newRow("no task") << QByteArray(R"({"provider":"codex","session":"s1"})") << "codex|s1"
                                 << "codex|s1|";
        QTest::newRow("empty record") << QByteArray("{}") << "|"
                                      << "||";
        QTest::newRow("mistyped parts count as empty")
            << QByteArray(R"({"provider":7,"session":null,"taskId":["t"]})") << "|"
            << "||";
    }

    void identities() {
        QFETCH(QByteArray, record);
        QFETCH(QString, session);
        QFETCH(QString, run);
        const QJsonObject object = QJsonDocument::fromJson(record).object();
        QCOMPARE(sessionIdentity(object), session);
        QCOMPARE(deliveryIdentity(object), run);
    }

    void sampleTimeAlone_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("same");
        QTest::newRow("only the sample time moved") << QByteArray(R"({"a":{"b":[1]},"sampledAt":"T1"})")
                                                    << QByteArray(R"({"a":{"b":[1]},"sampledAt":"T2"})") << true;
        QTest::newRow("sample time added")
            << QByteArray(R"({"a":1})") << QByteArray(R"({"a":1,"sampledAt":"T"})") << true;
        QTest::newRow("a nested value changed") << QByteArray(R"({"a":{"b":[1]},"sampledAt":"T"})")
                                                << QByteArray(R"({"a":{"b":[2]},"sampledAt":"T"})") << false;
        QTest::newRow("a key gone") << QByteArray(R"({"a":1,"c":null})") << QByteArray(R"({"a":1,"d":null})") << false;
        QTest::newRow("a key added") << QByteArray(R"({"a":1})") << QByteArray(R"({"a":1,"c":2})") << false;
        QTest::newRow("a key in place of the sample time")
            << QByteArray(R"({"a":1,"sampledAt":"T"})") << QByteArray(R"({"a":1,"c":"T"})") << false;
    }

    void sampleTimeAlone() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(bool, same);
        const QJsonObject a = QJsonDocument::fromJson(before).object();
        const QJsonObject b = QJsonDocument::fromJson(after).object();
        QCOMPARE(sameApartFromSampleTime(a, b), same);
        QCOMPARE(sameApartFromSampleTime(b, a), same);
    }
};

VODU_TEST_SUITE(ReadingTest)
#include "ReadingTest.moc"
