#include "host/MessageReader.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What findObjectLists made of a text: "refused", or each status list's record count ("-" when absent); every
// record's span must hold exactly one object.
QString describeLists(const QByteArray& json) {
    const auto lists = findObjectLists(json, MessageReader::statusLists());
    if (!lists) {
        return QStringLiteral("refused");
    }
    QStringList counts;
    for (const auto& list : *lists) {
        for (const ByteSpan span : list ? list->elements : QList<ByteSpan>()) {
            if (!QJsonDocument::fromJson(json.mid(span.offset, span.size)).isObject()) {
                return QStringLiteral("bad span");
            }
        }
        counts.append(list ? QString::number(list->elements.size()) : QStringLiteral("-"));
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

QByteArray tasks(const QList<int>& keys) {
    QByteArrayList records;
    for (const int key : keys) {
        records.append(j("{'key':'tsk_%1','label':'Digest %1'}").replace("%1", QByteArray::number(key)));
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
        QTest::newRow("all three lists")
            << status(tasks({1, 2}),
                      j(",'sessionSupervision':{'sessions':[{'session':'a'}]},'deliveryHooks':{'runs':[]}"))
            << "2 1 0";
        QTest::newRow("brackets and quotes inside strings")
            << status(j("{'label':'a ] } [ { \\' \\\\'},{'label':'\\\\\\''}")) << "2 - -";
        QTest::newRow("keys elsewhere may repeat") << status(j("{'a':1,'a':2}"), j(",'x':1,'x':2")) << "1 - -";
        QTest::newRow("a path key repeated") << j("{'status':{'tasks':{'items':[{}],'items':[{}]}}}") << "refused";
        QTest::newRow("an escaped key beside a path") << j("{'st\\u0061tus':{'tasks':{'items':[]}}}") << "refused";
        QTest::newRow("a record that is not an object") << status(j("{},1")) << "refused";
        QTest::newRow("nesting deeper than a parser takes")
            << status("{\"a\":" + QByteArray(300, '[') + QByteArray(300, ']') + "}") << "refused";
    }

    void findsTheLists() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(describeLists(json), expected);
    }

    // A reader fed these frames in turn (garbage and other messages between, records reused, emptied, reordered)
    // gives, for each, what a plain parse of that frame gives. The fuzz target feeds it any bytes.
    void readsWhatAPlainParseReads() {
        MessageReader reader(0);
        for (const QByteArray& frame :
             {status(tasks({1, 2})), "{\"type\":"_ba, j("{'type':'result','id':'c','ok':true}"), "[]"_ba,
              status(tasks({1, 2, 3})), status({}), status(tasks({2, 1})),
              status(j("{'n':1e400,'m':-0,'k':12345678901234567890}"))}) {
            QCOMPARE(reader.read(frame), plainParse(frame));
        }
    }
};

VODU_TEST_SUITE(MessageReaderTest)
#include "MessageReaderTest.moc"
