#include "Harness.h"
#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

struct CompletionCall {
    bool ok;
    std::optional<QString> message;
};

class DispatchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void malformedFramesAreIgnored_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("empty line") << QByteArray();
        QTest::newRow("literal true") << QByteArray("true");
        QTest::newRow("array") << QByteArray(R"([{"type":"status","status":{}}])");
        QTest::newRow("invalid json") << QByteArray("{\"type\":\"status\",");
        QTest::newRow("type not a string") << QByteArray(R"({"type":1,"status":{}})");
        QTest::newRow("status without object") << QByteArray(R"({"type":"status","status":[]})");
        QTest::newRow("unknown type") << QByteArray(R"({"type":"gossip","status":{}})");
        QTest::newRow("result without id") << QByteArray(R"({"type":"result","ok":true})");
    }

    void malformedFramesAreIgnored() {
        QFETCH(QByteArray, frame);
        Harness harness;
        AppDelegate& app = harness.app();
        bool called = false;
        app.pending.insert(QStringLiteral("A"), [&called](bool, const std::optional<QString>&) { called = true; });
        app.footer->setText(QStringLiteral("before"));
        app.handleLine(frame);
        QVERIFY(!app.connected);
        QVERIFY(!app.lastStatusReceivedAt);
        QCOMPARE(app.footer->text(), QStringLiteral("before"));
        QVERIFY(!called);
        QCOMPARE(app.pending.size(), 1);
    }

    void statusIsRendered() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.handleLine(R"({"type":"status","status":{"connection":{"state":"online"},"auth":{"state":"signed_in"}}})");
        QVERIFY(app.connected);
        QCOMPARE(app.lastStatusReceivedAt, harness.fake->clock);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Online"));
    }

    void errorsGoToTheFooter_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("footer");
        QTest::newRow("blank message") << QByteArray("{\"type\":\"error\",\"message\":\"  \\n \"}")
                                       << QStringLiteral("Service error");
        QTest::newRow("message of wrong type") << QByteArray(R"({"type":"error","message":7})")
                                               << QStringLiteral("Service error");
        QTest::newRow("secret masked") << QByteArray(R"({"type":"error","message":"bad password=hunter2 given"})")
                                       << QStringLiteral("bad ••• given");
        QTest::newRow("long message cut") << ("{\"type\":\"error\",\"message\":\"" + QByteArray("word ").repeated(60) + "\"}")
                                          << QStringLiteral("word ").repeated(60).left(180);
    }

    void errorsGoToTheFooter() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, footer);
        Harness harness;
        AppDelegate& app = harness.app();
        app.connected = true;
        app.handleLine(frame);
        QCOMPARE(app.footer->text(), footer);
        QVERIFY(app.connected); // an ordinary error leaves the connection alone
    }

    void processConflictShowsTheDisconnectedState_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("conflicts");
        QTest::newRow("no conflicts key") << QByteArray(R"({"type":"error","code":"process_conflict"})") << 0;
        QTest::newRow("conflicts not objects")
            << QByteArray(R"({"type":"error","code":"process_conflict","conflicts":[1,{"pid":2}]})") << 0;
        QTest::newRow("two conflicts")
            << QByteArray(R"({"type":"error","code":"process_conflict","conflicts":[{"pid":2,"entryPath":"/a"},{"pid":3}]})")
            << 2;
    }

    void processConflictShowsTheDisconnectedState() {
        QFETCH(QByteArray, frame);
        QFETCH(int, conflicts);
        Harness harness;
        AppDelegate& app = harness.app();
        app.connected = true;
        app.handleLine(frame);
        QCOMPARE(app.conflictingProcesses.size(), conflicts);
        QCOMPARE(app.stopConflictButton->isHidden(), conflicts == 0);
        QVERIFY(!app.connected);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Another CLI is running"));
        QCOMPARE(app.connectionSummary->text(), QStringLiteral("Not connected · View details"));
        QVERIFY(app.hostConflictMessage.has_value());
        QCOMPARE(app.footer->text(), *app.hostConflictMessage);
        QVERIFY(app.footer->text().startsWith(QStringLiteral("A CLI is already using this connection.")));
    }

    void resultsCompleteTheirCommandOnce_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::newRow("ok") << QByteArray(R"({"type":"result","id":"A","ok":true})") << true << QString();
        QTest::newRow("ok as a string") << QByteArray(R"({"type":"result","id":"A","ok":"true"})") << false
                                        << QString();
        QTest::newRow("ok missing") << QByteArray(R"({"type":"result","id":"A"})") << false << QString();
        QTest::newRow("failure message masked")
            << QByteArray("{\"type\":\"result\",\"id\":\"A\",\"ok\":false,\"message\":\" see https://x.test/a?t=1 now \"}")
            << false << QStringLiteral("see ••• now");
    }

    void resultsCompleteTheirCommandOnce() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        Harness harness;
        AppDelegate& app = harness.app();
        QList<CompletionCall> calls;
        app.pending.insert(QStringLiteral("A"), [&calls](bool result, const std::optional<QString>& text) {
            calls.append({result, text});
        });
        app.handleLine(frame);
        app.handleLine(frame); // a duplicate result is ignored
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().ok, ok);
        QCOMPARE(calls.first().message.value_or(QString()), message);
        QVERIFY(app.pending.isEmpty());
    }

    void resultForAnUnknownIdIsDropped() {
        Harness harness;
        AppDelegate& app = harness.app();
        int calls = 0;
        app.pending.insert(QStringLiteral("A"), [&calls](bool, const std::optional<QString>&) { ++calls; });
        app.handleLine(R"({"type":"result","id":"B","ok":true})");
        app.handleLine(R"({"type":"result","id":"a","ok":true})"); // ids are compared exactly
        QCOMPARE(calls, 0);
        QCOMPARE(app.pending.size(), 1);
    }
};

VODU_TEST_SUITE(DispatchTest)
#include "DispatchTest.moc"
