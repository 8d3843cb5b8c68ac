#include "TestRegistry.h"
#include "host/DesktopStatusFrames.h"

#include <QTest>

namespace {

// What a decoder run produced: frames as strings (long frames by size) and oversized marks, in order.
QStringList decode(DesktopStatusFrames& decoder, const QList<QByteArray>& chunks) {
    QStringList events;
    for (const QByteArray& chunk : chunks) {
        decoder.consume(
            chunk,
            [&events](QByteArrayView frame) {
                events.append(frame.size() > 64
                                  ? QStringLiteral("frame(%1 bytes)").arg(frame.size())
                                  : QStringLiteral("frame(%1)")
                                        .arg(QString::fromLatin1(frame.toByteArray().toPercentEncoding())));
            },
            [&events] { events.append(QStringLiteral("oversized")); });
    }
    return events;
}

constexpr qsizetype kCap = DesktopStatusFrames::kDefaultMaximumBytes;

} // namespace

class FramesTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cutsTheStream_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<qsizetype>("pendingAfter");

        QTest::newRow("frame split over chunks")
            << QList<QByteArray>{"A\nB", "C\n"} << QStringList{"frame(A)", "frame(BC)"} << qsizetype(0);
        QTest::newRow("two empty lines") << QList<QByteArray>{"\n\n"} << QStringList{"frame()", "frame()"}
                                         << qsizetype(0);
        QTest::newRow("empty chunk") << QList<QByteArray>{""} << QStringList{} << qsizetype(0);
        QTest::newRow("carriage return kept")
            << QList<QByteArray>{"{}\r\n"} << QStringList{"frame(%7B%7D%0D)"} << qsizetype(0);
        QTest::newRow("partial line waits") << QList<QByteArray>{"abc"} << QStringList{} << qsizetype(3);
        QTest::newRow("several frames in one chunk")
            << QList<QByteArray>{"a\nbb\nccc\nd"} << QStringList{"frame(a)", "frame(bb)", "frame(ccc)"} << qsizetype(1);
        QTest::newRow("exactly the cap, newline later")
            << QList<QByteArray>{QByteArray(kCap, 'x'), "\n"} << QStringList{"frame(8388608 bytes)"} << qsizetype(0);
        QTest::newRow("exactly the cap in pieces") << QList<QByteArray>{QByteArray(kCap - 1, 'x'), "y", "\nz\n"}
                                                   << QStringList{"frame(8388608 bytes)", "frame(z)"} << qsizetype(0);
        QTest::newRow("one byte over the cap") << QList<QByteArray>{QByteArray(kCap + 1, 'x'), "\n{}\n"}
                                               << QStringList{"oversized", "frame(%7B%7D)"} << qsizetype(0);
        const qsizetype third = 3 * 1024 * 1024;
        QTest::newRow("9 MiB over three chunks, then a short frame")
            << QList<QByteArray>{QByteArray(third, 'x'), QByteArray(third, 'x'), QByteArray(third, 'x'),
                                 "\n{\"type\":\"status\"}\n"}
            << QStringList{"oversized", "frame(%7B%22type%22%3A%22status%22%7D)"} << qsizetype(0);
        QTest::newRow("oversized line ends in the crossing chunk")
            << QList<QByteArray>{QByteArray(kCap, 'x'), QByteArray("xx\nok\npart")}
            << QStringList{"oversized", "frame(ok)"} << qsizetype(4);
        QTest::newRow("cap crossed by a later chunk of a held line")
            << QList<QByteArray>{QByteArray(kCap / 2, 'x'), QByteArray(kCap / 2 + 1, 'x'), "tail\nnext\n"}
            << QStringList{"oversized", "frame(next)"} << qsizetype(0);
    }

    void cutsTheStream() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, expected);
        QFETCH(qsizetype, pendingAfter);
        DesktopStatusFrames decoder;
        QCOMPARE(decode(decoder, chunks), expected);
        QCOMPARE(decoder.pendingSize(), pendingAfter);
        QVERIFY(decoder.pendingSize() <= decoder.maximumBytes());
    }

    void neverBuffersMoreThanTheCap() {
        DesktopStatusFrames decoder;
        int oversized = 0;
        int frames = 0;
        const QByteArray chunk(1024 * 1024, 'x');
        for (int index = 0; index < 20; ++index) {
            decoder.consume(
                chunk, [&frames](QByteArrayView) { ++frames; }, [&oversized] { ++oversized; });
            QVERIFY(decoder.pendingSize() <= kCap);
        }
        QCOMPARE(oversized, 1);
        QVERIFY(decoder.isDiscarding());
        QCOMPARE(decoder.pendingSize(), 0);
        decoder.consume(
            "\n", [&frames](QByteArrayView) { ++frames; }, [&oversized] { ++oversized; });
        QCOMPARE(frames, 0);
        QVERIFY(!decoder.isDiscarding());
    }

    void resetStartsFromACleanLine() {
        DesktopStatusFrames decoder;
        QCOMPARE(decode(decoder, {"half of a fra"}), QStringList{});
        decoder.reset();
        QCOMPARE(decode(decoder, {"new\n"}), QStringList{"frame(new)"});

        decode(decoder, {QByteArray(kCap + 5, 'x')});
        QVERIFY(decoder.isDiscarding());
        decoder.reset();
        QCOMPARE(decode(decoder, {"after\n"}), QStringList{"frame(after)"});
    }

    void callbackMayResetTheDecoder() {
        // A frame handler can end the host (and so reset the decoder) while the decoder is delivering.
        DesktopStatusFrames decoder;
        QStringList seen;
        decoder.consume("par", {}, {});
        decoder.consume("tial\nnext\n",
                        [&](QByteArrayView frame) {
                            seen.append(QString::fromLatin1(frame.toByteArray()));
                            decoder.reset();
                        },
                        {});
        QCOMPARE(seen, (QStringList{"partial", "next"}));
    }
};

VODU_TEST_SUITE(FramesTest)
#include "FramesTest.moc"
