// The link with a real host process: commands, results and the host's end; then the whole app with one.
#include "host/HostLink.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kSilent = QStringLiteral("Service did not respond. Check its status and try again.");

} // namespace

class HostLinkTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every command completes exactly once, whichever way it ends; a host that stopped reading holds back at most
    // 1 MiB, and what it leaves unread fails as unanswered.
    void everyCommandCompletesOnce_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("ending"); // what happens around the send
        QTest::addColumn<int>("kib");        // text in the command
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, QString script, QString ending, int kib, QString outcome) {
            QTest::newRow(name) << script << ending << kib << outcome;
        };
        row("answered", "answer", "", 0, "ok");
        row("host ended", "no-results", "kill", 0, "failed");
        row("input closed", "no-results", "input closed", 0, "failed");
        row("app leaving", "no-results", "abandon", 0, "failed");
        row("no host", "no-results", "not started", 0, "failed");
        row("preview", "no-results", "preview", 0, "failed");
        row("stuck in the write buffer", "deaf", "", 256, "failed: unanswered");
        row("write buffer full", "deaf", "fill", 300, "failed: unanswered");
    }

    void everyCommandCompletesOnce() {
        QFETCH(QString, script);
        QFETCH(QString, ending);
        QFETCH(int, kib);
        QFETCH(QString, outcome);
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
};

VODU_TEST_SUITE(HostLinkTest)
#include "HostLinkTest.moc"
