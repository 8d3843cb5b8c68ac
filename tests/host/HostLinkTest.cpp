#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "host/CommandEnvelope.h"
#include "host/HostLaunch.h"
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

namespace {

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

    void envelopeWithMultiLineTextStaysOneLine() {
        const QJsonObject fields{{"goal", "line one\nline two\r\n"}};
        const std::optional<QByteArray> line = commandLine(commandEnvelope("X", "session_enroll", false, {}, fields));
        QVERIFY(line);
        QCOMPARE(line->count('\n'), 1);
    }

    void unwritableEnvelopeIsNotSent() {
        QVERIFY(!commandLine(QJsonObject{{"id", "X"}, {"action", "a"}, {"n", qInf()}}));
    }

    void commandIdsAreFreshUpperCaseUuids() {
        const QString first = newCommandId();
        QVERIFY2(kUpperUuid.match(first).hasMatch(), qPrintable(first));
        QVERIFY(first != newCommandId());
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

    void missingHostFilesShowDisconnected_data() {
        QTest::addColumn<QString>("remove");
        QTest::newRow("runtime missing") << QStringLiteral("Contents/Resources/runtime/bin/node");
        QTest::newRow("script missing") << QStringLiteral("Contents/Resources/cli/src/desktop-host.js");
    }

    void missingHostFilesShowDisconnected() {
        QFETCH(QString, remove);
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        QVERIFY(QFile::remove(bundle.path() + QLatin1Char('/') + remove));
        Harness harness;
        harness.fake->bundleDir = bundle.path();
        harness.app().startHost();
        QVERIFY(!harness.app().link().process());
        QCOMPARE(view<StatusRow>(harness.app(), "connectionRow")->detail()->text(),
                 QStringLiteral("Service files are missing"));
        QCOMPARE(view<StatusRow>(harness.app(), "connectionRow")->action()->text(), QStringLiteral("Start service"));
    }

    void launcherThatCannotStartShowsDisconnected() {
        TestBundle bundle;
        QVERIFY(QFile::remove(bundle.path() + QStringLiteral("/Contents/MacOS/vodu")));
        Harness harness;
        harness.fake->bundleDir = bundle.path();
        harness.app().startHost();
        QTRY_COMPARE(view<StatusRow>(harness.app(), "connectionRow")->detail()->text(),
                     QStringLiteral("Could not start service"));
        QVERIFY(!harness.app().link().process());
    }

    void sendWithoutHostFailsAtOnce() {
        Harness harness;
        AppDelegate& app = harness.app();
        QList<bool> results;
        app.context().commands.send(QStringLiteral("refresh"), false, std::nullopt, {},
                                    [&results](bool ok, const std::optional<QString>& message) {
                                        QVERIFY(!message);
                                        results.append(ok);
                                    });
        QCOMPARE(results, QList<bool>{false});
        QVERIFY(app.link().pendingCount() == 0);
        runAction(app.context(), QStringLiteral("refresh"));
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Action could not finish"));
    }

    // The whole path with a real child process: launch, refresh, status, results, host end.
    void endToEndWithAScriptedHost() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("answer"));
        QVERIFY(host.ready());
        QVERIFY(app.linkState().connected);
        QVERIFY(app.link().hostStartedAt());

        // The launch sends "refresh" with a fresh id; the status frame is rendered.
        const QJsonObject refresh = host.received().first();
        QCOMPARE(refresh.value("action").toString(), QStringLiteral("refresh"));
        QVERIFY(kUpperUuid.match(refresh.value("id").toString()).hasMatch());
        QVERIFY(!refresh.contains("force"));
        QTRY_COMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Test User"));
        QCOMPARE(app.linkState().runningVersion, QStringLiteral("9.9.9"));

