// What the link decides on its own: how output is cut into frames, where each frame goes, which status repeats the
// last, how a result completes its command, how a command is written, the host's PATH and when status is stale.
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/CommandEnvelope.h"
#include "host/DesktopStatusFrames.h"
#include "host/HostLaunch.h"
#include "host/PendingCommands.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr qsizetype kCap = DesktopStatusFrames::kDefaultMaximumBytes;

QString text(const QString& message) {
    return message;
}

QString text(const QJsonObject& message) {
    return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

} // namespace

class LinkRulesTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Frames as text (long ones by size) and "oversized" marks; never more than the cap is held. A frame's handler
    // may end the host, and so reset the decoder, while it delivers.
    void framesAreCut_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<bool>("resetOnFrame");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<qsizetype>("pendingAfter");
        const auto row = [](const char* name, const QList<QByteArray>& chunks, const QStringList& expected,
                            qsizetype pending, bool reset = false) {
            QTest::newRow(name) << chunks << reset << expected << pending;
        };
        row("split over chunks, carriage return kept, partial line waits", {"A\nB", "C\r\nabc"}, {"A", "BC\r"}, 3);
        row("exactly the cap in pieces", {QByteArray(kCap - 1, 'x'), "y", "\nz\n"}, {"8388608 bytes", "z"}, 0);
        row("one over the cap, ending in the crossing chunk", {QByteArray(kCap, 'x'), "x\nok\npart"},
            {"oversized", "ok"}, 4);
        row("cap crossed by a later chunk of a held line",
            {QByteArray(kCap / 2, 'x'), QByteArray(kCap / 2 + 1, 'x'), "tail\nnext\n"}, {"oversized", "next"}, 0);
        row("the handler resets the decoder", {"par", "tial\nnext\n"}, {"partial", "next"}, 0, true);
    }

    void framesAreCut() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(bool, resetOnFrame);
        QFETCH(QStringList, expected);
        QFETCH(qsizetype, pendingAfter);
        DesktopStatusFrames decoder;
        QStringList events;
        for (const QByteArray& chunk : chunks) {
            decoder.consume(
                chunk,
                [&](QByteArrayView frame) {
                    events.append(frame.size() > 64 ? QStringLiteral("%1 bytes").arg(frame.size())
                                                    : QString::fromLatin1(frame.toByteArray()));
                    if (resetOnFrame) {
                        decoder.reset();
                    }
                },
                [&events] { events.append(QStringLiteral("oversized")); });
            QVERIFY(decoder.pendingSize() <= kCap);
        }
        QCOMPARE(events, expected);
        QCOMPARE(decoder.pendingSize(), pendingAfter);
    }

    // Each line leaves the link as at most one signal, chosen by its "type"; only a status marks it connected.
    void framesAreRouted_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("heard"); // "<signal> <what it carries>"; empty: nothing
        const auto row = [](const char* name, const QByteArray& frame, const QString& heard = {}) {
            QTest::newRow(name) << frame << heard;
        };
        row("array", R"([{"type":"status","status":{}}])");
        row("type not a string", R"({"type":1,"status":{}})");
        row("status without object", R"({"type":"status","status":[]})");
        row("unknown type", R"({"type":"gossip","status":{}})");
        row("longer than a frame", QByteArray(kCap + 1, 'x'), "stale Service response was too large");
        row("status", R"({"type":"status","status":{"connection":{"state":"online"}}})",
            R"(status {"connection":{"state":"online"}})");
        row("error, blank message", R"({"type":"error","message":"  \n "})", "error Service error");
        row("error, secret masked", R"({"type":"error","message":"bad password=hunter2 given"})",
            "error bad ••• given");
        row("error, long message cut", "{\"type\":\"error\",\"message\":\"" + QByteArray("word ").repeated(60) + "\"}",
            "error " + QStringLiteral("word ").repeated(60).left(180));
        row("error, conflict code compared exactly", R"({"type":"error","code":"Process_Conflict"})",
            "error Service error");
        row("process conflict", R"({"type":"error","code":"process_conflict","conflicts":[{"pid":2}]})",
            R"(conflict {"code":"process_conflict","conflicts":[{"pid":2}],"type":"error"})");
        row("task detail", R"({"type":"task_detail","taskKey":"t1","task":{"result":"R"}})",
            R"(detail {"task":{"result":"R"},"taskKey":"t1","type":"task_detail"})");
    }

    void framesAreRouted() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, heard);
        for (const bool connectedBefore : {false, true}) {
            ScriptedLink l; // never started: fed its output directly
            l.state.connected = connectedBefore;
            QStringList said;
            const auto listen = [&](auto signal, const char* name) {
                QObject::connect(&l.link, signal, &l.link, [&said, name](const auto& value) {
                    said.append(QString::fromLatin1(name) + u' ' + text(value));
                });
            };
            listen(&HostLink::statusReceived, "status");
            listen(&HostLink::serviceError, "error");
            listen(&HostLink::processConflict, "conflict");
            listen(&HostLink::taskDetailReceived, "detail");
            listen(&HostLink::stale, "stale");
            l.link.consumeOnMain(frame + '\n');
            QCOMPARE(said, heard.isEmpty() ? QStringList() : QStringList{heard});
            QCOMPARE(l.state.connected, connectedBefore || heard.startsWith(u"status"));
            QVERIFY(!l.state.lastStatusReceivedAt); // stamped when a snapshot is shown, not when it arrives
        }
    }

    // A status that is byte for byte the last, or moved only its sample time, repeats it (carrying the new time);
    // other messages between do not break the repeat, and a new host starts afresh.
    void repeatedStatus() {
        ScriptedLink l;
        QSignalSpy statuses(&l.link, &HostLink::statusReceived);
        QSignalSpy repeats(&l.link, &HostLink::statusRepeated);
        const QByteArray first = R"({"type":"status","status":{"n":1}})";
        const QByteArray result = R"({"type":"result","id":"A","ok":true})";
        for (const QByteArray& frame :
             {first, first, result, first, QByteArray(R"({"type":"status","status":{}})"), first}) {
            l.link.handleLine(frame);
        }
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(repeats.size(), 2);
        l.state.connected = false;
        const QByteArray later = R"({"type":"status","status":{"n":1,"sampledAt":"T2"}})";
        l.link.handleLine(later);
        QCOMPARE(repeats.size(), 3);
        QCOMPARE(repeats.last().first().value<QJsonObject>().value(u"sampledAt"), QJsonValue("T2"));
        QVERIFY(l.state.connected);
        l.link.hostEnded(0);
        l.link.handleLine(later);
        QCOMPARE(statuses.size(), 4);
    }

    // A result completes its command once, by exact id.
    void resultsCompleteTheirCommand_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("completed"); // "ok" or "failed: <message>"; empty: still waiting
        QTest::newRow("ok") << QByteArray(R"({"type":"result","id":"A","ok":true})") << "ok";
        QTest::newRow("ok as a string") << QByteArray(R"({"type":"result","id":"A","ok":"true"})") << "failed: ";
        QTest::newRow("failure message masked")
            << QByteArray(
                   "{\"type\":\"result\",\"id\":\"A\",\"ok\":false,\"message\":\" see https://x.test/a?t=1 now \"}")
            << "failed: see ••• now";
        QTest::newRow("id in another case") << QByteArray(R"({"type":"result","id":"a","ok":true})") << "";
    }

    void resultsCompleteTheirCommand() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, completed);
        PendingCommands pending;
        QStringList calls;
        pending.park(QStringLiteral("A"), [&calls](bool ok, const std::optional<QString>& text) {
            calls.append(ok ? QStringLiteral("ok") : QStringLiteral("failed: ") + text.value_or(QString()));
        });
        pending.complete(json(frame));
        pending.complete(json(frame)); // a duplicate changes nothing
        QCOMPARE(calls, completed.isEmpty() ? QStringList() : QStringList{completed});
        QCOMPARE(pending.size(), completed.isEmpty() ? 1 : 0);
    }

    // Failing every waiting command takes them whole first: one sent again from a completion waits on its own.
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

    void commandLine_data() {
        QTest::addColumn<bool>("force");
        QTest::addColumn<QString>("taskKey"); // empty: none
        QTest::addColumn<QJsonObject>("fields");
        QTest::addColumn<QByteArray>("expected"); // empty: refused
        QTest::newRow("plain") << false << "" << QJsonObject{} << QByteArray(R"({"action":"run","id":"X"})");
        QTest::newRow("force and task key")
            << true << "t1" << QJsonObject{} << QByteArray(R"({"action":"run","force":true,"id":"X","taskKey":"t1"})");
        QTest::newRow("fields replace both") << true << "t1" << QJsonObject{{"taskKey", "f"}, {"force", false}}
                                             << QByteArray(R"({"action":"run","force":false,"id":"X","taskKey":"f"})");
        QTest::newRow("a non-finite number") << false << "" << QJsonObject{{"n", qInf()}} << QByteArray();
    }

    void commandLine() {
        QFETCH(bool, force);
        QFETCH(QString, taskKey);
        QFETCH(QJsonObject, fields);
        QFETCH(QByteArray, expected);
        const auto key = taskKey.isEmpty() ? std::nullopt : std::optional(taskKey);
        const auto line =
            ::commandLine(commandEnvelope(QStringLiteral("X"), QStringLiteral("run"), force, key, fields));
        QCOMPARE(line.value_or(QByteArray()), expected.isEmpty() ? expected : expected + '\n');
    }

    // The usual tool folders, then HOME's, then the inherited PATH; a missing HOME counts as empty.
    void hostPath() {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("KEEP"), QStringLiteral("1"));
        const auto path = [&environment] {
            return hostEnvironment(environment).value(QStringLiteral("PATH"));
        };
        QCOMPARE(path(), QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/.local/bin:/usr/bin:/bin"));
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/ann"));
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin"));
        QCOMPARE(path(), QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/home/ann/.local/bin:/usr/local/bin"));
        QCOMPARE(hostEnvironment(environment).value(QStringLiteral("KEEP")), QStringLiteral("1"));
    }

    // Stale only strictly after 15 s, from the last snapshot shown, else from the launch; never in preview or
    // without a running host.
    void staleness_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<qint64>("sinceLaunch");
        QTest::addColumn<qint64>("sinceStatus"); // -1: no snapshot yet
        QTest::addColumn<bool>("stale");
        const auto row = [](const char* name, bool running, bool preview, qint64 launch, qint64 status, bool stale) {
            QTest::newRow(name) << running << preview << launch << status << stale;
        };
        row("no snapshot, 15 s after the launch", true, false, 15000, -1, false);
        row("no snapshot, 15.001 s after the launch", true, false, 15001, -1, true);
        row("snapshot 10 s ago, launched a minute ago", true, false, 60000, 10000, false);
        row("snapshot 16 s ago", true, false, 20000, 16000, true);
        row("preview", true, true, 60000, 60000, false);
        row("no running host", false, false, 60000, 60000, false);
    }

    void staleness() {
        QFETCH(bool, running);
        QFETCH(bool, preview);
        QFETCH(qint64, sinceLaunch);
        QFETCH(qint64, sinceStatus);
        QFETCH(bool, stale);
        ScriptedLink host(QStringLiteral("silent"));
        QVERIFY(!running || host.start());
        const QDateTime launched = host.link.hostStartedAt().value_or(host.platform.clock);
        if (sinceStatus >= 0) {
            host.platform.clock = launched.addMSecs(sinceLaunch - sinceStatus);
            host.link.noteStatusRendered();
        }
        host.state.fixtureMode = preview;
        host.platform.clock = launched.addMSecs(sinceLaunch);
        QSignalSpy stales(&host.link, &HostLink::stale);
        host.link.checkStatusFreshness();
        QCOMPARE(stales.size(), stale ? 1 : 0);
        QCOMPARE(stales.value(0).value(0).toString(),
                 stale ? QStringLiteral("No recent status from service") : QString());
    }
};

VODU_TEST_SUITE(LinkRulesTest)
#include "LinkRulesTest.moc"
