#include "DataTables.h"
#include "Harness.h"
#include "ReferenceHost.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/CommandEnvelope.h"
#include "host/DesktopStatusFrames.h"
#include "host/HostLaunch.h"
#include "host/HostLink.h"
#include "host/MessageReader.h"
#include "host/PendingCommands.h"
#include "tasks/TaskBodyView.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QAbstractItemView>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kCap = DesktopStatusFrames::kDefaultMaximumBytes;
const QString kEnded = QStringLiteral("Service connection ended");
const QString kSilent = QStringLiteral("Service did not respond. Check its status and try again.");

QString text(const QJsonValue& message) {
    return message.isString() ? message.toString()
                              : QString::fromUtf8(QJsonDocument(message.toObject()).toJson(QJsonDocument::Compact));
}

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

// The host link on its own, the message reader, the link with a real host, preview data and the host's faults.
class HostTest final : public QObject {
    Q_OBJECT

    QTemporaryDir m_directory;

    // Loads `content` (written to a file) or the file at `path` the way a preview launch does.
    void load(AppDelegate& app, const QByteArray& content, QString path = {}) {
        if (path.isEmpty()) {
            QVERIFY(writeFile(path = m_directory.filePath(QStringLiteral("fixture.json")), content));
        }
        app.setFixtureMode(true);
        app.loadFixture(path);
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Preview data")); // its actions: overview tests
    }

private Q_SLOTS:
    // What the link decides on its own: how output is cut into frames, where each frame goes, which status repeats the
    // last, how a result completes its command, how a command is written, the host's PATH and when status is stale.
    // Frames as text (long ones by size) and "oversized" marks; never more than the cap is held. A frame's handler
    // may end the host, and so reset the decoder, while it delivers.
    void framesAreCut_data() {
        columns<QList<QByteArray>, bool, QStringList, qsizetype>({"chunks", "reset", "expected", "pending"});
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
        const auto [chunks, resetOnFrame, expected, pendingAfter] =
            fetch<QList<QByteArray>, bool, QStringList, qsizetype>({"chunks", "reset", "expected", "pending"});
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
        columns<QByteArray, QString>({"frame", "heard"}); // heard: "<signal> <what it carries>"; empty: nothing
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
        const auto [frame, heard] = fetch<QByteArray, QString>({"frame", "heard"});
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
        for (const QByteArray& frame : {first, first, QByteArray(R"({"type":"result","id":"A","ok":true})"), first,
                                        QByteArray(R"({"type":"status","status":{}})"), first}) {
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
    void resultsCompleteTheirCommand_data() { // no raw string below: moc would read its "//" as a comment
        columns<QByteArray, QString>({"frame", "completed"}); // "ok" or "failed: <message>"; empty: still waiting
        dataRow("ok", QByteArray(R"({"type":"result","id":"A","ok":true})"), "ok");
        dataRow("ok as a string", QByteArray(R"({"type":"result","id":"A","ok":"true"})"), "failed: ");
        dataRow("failure message masked",
                QByteArray(
                    "{\"type\":\"result\",\"id\":\"A\",\"ok\":false,\"message\":\" see https://x.test/a?t=1 now \"}"),
                "failed: see ••• now");
        dataRow("id in another case", QByteArray(R"({"type":"result","id":"a","ok":true})"), "");
    }

    void resultsCompleteTheirCommand() {
        const auto [frame, completed] = fetch<QByteArray, QString>({"frame", "completed"});
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
        // An empty task key: none; an empty expected line: refused.
        columns<bool, QString, QJsonObject, QByteArray>({"force", "taskKey", "fields", "expected"});
        dataRow("plain", false, "", QJsonObject{}, QByteArray(R"({"action":"run","id":"X"})"));
        dataRow("force and task key", true, "t1", QJsonObject{},
                QByteArray(R"({"action":"run","force":true,"id":"X","taskKey":"t1"})"));
        dataRow("fields replace both", true, "t1", QJsonObject{{"taskKey", "f"}, {"force", false}},
                QByteArray(R"({"action":"run","force":false,"id":"X","taskKey":"f"})"));
        dataRow("a non-finite number", false, "", QJsonObject{{"n", qInf()}}, QByteArray());
    }

    void commandLine() {
        const auto [force, taskKey, fields, expected] =
            fetch<bool, QString, QJsonObject, QByteArray>({"force", "taskKey", "fields", "expected"});
        const auto key = taskKey.isEmpty() ? std::nullopt : std::optional(taskKey);
        QCOMPARE(::commandLine(commandEnvelope(QStringLiteral("X"), QStringLiteral("run"), force, key, fields))
                     .value_or(QByteArray()),
                 expected.isEmpty() ? expected : expected + '\n');
    }

    // The usual tool folders, then HOME's, then the inherited PATH; a missing HOME counts as empty.
    void hostPath() {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("KEEP"), QStringLiteral("1"));
        QCOMPARE(hostEnvironment(environment).value(QStringLiteral("PATH")),
                 QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/.local/bin:/usr/bin:/bin"));
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/ann"));
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin"));
        QCOMPARE(hostEnvironment(environment).value(QStringLiteral("PATH")),
                 QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/home/ann/.local/bin:/usr/local/bin"));
        QCOMPARE(hostEnvironment(environment).value(QStringLiteral("KEEP")), QStringLiteral("1"));
    }

    // Stale only strictly after 15 s, from the last snapshot shown, else from the launch; never in preview or
    // without a running host.
    void staleness_data() {
        // sinceStatus -1: no snapshot yet
        columns<bool, bool, int, int, bool>({"running", "preview", "sinceLaunch", "sinceStatus", "stale"});
        dataRow("no snapshot, 15 s after the launch", true, false, 15000, -1, false);
        dataRow("no snapshot, 15.001 s after the launch", true, false, 15001, -1, true);
        dataRow("snapshot 10 s ago, launched a minute ago", true, false, 60000, 10000, false);
        dataRow("snapshot 16 s ago", true, false, 20000, 16000, true);
        dataRow("preview", true, true, 60000, 60000, false);
        dataRow("no running host", false, false, 60000, 60000, false);
    }

    void staleness() {
        const auto [running, preview, sinceLaunch, sinceStatus, stale] =
            fetch<bool, bool, int, int, bool>({"running", "preview", "sinceLaunch", "sinceStatus", "stale"});
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
        QCOMPARE(stales.value(0).value(0).toString(), stale ? u"No recent status from service"_s : QString());
    }

    void findsTheLists_data() {
        columns<QByteArray, QString>({"json", "expected"});
        dataRow("all three lists",
                status(tasks({1, 2}),
                       j(",'sessionSupervision':{'sessions':[{'session':'a'}]},'deliveryHooks':{'runs':[]}")),
                "2 1 0");
        dataRow("brackets and quotes inside strings", status(j("{'label':'a ] } [ { \\' \\\\'},{'label':'\\\\\\''}")),
                "2 - -");
        dataRow("keys elsewhere may repeat", status(j("{'a':1,'a':2}"), j(",'x':1,'x':2")), "1 - -");
        dataRow("a path key repeated", j("{'status':{'tasks':{'items':[{}],'items':[{}]}}}"), "refused");
        dataRow("an escaped key beside a path", j("{'st\\u0061tus':{'tasks':{'items':[]}}}"), "refused");
        dataRow("a record that is not an object", status(j("{},1")), "refused");
        dataRow("nesting deeper than a parser takes",
                status("{\"a\":" + QByteArray(300, '[') + QByteArray(300, ']') + "}"), "refused");
    }

    void findsTheLists() {
        const auto [json, expected] = fetch<QByteArray, QString>({"json", "expected"});
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

    // The link with a real host process: commands, results and the host's end; then the whole app with one.

    // Every command completes exactly once, whichever way it ends; a host that stopped reading holds back at most
    // 1 MiB, and what it leaves unread fails as unanswered.
    void everyCommandCompletesOnce_data() {
        // ending: what happens around the send; kib: text in the command
        columns<QString, QString, int, QString>({"script", "ending", "kib", "outcome"});
        dataRow("answered", "answer", "", 0, "ok");
        dataRow("host ended", "no-results", "kill", 0, "failed");
        dataRow("input closed", "no-results", "input closed", 0, "failed");
        dataRow("app leaving", "no-results", "abandon", 0, "failed");
        dataRow("no host", "no-results", "not started", 0, "failed");
        dataRow("preview", "no-results", "preview", 0, "failed");
        dataRow("stuck in the write buffer", "deaf", "", 256, "failed: unanswered");
        dataRow("write buffer full", "deaf", "fill", 300, "failed: unanswered");
    }

    void everyCommandCompletesOnce() {
        const auto [script, ending, kib, outcome] =
            fetch<QString, QString, int, QString>({"script", "ending", "kib", "outcome"});
        ScriptedLink host(script);
        host.link.setWriteTimeout(300);
        QVERIFY(ending == u"not started" || host.start());
        host.state.fixtureMode = ending == u"preview";
        if (ending == u"input closed") {
            host.link.closeInput();
        }
        const QJsonObject fields{{"blob", QString(kib * 1024, QLatin1Char('x'))}};
        for (int filler = 0; ending == u"fill" && filler < 3; ++filler) {
            host.link.send(QStringLiteral("probe"), false, std::nullopt, fields, {});
        }
        QStringList calls;
        host.link.send(QStringLiteral("ping"), false, std::nullopt, fields,
                       [&calls](bool ok, const std::optional<QString>& text) {
                           calls.append(ok                 ? QStringLiteral("ok")
                                        : !text            ? QStringLiteral("failed")
                                        : *text == kSilent ? QStringLiteral("failed: unanswered")
                                                           : *text);
                       });
        if (ending == u"fill") {
            QCOMPARE(calls.size(), 1); // refused at once
            QVERIFY(host.link.process()->bytesToWrite() <= 1024 * 1024);
        } else if (ending == u"kill") {
            QSignalSpy ended(&host.link, &HostLink::ended);
            host.link.process()->kill();
            QVERIFY(ended.wait(10000));
        } else if (ending == u"abandon") {
            host.link.abandonCommands();
        }
        QTRY_COMPARE(calls.size(), 1);
        QTest::qWait(script == u"deaf" ? 400 : 50); // nothing completes it a second time
        QCOMPARE(calls, QStringList{outcome});
    }

    // Commands back to back: each its own line and id, each result to its own completion. A refresh has its answer
    // drawn even when it repeats the last snapshot. The host's end leaves nothing of it.
    void commandsAndResultsThroughTheHost() {
        ScriptedLink host(QStringLiteral("answer"));
        QVERIFY(host.start());
        QStringList completed;
        const auto note = [&completed](const QString& action) {
            return [&completed, action](bool ok, const std::optional<QString>&) {
                completed.append(action + QLatin1String(ok ? " ok" : " failed"));
            };
        };
        host.link.send(QStringLiteral("fail"), true, QStringLiteral("task-7"), {}, note(QStringLiteral("fail")));
        host.link.send(QStringLiteral("ping"), false, std::nullopt, {{"n", 1}}, note(QStringLiteral("ping")));
        QTRY_COMPARE(completed.size(), 2);
        QVERIFY(completed.contains(u"fail failed") && completed.contains(u"ping ok"));
        const QList<QJsonObject> commands = host.received();
        QCOMPARE(commands.size(), 2);
        QCOMPARE(commands.at(0).value("taskKey"), QJsonValue("task-7"));
        QCOMPARE(commands.at(1).value("n"), QJsonValue(1));
        static const QRegularExpression upperUuid(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"));
        QVERIFY(upperUuid.match(commands.at(0).value("id").toString()).hasMatch());
        QVERIFY(commands.at(0).value("id") != commands.at(1).value("id"));

        QSignalSpy statuses(&host.link, &HostLink::statusReceived);
        const QByteArray frame = R"({"type":"status","status":{"n":1}})";
        host.link.handleLine(frame);
        host.link.handleLine(frame);
        host.link.send(QStringLiteral("refresh"), false, std::nullopt, {}, {});
        host.link.handleLine(frame);
        QCOMPARE(statuses.size(), 2);

        QSignalSpy ended(&host.link, &HostLink::ended);
        host.link.process()->kill();
        QVERIFY(ended.wait(10000));
        QVERIFY(!host.link.process() && !host.link.hostStartedAt() && host.link.bufferedBytes() == 0);
        QVERIFY(!host.state.connected && !host.state.hostProcessAlive && !host.state.lastStatusReceivedAt);
    }

    // The result came after 200 status frames and before the end: all are handled, in order, before the end.
    void framesBufferedAtExitAreHandledFirst() {
        ScriptedLink host(QStringLiteral("burst-exit"));
        QStringList versions;
        QObject::connect(&host.link, &HostLink::statusReceived, &host.link, [&versions](const QJsonObject& status) {
            versions.append(status.value("version").toString());
        });
        QVERIFY(host.start());
        QSignalSpy ended(&host.link, &HostLink::ended);
        QString versionWhenAnswered;
        qsizetype endsWhenAnswered = -1;
        host.link.send(QStringLiteral("probe"), false, std::nullopt, {}, [&](bool ok, const std::optional<QString>&) {
            versionWhenAnswered = ok ? versions.value(versions.size() - 1) : QString();
            endsWhenAnswered = ended.size();
        });
        QVERIFY(ended.wait(10000));
        QCOMPARE(versionWhenAnswered, QStringLiteral("burst-199"));
        QCOMPARE(endsWhenAnswered, 0);
        QCOMPARE(versions.size(), 201); // the first status, then the burst
    }

    // The whole app with a real host: its status, errors and task details reach the views; a second start asks the
    // running host to reconnect.
    void theAppWithAScriptedHost() {
        Harness harness;
        AppDelegate& app = harness.app();
        ScriptedHost host(harness, QStringLiteral("answer"), QStringLiteral("reconnect"));
        QVERIFY(host.ready());
        QTRY_COMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Test User"));
        QCOMPARE(app.linkState().runningVersion, QStringLiteral("9.9.9"));

        QVERIFY(host.feed(R"({"type":"error","message":"disk full"})"));
        QTRY_COMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("disk full"));
        QVERIFY(host.feed(R"({"type":"status","status":{"tasks":{"items":[{"key":"t1","label":"Digest"}]}}})"));
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("task_detail")});
        QVERIFY(host.feed(R"({"type":"task_detail","taskKey":"t1","task":{"instruction":"Post the digest"}})"));
        QTRY_VERIFY(view<TaskBodyView>(app, "taskBody")->document()->toPlainText().contains(u"Post the digest"));

        app.startHost();
        QPushButton* reconnect = view<StatusRow>(app, "connectionRow")->action();
        reconnect->show();
        reconnect->click();
        QTRY_COMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("reconnect refused"));
        QCOMPARE(host.actions(), (QStringList{"task_detail", "reconnect", "reconnect"}));
    }

    // Preview data loaded by the whole app instead of a host: drawn, or said to be unreadable.

    // The preview's own keys: the appearance and the selected conversation (the fixture's key first, else the
    // snapshot's, else the first listed).
    void previewKeys_data() {
        columns<Appearance, QByteArray, Appearance, QString>({"before", "keys", "after", "title"});
        const Appearance light = Appearance::light, dark = Appearance::dark;
        const QByteArray both = R"("fixtureSelectedSession":"codex|s1","previewSelectedSession":"claude|s2")";
        dataRow("system means dark", light, R"("appearance":"system","previewSelectedSession":"claude|s2")"_ba, dark,
                "Two");
        dataRow("Light is not light, the fixture's key first", light, R"("appearance":"Light",)" + both, dark, "One");
        dataRow("missing leaves the appearance", light, R"("x":1)"_ba, light, "One");
    }

    void previewKeys() {
        const auto [before, keys, after, title] =
            fetch<Appearance, QByteArray, Appearance, QString>({"before", "keys", "after", "title"});
        Harness harness;
        AppDelegate& app = harness.app();
        setWindowAppearance(app.window(), before);
        load(app, "{" + keys + R"(,
            "sessionSupervision":{"sessions":[{"provider":"codex","session":"s1","title":"One"},
                                              {"provider":"claude","session":"s2","title":"Two"}]}})");
        QCOMPARE(appearanceOf(app.window()), after);
        QCOMPARE(view<QLabel>(app, "sessionHeaderTitle")->text(), title);
        QVERIFY(!app.linkState().hostProcessAlive);
    }