        // Two commands back to back: two lines, two ids, each result reaches its own completion.
        QList<QPair<QString, bool>> completed;
        app.context().commands.send(QStringLiteral("fail"), true, QStringLiteral("task-7"), {},
                                    [&completed](bool ok, const std::optional<QString>& message) {
                                        completed.append({QStringLiteral("fail:") + message.value_or(QString()), ok});
                                    });
        app.context().commands.send(QStringLiteral("ping"), false, std::nullopt, {{"n", 1}},
                                    [&completed](bool ok, const std::optional<QString>&) {
                                        completed.append({QStringLiteral("ping"), ok});
                                    });
        QTRY_COMPARE(completed.size(), 2);
        QVERIFY(completed.contains({QStringLiteral("fail:refused with ••• for you"), false}));
        QVERIFY(completed.contains({QStringLiteral("ping"), true}));
        const QList<QJsonObject> commands = host.received();
        QCOMPARE(commands.size(), 3);
        QCOMPARE(commands.at(1).value("force"), QJsonValue(true));
        QCOMPARE(commands.at(1).value("taskKey"), QJsonValue("task-7"));
        QVERIFY(commands.at(1).value("id") != commands.at(2).value("id"));
        QVERIFY(app.link().pendingCount() == 0);

        // A second start while the host runs asks it to reconnect and resets nothing.
        const auto startedAt = app.link().hostStartedAt();
        app.startHost();
        QTRY_COMPARE(host.received().size(), 4);
        QCOMPARE(host.received().last().value("action").toString(), QStringLiteral("reconnect"));
        QCOMPARE(app.link().hostStartedAt(), startedAt);

        // Quit: the host answers and exits; the app then shows that the connection ended.
        bool quitOk = false;
        app.context().commands.send(QStringLiteral("quit"), false, std::nullopt, {},
                                    [&quitOk](bool ok, const std::optional<QString>&) { quitOk = ok; });
        QTRY_VERIFY(!app.link().process());
        QVERIFY(quitOk);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Service connection ended"));
        QVERIFY(!app.linkState().connected);
        QVERIFY(!app.link().hostStartedAt());
    }

    void framesBufferedAtExitAreHandledFirst() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("burst-exit"));
        QVERIFY(host.ready());
        std::optional<bool> probe;
        QString versionWhenAnswered;
        app.context().commands.send(QStringLiteral("probe"), false, std::nullopt, {},
                                    [&](bool ok, const std::optional<QString>&) {
                                        probe = ok;
                                        versionWhenAnswered = app.linkState().runningVersion.value_or(QString());
                                    });
        QTRY_VERIFY(!app.link().process());
        // The result came after all 200 status frames and before the end, so it completed as answered.
        QCOMPARE(probe, std::optional<bool>(true));
        QCOMPARE(versionWhenAnswered, QStringLiteral("burst-199"));
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(), QStringLiteral("Service connection ended"));
    }

    void hostEndFailsEveryWaitingCommandOnce() {
        Harness harness;
        AppDelegate& app = harness.app();
        const ScriptedHost host(harness, QStringLiteral("no-results"));
        QVERIFY(host.ready());
        QList<QString> failures;
        std::optional<bool> resent;
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
            app.context().commands.send(
                name, false, std::nullopt, {}, [&, name](bool ok, const std::optional<QString>& message) {
                    QVERIFY(!ok);
                    QVERIFY(!message);
                    failures.append(name);
                    if (name == u"a") {
                        // Sending from a completion while the host is gone fails at once, not later.
                        app.context().commands.send(
                            QStringLiteral("again"), false, std::nullopt, {},
                            [&resent](bool again, const std::optional<QString>&) { resent = again; });
                    }
                });
        }
        QCOMPARE(app.link().pendingCount(), 4); // the launch refresh waits too
        app.link().process()->kill();
        QTRY_VERIFY(!app.link().process());
        std::sort(failures.begin(), failures.end());
        QCOMPARE(failures, (QList<QString>{"a", "b", "c"}));
        QCOMPARE(resent, std::optional<bool>(false));
        QVERIFY(app.link().pendingCount() == 0);
        QCOMPARE(app.link().bufferedBytes(), 0);
    }
};

VODU_TEST_SUITE(HostLinkTest)
#include "HostLinkTest.moc"
