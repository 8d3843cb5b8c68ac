#include "Harness.h"
#include "TestRegistry.h"
#include "context/LinkState.h"
#include "host/PendingCommands.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
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
        FakePlatform platform;
        LinkState state;
        HostLink link(platform, Copy{}, state);
        QSignalSpy statuses(&link, &HostLink::statusReceived);
        QSignalSpy errors(&link, &HostLink::serviceError);
        QSignalSpy details(&link, &HostLink::taskDetailReceived);
        link.handleLine(frame);
        QVERIFY(!state.connected);
        QVERIFY(!state.lastStatusReceivedAt);
        QCOMPARE(statuses.size() + errors.size() + details.size(), 0);
    }

    void statusIsRendered() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.link().handleLine(
            R"({"type":"status","status":{"connection":{"state":"online"},"auth":{"state":"signed_in"}}})");
        QVERIFY(app.linkState().connected);
        QCOMPARE(app.linkState().lastStatusReceivedAt, harness.fake->clock);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Online"));
    }

    void errorsGoToTheFooter_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("footer");
        QTest::newRow("blank message") << QByteArray("{\"type\":\"error\",\"message\":\"  \\n \"}")
                                       << QStringLiteral("Service error");
        QTest::newRow("message of wrong type")
            << QByteArray(R"({"type":"error","message":7})") << QStringLiteral("Service error");
        QTest::newRow("secret masked") << QByteArray(R"({"type":"error","message":"bad password=hunter2 given"})")
                                       << QStringLiteral("bad ••• given");
        QTest::newRow("long message cut")
            << ("{\"type\":\"error\",\"message\":\"" + QByteArray("word ").repeated(60) + "\"}")
            << QStringLiteral("word ").repeated(60).left(180);
    }

    void errorsGoToTheFooter() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, footer);
        Harness harness;
        AppDelegate& app = harness.app();
        app.link().handleLine(R"({"type":"status","status":{}})");
        QVERIFY(app.linkState().connected);
        app.link().handleLine(frame);
        QCOMPARE(view<QLabel>(app, "footer")->text(), footer);
        QVERIFY(app.linkState().connected); // an ordinary error leaves the connection alone
    }

    void processConflictShowsTheDisconnectedState_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("conflicts");
        QTest::newRow("no conflicts key") << QByteArray(R"({"type":"error","code":"process_conflict"})") << 0;
        QTest::newRow("conflicts not objects")
            << QByteArray(R"({"type":"error","code":"process_conflict","conflicts":[1,{"pid":2}]})") << 0;
        QTest::newRow("two conflicts")
            << QByteArray(
                   R"({"type":"error","code":"process_conflict","conflicts":[{"pid":2,"entryPath":"/a"},{"pid":3}]})")
            << 2;
    }

    void processConflictShowsTheDisconnectedState() {
        QFETCH(QByteArray, frame);
        QFETCH(int, conflicts);
        Harness harness;
        AppDelegate& app = harness.app();
        app.link().handleLine(R"({"type":"status","status":{}})");
        QVERIFY(app.linkState().connected);
        app.link().handleLine(frame);
        QCOMPARE(app.conflictStop().conflictingProcesses().size(), conflicts);
        QCOMPARE(view<QPushButton>(app, "stopConflictButton")->isHidden(), conflicts == 0);
        QVERIFY(!app.linkState().connected);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Another CLI is running"));
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                 QStringLiteral("Not connected · View details"));
        QVERIFY(app.conflictStop().message().has_value());
        QCOMPARE(view<QLabel>(app, "footer")->text(), *app.conflictStop().message());
        QVERIFY(
            view<QLabel>(app, "footer")->text().startsWith(QStringLiteral("A CLI is already using this connection.")));
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
            << QByteArray(
                   "{\"type\":\"result\",\"id\":\"A\",\"ok\":false,\"message\":\" see https://x.test/a?t=1 now \"}")
            << false << QStringLiteral("see ••• now");
    }

    void resultsCompleteTheirCommandOnce() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        PendingCommands pending;
        QList<CompletionCall> calls;
        pending.park(QStringLiteral("A"), [&calls](bool result, const std::optional<QString>& text) {
            calls.append({result, text});
        });
        const QJsonObject result = QJsonDocument::fromJson(frame).object();
        pending.complete(result);
        pending.complete(result); // a duplicate result is ignored
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().ok, ok);
        QCOMPARE(calls.first().message.value_or(QString()), message);
        QCOMPARE(pending.size(), 0);
    }

    void resultForAnUnknownIdIsDropped() {
        PendingCommands pending;
        int calls = 0;
        pending.park(QStringLiteral("A"), [&calls](bool, const std::optional<QString>&) { ++calls; });
        pending.complete(QJsonDocument::fromJson(R"({"type":"result","id":"B","ok":true})").object());
        // Ids are compared exactly.
        pending.complete(QJsonDocument::fromJson(R"({"type":"result","id":"a","ok":true})").object());
        QCOMPARE(calls, 0);
        QCOMPARE(pending.size(), 1);
    }

    void aCompletionThatSendsAgainIsNotFailedTwice() {
        PendingCommands pending;
        int calls = 0;
        pending.park(QStringLiteral("A"), [&](bool, const std::optional<QString>&) {
            ++calls;
            pending.park(QStringLiteral("B"), [&calls](bool, const std::optional<QString>&) { ++calls; });
        });
        pending.failAll();
        QCOMPARE(calls, 1);
        QCOMPARE(pending.size(), 1);
    }
};

VODU_TEST_SUITE(DispatchTest)
#include "DispatchTest.moc"