    // Content that is no JSON object, a missing file and a directory all show the same presentation.
    void unreadableFixture_data() {
        columns<QByteArray, QString>({"content", "path"}); // path empty: the written content
        dataRow("top-level array", R"([{"auth":{"state":"signed_in"}}])"_ba, QString());
        dataRow("not JSON", "{\"status\":"_ba, QString());
        dataRow("missing file", QByteArray(), m_directory.filePath(QStringLiteral("absent.json")));
        dataRow("directory", QByteArray(), m_directory.path());
        // Neither may stall the start: a FIFO waits for a writer, and preview data is one status frame at most.
        dataRow("FIFO", QByteArray(), QStringLiteral("<fifo>"));
        dataRow("larger than a status frame", QByteArray(8 * 1024 * 1024, ' ') + R"({"auth":{"state":"signed_in"}})",
                QString());
    }

    void unreadableFixture() {
        auto [content, path] = fetch<QByteArray, QString>({"content", "path"});
        if (path == u"<fifo>") {
            path = m_directory.filePath(QStringLiteral("fifo.json"));
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 || errno == EEXIST);
        }
        Harness harness;
        AppDelegate& app = harness.app();
        load(app, content, path);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), u"Could not load preview data"_s);
        QVERIFY(view<StatusRow>(app, "connectionRow")->action()->isHidden());
        QVERIFY(!app.linkState().connected);
    }

    // The reference host misbehaving in each of its fault modes: the app keeps running, shows what happened, completes
    // every command it sent exactly once and keeps what the user typed.

    void drill_data() {
        // action: sent once the host runs, "quit" through the app's quit; outcome: "ok", "once" (either, but exactly
        // once) or "" (none sent); detail: empty is not checked.
        columns<QString, QString, QString, bool, QString>({"faults", "action", "outcome", "connected", "detail"});
        dataRow("silent: commands still answered", "silent", "refresh", "ok", true, "");
        dataRow("slow results", "slow-results=400", "refresh", "ok", true, "");
        dataRow("oversized line before the first status", "oversized-line", "refresh", "ok", true, "");
        dataRow("garbage after every frame", "garbage", "refresh", "ok", true, "");
        dataRow("crash after three frames", "crash-after=3", "refresh", "once", false, kEnded);
        dataRow("refused quit", "refuse-quit", "quit", "", true, "");
        // Shown at once, and still explained when the host has ended.
        dataRow("another host holds the installation", "conflict", "", "", false,
                QStringLiteral("Another CLI is running"));
    }

    void drill() {
        const auto [faults, action, outcome, connected, connectionDetail] =
            fetch<QString, QString, QString, bool, QString>({"faults", "action", "outcome", "connected", "detail"});

        // A conflict needs a first app whose host holds the installation home.
        std::unique_ptr<Harness> first;
        std::unique_ptr<ReferenceHost> holder;
        if (faults == u"conflict") {
            first = std::make_unique<Harness>();
            holder = std::make_unique<ReferenceHost>(*first, ReferenceHost::Options{});
            QVERIFY(holder->ready());
        }
        Harness harness;
        AppDelegate& app = harness.app();
        ReferenceHost::Options options;
        options.faults = faults == u"conflict" ? QString() : faults;
        options.home = holder ? holder->home() : QString();
        options.waitForStatus = faults != u"silent" && !holder;
        const ReferenceHost host(harness, options);
        if (holder) {
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().hostProcessAlive, 15000);
        } else {
            QVERIFY(host.ready());
        }
        const QString goal = QStringLiteral("Ship the release notes");
        // The first listed row that shows the supervision form gets a goal; a silent host never lists any.
        auto* list = view<QAbstractItemView>(app, "deliveryTable");
        bool drafted = false;
        for (int row = 0; !drafted && row < list->model()->rowCount(); ++row) {
            list->setCurrentIndex(list->model()->index(row, 0));
            drafted = !view<QWidget>(app, "sessionForm")->isHidden();
        }
        if (drafted) {
            view<QPlainTextEdit>(app, "sessionGoal")->setPlainText(goal);
        }
        QVERIFY(drafted || faults == u"silent" || holder); // only these never see a conversation

        QList<bool> results;
        if (action == u"quit") {
            harness.fake->alertAnswers = {AlertAnswer{1, {}}}; // "Quit VODU" while the demo's tasks run
            app.requestQuit();
            QTRY_VERIFY_WITH_TIMEOUT(!app.linkState().quitInFlight, 15000);
            QCOMPARE(harness.fake->terminations, 0);
            QVERIFY(app.linkState().hostProcessAlive);
        } else if (!action.isEmpty()) {
            app.context().commands.send(action, false, std::nullopt, {},
                                        [&results](bool ok, const std::optional<QString>&) { results.append(ok); });
            QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty(), 15000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(connected || !app.linkState().connected, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(connectionDetail != kEnded || !app.linkState().hostProcessAlive, 15000);
        QTest::qWait(300); // a late second completion or snapshot would arrive by now

        QCOMPARE(results.size(), outcome.isEmpty() ? 0 : 1);
        QVERIFY(outcome != u"ok" || results == QList<bool>{true});
        QCOMPARE(app.linkState().connected, connected);
        if (!connectionDetail.isEmpty()) {
            QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), connectionDetail);
        }
        if (holder) {
            QVERIFY(view<QLabel>(app, "footer")->text().startsWith(u"A CLI is already using this connection."));
            QVERIFY(!view<QPushButton>(app, "stopConflictButton")->isHidden());
        }
        if (drafted) {
            QCOMPARE(view<QPlainTextEdit>(app, "sessionGoal")->toPlainText(), goal);
        }
    }
};

VODU_TEST_SUITE(HostTest)
#include "HostTest.moc"
