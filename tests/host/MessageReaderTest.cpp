#include "host/MessageReader.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

namespace {

// What findObjectLists made of a text: "refused", or each status list's record count ("-" when absent).
QString describeLists(const QByteArray& json) {
    const auto lists = findObjectLists(json, MessageReader::statusLists());
    if (!lists) {
        return QStringLiteral("refused");
    }
    QStringList counts;
    for (const auto& list : *lists) {
        if (!list) {
            counts.append(QStringLiteral("-"));
            continue;
        }
        // Each record's span must hold exactly one object.
        for (const ByteSpan span : list->elements) {
            const QByteArray record = json.mid(span.offset, span.size);
            if (!QJsonDocument::fromJson(record).isObject()) {
                return QStringLiteral("bad span: ") + QString::fromUtf8(record);
            }
        }
        counts.append(QString::number(list->elements.size()));
    }
    return counts.join(QLatin1Char(' '));
}

// JSON written with single quotes, for readable test data.
QByteArray j(const char* text) {
    return QByteArray(text).replace('\'', '"');
}

QByteArray status(const QByteArray& tasks, const QByteArray& rest = {}) {
    return j("{'type':'status','status':{'tasks':{'activeCount':1,'items':[") + tasks + "]}" + rest + "}}";
}

QByteArray task(int key, const QByteArray& state = "running") {
    return j("{'key':'tsk_") + QByteArray::number(key) + j("','label':'Digest ") + QByteArray::number(key) +
           j("','state':'") + state + j("'}");
}

QByteArray tasks(const QList<int>& keys) {
    QByteArrayList records;
    for (const int key : keys) {
        records.append(task(key));
    }
    return records.join(',');
}

} // namespace

class MessageReaderTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsTheLists_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");

        QTest::newRow("tasks only") << status(tasks({1, 2})) << "2 - -";
        QTest::newRow("all three lists")
            << status(tasks({1}),
                      j(",'sessionSupervision':{'sessions':[{'session':'a'},{}]},'deliveryHooks':{'runs':[]}"))
            << "1 2 0";
        QTest::newRow("space everywhere")
            << QByteArray(" {\n \"status\" :\t{ \"tasks\" : { \"items\" : [ {\"key\" : 1} ,\r\n {} ] } } } ")
            << "2 - -";
        QTest::newRow("brackets and quotes inside strings")
            << status(j("{'label':'a ] } [ { \\' \\\\'},{'label':'\\\\\\''}")) << "2 - -";
        QTest::newRow("nested records") << status(j("{'a':{'b':[{'c':[]}]}},{'d':[[],{}]}")) << "2 - -";
        QTest::newRow("a list that is null") << j("{'status':{'tasks':{'items':null}}}") << "- - -";
        QTest::newRow("a top-level array") << j("[{'status':{'tasks':{'items':[]}}}]") << "- - -";
        QTest::newRow("keys elsewhere may repeat") << status(j("{'a':1,'a':2}"), j(",'x':1,'x':2")) << "1 - -";

        QTest::newRow("a path key repeated") << j("{'status':{'tasks':{'items':[{}],'items':[{}]}}}") << "refused";
        QTest::newRow("a path object repeated")
            << j("{'status':{'tasks':{}},'status':{'tasks':{'items':[]}}}") << "refused";
        QTest::newRow("an escaped key beside a path") << j("{'st\\u0061tus':{'tasks':{'items':[]}}}") << "refused";
        QTest::newRow("a record that is not an object") << status(j("{},1")) << "refused";
        QTest::newRow("a trailing comma") << status(j("{},")) << "refused";
        QTest::newRow("cut short inside a record") << j("{'status':{'tasks':{'items':[{'key':'a") << "refused";
        QTest::newRow("cut short after the list") << j("{'status':{'tasks':{'items':[{}]") << "refused";
        QTest::newRow("nesting deeper than a parser takes")
            << status("{\"a\":" + QByteArray(300, '[') + QByteArray(300, ']') + "}") << "refused";
    }

    void findsTheLists() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(describeLists(json), expected);
    }

    // A reader fed these frames in turn gives, for each, what a plain parse of that frame gives.
    void readsWhatAPlainParseReads_data() {
        QTest::addColumn<QByteArrayList>("frames");

        QTest::newRow("one record changes")
            << QByteArrayList{status(tasks({1, 2, 3})), status(task(1) + "," + task(2, "failed") + "," + task(3))};
        QTest::newRow("added at the top, then removed")
            << QByteArrayList{status(tasks({1, 2, 3})), status(tasks({0, 1, 2, 3})), status(tasks({1, 2, 3}))};
        QTest::newRow("removed in the middle") << QByteArrayList{status(tasks({1, 2, 3, 4})), status(tasks({1, 3, 4}))};
        QTest::newRow("reversed") << QByteArrayList{status(tasks({1, 2, 3, 4})), status(tasks({4, 3, 2, 1}))};
        QTest::newRow("the same record twice") << QByteArrayList{status(tasks({1, 1, 2})), status(tasks({2, 1, 1, 1}))};
        QTest::newRow("emptied, then filled")
            << QByteArrayList{status(tasks({1, 2})), status({}), status(tasks({2, 1}))};
        QTest::newRow("the list goes away")
            << QByteArrayList{status(tasks({1, 2})), j("{'type':'status','status':{}}"), status(tasks({1, 2}))};
        QTest::newRow("garbage and other messages between")
            << QByteArrayList{status(tasks({1, 2})), "{\"type\":", j("{'type':'result','id':'c1','ok':true}"), "[]",
                              status(tasks({1, 2, 3}))};
        QTest::newRow("a record that does not parse") << QByteArrayList{status(tasks({1})), status(j("{'key':}"))};
        QTest::newRow("garbage after the message") << QByteArrayList{status(tasks({1})), status(tasks({1})) + "x"};
        QTest::newRow("broken outside the list")
            << QByteArrayList{status(tasks({1})), status(tasks({1}), j(",'update':{'version':}"))};
        QTest::newRow("escapes and other scripts in records")
            << QByteArrayList{status(j("{'key':'a','label':'\\u65e5\\u672c \\ud83d\\ude00 日本'}")),
                              status(j("{'key':'a','label':'\\u65e5\\u672c \\ud83d\\ude00 日本'},{'key':'b'}"))};
        QTest::newRow("numbers a parser rounds")
            << QByteArrayList{status(j("{'n':1e400,'m':-0,'k':12345678901234567890}"))};
    }

    void readsWhatAPlainParseReads() {
        QFETCH(QByteArrayList, frames);
        MessageReader reader(0);
        for (const QByteArray& frame : frames) {
            QCOMPARE(reader.read(frame), plainParse(frame));
        }
    }

    // Random edits of a long list, as snapshots that follow one another: insertions, removals, changes and moves.
    void followsAListThroughRandomEdits() {
        QRandomGenerator random(20261207);
        QList<int> keys;
        for (int key = 0; key < 60; ++key) {
            keys.append(key);
        }
        MessageReader reader(0);
        int nextKey = 1000;
        for (int round = 0; round < 300; ++round) {
            const int edits = 1 + int(random.bounded(3));
            for (int edit = 0; edit < edits && !keys.isEmpty(); ++edit) {
                const qsizetype at = random.bounded(keys.size());
                switch (random.bounded(4)) {
                case 0:
                    keys.insert(at, nextKey++);
                    break;
                case 1:
                    keys.remove(at);
                    break;
                case 2:
                    keys[at] = nextKey++;
                    break;
                default:
                    keys.move(at, random.bounded(keys.size()));
                }
            }
            const QByteArray frame = status(tasks(keys));
            QCOMPARE(reader.read(frame), plainParse(frame));
        }
    }
};

VODU_TEST_SUITE(MessageReaderTest)

#include "MessageReaderTest.moc"
