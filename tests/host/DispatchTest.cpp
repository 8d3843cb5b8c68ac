#include "FakePlatform.h"
#include "TestRegistry.h"
#include "context/LinkState.h"
#include "host/HostLink.h"
#include "host/PendingCommands.h"
#include "ui/Copy.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

struct CompletionCall {
    bool ok;
    std::optional<QString> message;
};

// Each line from the host leaves the link as one signal, chosen by its "type"; anything else is dropped.
class DispatchTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesAreRouted_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("signal");  // empty: none
        QTest::addColumn<QString>("payload"); // the error text, or the object the signal carries
        const auto row = [](const char* name, const QByteArray& frame, const char* signal = "",
                            const QString& payload = {}) {
            QTest::newRow(name) << frame << QString::fromLatin1(signal) << payload;
        };
        row("empty line", QByteArray());
        row("array", R"([{"type":"status","status":{}}])");
        row("invalid json", "{\"type\":\"status\",");
        row("type not a string", R"({"type":1,"status":{}})");
        row("status without object", R"({"type":"status","status":[]})");
        row("unknown type", R"({"type":"gossip","status":{}})");
        row("result without id", R"({"type":"result","ok":true})");
        row("result for no waiting command", R"({"type":"result","id":"A","ok":true})");
        row("status", R"({"type":"status","status":{"connection":{"state":"online"}}})", "status",
            R"({"connection":{"state":"online"}})");
        row("error, blank message", "{\"type\":\"error\",\"message\":\"  \\n \"}", "error", "Service error");
        row("error, message of wrong type", R"({"type":"error","message":7})", "error", "Service error");
        row("error, secret masked", R"({"type":"error","message":"bad password=hunter2 given"})", "error",
            "bad ••• given");
        row("error, long message cut", "{\"type\":\"error\",\"message\":\"" + QByteArray("word ").repeated(60) + "\"}",
            "error", QStringLiteral("word ").repeated(60).left(180));
        row("error, conflict code compared exactly", R"({"type":"error","code":"Process_Conflict"})", "error",
            "Service error");
        row("process conflict", R"({"type":"error","code":"process_conflict","conflicts":[{"pid":2}]})", "conflict",
            R"({"code":"process_conflict","conflicts":[{"pid":2}],"type":"error"})");
        row("task detail", R"({"type":"task_detail","taskKey":"t1","task":{"result":"R"}})", "detail",
            R"({"task":{"result":"R"},"taskKey":"t1","type":"task_detail"})");
    }

    // Only a status marks the link connected; nothing else changes it, either way.
    void framesAreRouted() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, signal);
        QFETCH(QString, payload);
        for (const bool connectedBefore : {false, true}) {
            FakePlatform platform;
            LinkState state;
            state.connected = connectedBefore;
            const Copy english;
            HostLink link(platform, english, state);
            QSignalSpy statuses(&link, &HostLink::statusReceived);
            QSignalSpy errors(&link, &HostLink::serviceError);
            QSignalSpy conflicts(&link, &HostLink::processConflict);
            QSignalSpy details(&link, &HostLink::taskDetailReceived);
            QSignalSpy stale(&link, &HostLink::stale);
            link.handleLine(frame);
            const QList<QPair<QString, QSignalSpy*>> spies{
                {"status", &statuses}, {"error", &errors}, {"conflict", &conflicts}, {"detail", &details}};
            for (const auto& [name, spy] : spies) {
                QVERIFY2(spy->size() == (name == signal ? 1 : 0), qPrintable(name));
            }
            QVERIFY(stale.isEmpty());
            if (signal == u"error") {
                QCOMPARE(errors.first().first().toString(), payload);
            } else if (!signal.isEmpty()) {
                const QSignalSpy* spy = signal == u"status" ? &statuses : signal == u"conflict" ? &conflicts : &details;
                QCOMPARE(QJsonDocument(spy->first().first().toJsonObject()).toJson(QJsonDocument::Compact),
                         payload.toUtf8());
            }
            QCOMPARE(state.connected, connectedBefore || signal == u"status");
            QVERIFY(!state.lastStatusReceivedAt); // stamped when a snapshot is shown, not when it arrives
        }
    }

    // A heartbeat that repeats the last snapshot byte for byte is not parsed again, one that differs only in its
    // sample time is not drawn again; a new host starts afresh.
    void repeatedSnapshotIsNotParsedAgain() {
        FakePlatform platform;
        LinkState state;
        const Copy english;
        HostLink link(platform, english, state);
        QSignalSpy statuses(&link, &HostLink::statusReceived);
        QSignalSpy repeats(&link, &HostLink::statusRepeated);
        const QByteArray first = R"({"type":"status","status":{"n":1}})";
        const QByteArray second = R"({"type":"status","status":{"n":2}})";
        const QByteArray result = R"({"type":"result","id":"A","ok":true})";
        for (const QByteArray& frame : {first, first, result, result, first, second, first}) {
            link.handleLine(frame);
        }
        QCOMPARE(statuses.size(), 3); // first, second, first again
        QCOMPARE(repeats.size(), 2);
        state.connected = false;
        link.handleLine(first);
        QCOMPARE(repeats.size(), 3);
        QVERIFY(state.connected);
        // The host stamps every snapshot with the time it was sampled: one that moved only that time repeats the
        // last, and carries the new time for the footer.
        link.handleLine(R"({"type":"status","status":{"n":1,"sampledAt":"T2"}})");
        QCOMPARE(repeats.size(), 4);
        QCOMPARE(repeats.last().first().value<QJsonObject>().value(u"sampledAt"), QJsonValue("T2"));
        link.handleLine(R"({"type":"status","status":{"n":2,"sampledAt":"T2"}})");
        QCOMPARE(statuses.size(), 4);
        link.hostEnded(0);
        link.handleLine(second);
        QCOMPARE(statuses.size(), 5);
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
