#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "host/CommandEnvelope.h"
#include "host/HostLaunch.h"
#include "tasks/TaskBodyView.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

struct CompletionCall {
    bool ok;
    std::optional<QString> message;
};

const QRegularExpression kUpperUuid(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

} // namespace

class HostLinkTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void envelope_data() {
        QTest::addColumn<bool>("force");
        QTest::addColumn<QVariant>("taskKey");
        QTest::addColumn<QJsonObject>("fields");
        QTest::addColumn<QJsonObject>("expected");
        QTest::newRow("plain") << false << QVariant() << QJsonObject{}
                               << QJsonObject{{"id", "X"}, {"action", "refresh"}};
        QTest::newRow("force and task key")
            << true << QVariant(QStringLiteral("task-1")) << QJsonObject{}
            << QJsonObject{{"id", "X"}, {"action", "refresh"}, {"force", true}, {"taskKey", "task-1"}};
        QTest::newRow("a field replaces the task key")
            << false << QVariant(QStringLiteral("task-1")) << QJsonObject{{"taskKey", "from-field"}, {"n", 2}}
            << QJsonObject{{"id", "X"}, {"action", "refresh"}, {"taskKey", "from-field"}, {"n", 2}};
        QTest::newRow("a field replaces force") << true << QVariant() << QJsonObject{{"force", false}}
                                                << QJsonObject{{"id", "X"}, {"action", "refresh"}, {"force", false}};
        QTest::newRow("multi-line text stays on one line")
            << false << QVariant() << QJsonObject{{"goal", "line one\nline two\r\n"}}
            << QJsonObject{{"id", "X"}, {"action", "refresh"}, {"goal", "line one\nline two\r\n"}};
    }

    void envelope() {
        QFETCH(bool, force);
        QFETCH(QVariant, taskKey);
        QFETCH(QJsonObject, fields);
        QFETCH(QJsonObject, expected);
        const std::optional<QString> key = taskKey.isValid() ? std::optional(taskKey.toString()) : std::nullopt;
        const QJsonObject envelope =
            commandEnvelope(QStringLiteral("X"), QStringLiteral("refresh"), force, key, fields);
        QCOMPARE(envelope, expected);
        const std::optional<QByteArray> line = commandLine(envelope);
        QVERIFY(line);
        QVERIFY(line->endsWith('\n'));
        QCOMPARE(line->count('\n'), 1);
        QCOMPARE(QJsonDocument::fromJson(*line).object(), expected);
    }

    void unwritableEnvelopeIsNotSent() {
        QVERIFY(!commandLine(QJsonObject{{"id", "X"}, {"action", "a"}, {"n", qInf()}}));
    }

    void hostPathRule_data() {
        QTest::addColumn<QVariant>("home");
        QTest::addColumn<QVariant>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both set") << QVariant(QStringLiteral("/home/ann")) << QVariant(QStringLiteral("/bin"))
                                  << QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/home/ann/.local/bin:/bin");
        QTest::newRow("both unset") << QVariant() << QVariant()
                                    << QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/.local/bin:/usr/bin:/bin");
        QTest::newRow("duplicates kept") << QVariant(QStringLiteral("/h")) << QVariant(QStringLiteral("/usr/local/bin"))
                                         << QStringLiteral(
                                                "/opt/homebrew/bin:/usr/local/bin:/h/.local/bin:/usr/local/bin");
    }

    void hostPathRule() {
        QFETCH(QVariant, home);
        QFETCH(QVariant, path);
        QFETCH(QString, expected);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("KEEP"), QStringLiteral("1"));
        if (home.isValid()) {
            environment.insert(QStringLiteral("HOME"), home.toString());
        }
        if (path.isValid()) {
            environment.insert(QStringLiteral("PATH"), path.toString());
        }
        const QProcessEnvironment result = hostEnvironment(environment);
        QCOMPARE(result.value(QStringLiteral("PATH")), expected);
        QCOMPARE(result.value(QStringLiteral("KEEP")), QStringLiteral("1"));
    }

    // A host that cannot be started leaves the app showing why, with the action to start it again.
    void hostThatCannotStartShowsDisconnected_data() {
        QTest::addColumn<QString>("remove");
        QTest::addColumn<QString>("detail");
        const QString missing = QStringLiteral("Service files are missing");
        QTest::newRow("runtime missing") << QStringLiteral("Contents/Resources/runtime/bin/node") << missing;
        QTest::newRow("script missing") << QStringLiteral("Contents/Resources/cli/src/desktop-host.js") << missing;
        QTest::newRow("launcher missing")
            << QStringLiteral("Contents/MacOS/vodu") << QStringLiteral("Could not start service");
    }

    void hostThatCannotStartShowsDisconnected() {
        QFETCH(QString, remove);
        QFETCH(QString, detail);
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        QVERIFY(QFile::remove(bundle.path() + QLatin1Char('/') + remove));
        Harness harness;
        harness.fake->bundleDir = bundle.path();
        harness.app().startHost();
        QTRY_COMPARE(view<StatusRow>(harness.app(), "connectionRow")->detail()->text(), detail);
        QVERIFY(!harness.app().link().process());
        QVERIFY(!harness.app().linkState().hostProcessAlive);
        QCOMPARE(view<StatusRow>(harness.app(), "connectionRow")->action()->text(), QStringLiteral("Start service"));
    }

    // The launch's "refresh" is sent like any action: its failure, even without a message, is told in the footer.
    void failedLaunchRefreshIsReported() {
        Harness harness;
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_SILENT_FAIL"), QStringLiteral("1"));
        const ScriptedHost host(harness, QStringLiteral("recording"), QStringLiteral("refresh"));
        QVERIFY(host.ready());
        QTRY_COMPARE(view<QLabel>(harness.app(), "footer")->text(), QStringLiteral("Action could not finish"));
    }

    // The whole app with a real host: launch, refresh, status, messages, a second start, host end.
    void endToEndWithAScriptedHost() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("answer"), QStringLiteral("reconnect"));
        QVERIFY(host.ready());
        QVERIFY(app.linkState().connected);
        QVERIFY(app.link().hostStartedAt());

        // The launch sends "refresh" with a fresh id; the host's status is rendered.
        const QJsonObject refresh = host.received().first();
        QCOMPARE(refresh.value("action").toString(), QStringLiteral("refresh"));
        QVERIFY(kUpperUuid.match(refresh.value("id").toString()).hasMatch());
        QVERIFY(!refresh.contains("force"));
        QTRY_COMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Test User"));
        QCOMPARE(app.linkState().runningVersion, QStringLiteral("9.9.9"));

        // Errors reach the footer; a task's detail reaches the task page.
        app.link().handleLine(R"({"type":"error","message":"disk full"})");
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("disk full"));
        app.link().handleLine(R"({"type":"status","status":{"tasks":{"items":[{"key":"t1","label":"Digest"}]}}})");
        QTRY_COMPARE(host.actions(), QStringList{QStringLiteral("task_detail")});
        app.link().handleLine(R"({"type":"task_detail","taskKey":"t1","task":{"instruction":"Post the digest"}})");
        QVERIFY(view<TaskBodyView>(app, "taskBody")->document()->toPlainText().contains(u"Post the digest"));

        // A second start while the host runs asks it to reconnect and resets nothing; so does the connection row,
        // whose failure is told in the footer.
        const auto startedAt = app.link().hostStartedAt();
        app.startHost();
        QTRY_COMPARE(host.actions(), (QStringList{"task_detail", "reconnect"}));
        QCOMPARE(app.link().hostStartedAt(), startedAt);
        QPushButton* reconnect = view<StatusRow>(app, "connectionRow")->action();
        reconnect->show();
        reconnect->click();
        QTRY_COMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("reconnect refused"));
        QCOMPARE(host.actions(), (QStringList{"task_detail", "reconnect", "reconnect"}));
        QCOMPARE(app.link().hostStartedAt(), startedAt);

        // The host ends: every view says the connection ended.
        app.context().commands.send(QStringLiteral("quit"));
        QTRY_VERIFY(!app.link().process());
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Service connection ended"));
        QCOMPARE(view<ConnectionButton>(app, "connectionSummary")->text(),
                 QStringLiteral("Not connected · View details"));
        QVERIFY(!app.linkState().connected);
        QVERIFY(!app.link().hostStartedAt());
    }

    // Every command completes exactly once, whichever way it ends.
    void everyCommandCompletesOnce_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QJsonObject>("fields");
        QTest::addColumn<QString>("ending"); // what happens around the send
        QTest::addColumn<bool>("ok");
        const QJsonObject none;
        QTest::newRow("answered") << "answer" << true << false << none << "" << true;
        QTest::newRow("host ended") << "no-results" << true << false << none << "kill" << false;
        QTest::newRow("line refused") << "no-results" << true << false
                                      << QJsonObject{{"n", std::numeric_limits<double>::infinity()}} << "" << false;
        QTest::newRow("write failed") << "no-results" << true << false << none << "input closed" << false;
        QTest::newRow("app leaving") << "no-results" << true << false << none << "abandon" << false;
        QTest::newRow("no host") << "no-results" << false << false << none << "" << false;
        QTest::newRow("preview") << "no-results" << true << true << none << "" << false;
    }

    void everyCommandCompletesOnce() {
        QFETCH(QString, script);
        QFETCH(bool, started);
        QFETCH(bool, preview);
        QFETCH(QJsonObject, fields);
        QFETCH(QString, ending);
        QFETCH(bool, ok);
        ScriptedLink host(script);
        QVERIFY(!started || host.start());
        host.state.fixtureMode = preview;
        if (ending == u"input closed") {
            host.link.closeInput();
        }
        QList<CompletionCall> calls;
        host.link.send(QStringLiteral("ping"), false, std::nullopt, fields,
                       [&calls](bool answered, const std::optional<QString>& message) {
                           calls.append({answered, message});
                       });
        if (ending == u"kill") {
            QSignalSpy ended(&host.link, &HostLink::ended);
            host.link.process()->kill();
            QVERIFY(ended.wait(10000));
        } else if (ending == u"abandon") {
            host.link.abandonCommands();
        }
        QTRY_COMPARE(calls.size(), 1);
        QCOMPARE(calls.first().ok, ok);
        QCOMPARE(host.link.pendingCount(), 0);
        QTest::qWait(50); // nothing completes it a second time
        QCOMPARE(calls.size(), 1);
    }

    // Two commands back to back: two lines, two ids, each result reaches its own completion. Quit ends the host.
    void commandsAndResultsThroughTheHost() {
        ScriptedLink host(QStringLiteral("answer"));
        QVERIFY(host.start());
        QList<QPair<QString, bool>> completed;
        host.link.send(QStringLiteral("fail"), true, QStringLiteral("task-7"), {},
                       [&completed](bool ok, const std::optional<QString>& message) {
                           completed.append({QStringLiteral("fail:") + message.value_or(QString()), ok});
                       });
        host.link.send(QStringLiteral("ping"), false, std::nullopt, {{"n", 1}},
                       [&completed](bool ok, const std::optional<QString>&) {
                           completed.append({QStringLiteral("ping"), ok});
                       });
        QCOMPARE(host.link.pendingCount(), 2);
        QTRY_COMPARE(completed.size(), 2);
        QVERIFY(completed.contains({QStringLiteral("fail:refused with ••• for you"), false}));
        QVERIFY(completed.contains({QStringLiteral("ping"), true}));
        const QList<QJsonObject> commands = host.received();
        QCOMPARE(commands.size(), 2);
        QCOMPARE(commands.at(0).value("force"), QJsonValue(true));
        QCOMPARE(commands.at(0).value("taskKey"), QJsonValue("task-7"));
        QCOMPARE(commands.at(1).value("n"), QJsonValue(1));
        QVERIFY(commands.at(0).value("id") != commands.at(1).value("id"));
        QCOMPARE(host.link.pendingCount(), 0);

        QSignalSpy ended(&host.link, &HostLink::ended);
        bool quitOk = false;
        host.link.send(QStringLiteral("quit"), false, std::nullopt, {},
                       [&quitOk](bool ok, const std::optional<QString>&) { quitOk = ok; });
        QVERIFY(ended.wait(10000));
        QVERIFY(quitOk);
        QVERIFY(!host.link.process() && !host.link.hostStartedAt());
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
        std::optional<bool> probe;
        QString versionWhenAnswered;
        qsizetype endsWhenAnswered = -1;
        host.link.send(QStringLiteral("probe"), false, std::nullopt, {}, [&](bool ok, const std::optional<QString>&) {
            probe = ok;
            versionWhenAnswered = versions.value(versions.size() - 1);
            endsWhenAnswered = ended.size();
        });
        QVERIFY(ended.wait(10000));
        QCOMPARE(probe, std::optional<bool>(true));
        QCOMPARE(versionWhenAnswered, QStringLiteral("burst-199"));
        QCOMPARE(endsWhenAnswered, 0);
        QCOMPARE(versions.size(), 201); // the first status, then the burst
    }

    // A repeated snapshot is normally not drawn again, but the answer to a refresh is.
    void refreshedSnapshotIsDrawnEvenWhenUnchanged() {
        ScriptedLink host(QStringLiteral("no-results"));
        QVERIFY(host.start());
        QSignalSpy statuses(&host.link, &HostLink::statusReceived);
        QSignalSpy repeats(&host.link, &HostLink::statusRepeated);
        const QByteArray frame = R"({"type":"status","status":{"n":1}})";
        host.link.handleLine(frame);
        host.link.handleLine(frame);
        QCOMPARE(repeats.size(), 1);
        const qsizetype drawn = statuses.size();
        host.link.send(QStringLiteral("refresh"), false, std::nullopt, {}, {});
        host.link.handleLine(frame);
        QCOMPARE(statuses.size(), drawn + 1);
        QCOMPARE(repeats.size(), 1);
    }

    void hostEndFailsEveryWaitingCommandOnce() {
        ScriptedLink host(QStringLiteral("no-results"));
        QVERIFY(host.start());
        QList<QString> failures;
        std::optional<bool> resent;
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
            host.link.send(name, false, std::nullopt, {}, [&, name](bool ok, const std::optional<QString>& message) {
                QVERIFY(!ok);
                QVERIFY(!message);
                failures.append(name);
                if (name == u"a") {
                    // Sending from a completion while the host is gone fails at once, not later.
                    host.link.send(QStringLiteral("again"), false, std::nullopt, {},
                                   [&resent](bool again, const std::optional<QString>&) { resent = again; });
                }
            });
        }
        QCOMPARE(host.link.pendingCount(), 3);
        QSignalSpy ended(&host.link, &HostLink::ended);
        host.link.process()->kill();
        QVERIFY(ended.wait(10000));
        std::sort(failures.begin(), failures.end());
        QCOMPARE(failures, (QList<QString>{"a", "b", "c"}));
        QCOMPARE(resent, std::optional<bool>(false));
        QCOMPARE(host.link.pendingCount(), 0);
        QCOMPARE(host.link.bufferedBytes(), 0);
    }
};

VODU_TEST_SUITE(HostLinkTest)
#include "HostLinkTest.moc"
