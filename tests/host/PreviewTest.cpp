#include "Harness.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes `content` as a fixture file and loads it the way the launch does.
void loadPreview(Harness& harness, const QTemporaryDir& directory, const QByteArray& content) {
    const QString path = directory.filePath(QStringLiteral("fixture.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    harness.app().fixtureMode = true;
    harness.app().loadFixture(path);
}

QString bodyText(AppDelegate& app) {
    return app.taskBody->document()->toPlainText();
}

void verifyActionsDisabled(AppDelegate& app) {
    for (StatusRow* row : {app.accountRow, app.connectionRow, app.codexRow, app.claudeRow}) {
        QVERIFY(!row->action()->isEnabled());
    }
    for (QPushButton* button : {app.webButton, app.copyButton, app.refreshButton, app.updateButton}) {
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    }
}

} // namespace

class PreviewTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bareSnapshotIsRenderedAndItsPreviewKeysApply() {
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        loadPreview(harness, directory,
                    R"({"appearance":"light","fixtureSelectedSession":"codex|s1",
                        "auth":{"state":"signed_in","userLabel":"Alex"},
                        "tasks":{"activeCount":1,"items":[{"key":"t1","label":"First","state":"running"}]}})");
        QCOMPARE(app.accountRow->detail()->text(), QStringLiteral("Alex"));
        QCOMPARE(app.selectedSessionIdentity, QStringLiteral("codex|s1"));
        QCOMPARE(appearanceOf(app.window.data()), Appearance::light);
        QCOMPARE(app.selectedTaskKey, QStringLiteral("t1"));
        QCOMPARE(app.footer->text(), QStringLiteral("Preview data"));
        verifyActionsDisabled(app);
        QVERIFY(!app.hostIsRunning());
        // A command issued anyway fails at once and nothing is kept waiting.
        QList<bool> results;
        app.send(QStringLiteral("refresh"), false, std::nullopt, {},
                 [&results](bool ok, const std::optional<QString>&) { results.append(ok); });
        QCOMPARE(results, QList<bool>{false});
        QVERIFY(app.pending.isEmpty());
    }

    void statusKeyIsTheSnapshot() {
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        loadPreview(harness, directory,
                    R"({"auth":{"state":"signed_in","userLabel":"Outer"},
                        "status":{"auth":{"state":"signed_in","userLabel":"Inner"}}})");
        QCOMPARE(app.accountRow->detail()->text(), QStringLiteral("Inner"));
    }

    void appearance_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QByteArray>("fixture");
        QTest::addColumn<int>("after");
        const int light = int(Appearance::light);
        const int dark = int(Appearance::dark);
        QTest::newRow("light") << dark << QByteArray(R"({"appearance":"light"})") << light;
        QTest::newRow("dark") << light << QByteArray(R"({"appearance":"dark"})") << dark;
        QTest::newRow("system means dark too") << light << QByteArray(R"({"appearance":"system"})") << dark;
        QTest::newRow("capitalised Light is not light") << light << QByteArray(R"({"appearance":"Light"})") << dark;
        QTest::newRow("missing leaves light") << light << QByteArray("{}") << light;
        QTest::newRow("missing leaves dark") << dark << QByteArray("{}") << dark;
        QTest::newRow("not a string is missing") << dark << QByteArray(R"({"appearance":true})") << dark;
    }

    void appearance() {
        QFETCH(int, before);
        QFETCH(QByteArray, fixture);
        QFETCH(int, after);
        QTemporaryDir directory;
        Harness harness;
        setWindowAppearance(harness.app().window.data(), Appearance(before));
        loadPreview(harness, directory, fixture);
        QCOMPARE(int(appearanceOf(harness.app().window.data())), after);
    }

    void detailsOpen_data() {
        QTest::addColumn<QByteArray>("fixture");
        QTest::addColumn<bool>("open");
        QTest::newRow("true") << QByteArray(R"({"fixtureDetailsOpen":true})") << true;
        QTest::newRow("the number 1") << QByteArray(R"({"fixtureDetailsOpen":1})") << false;
        QTest::newRow("the string true") << QByteArray(R"({"fixtureDetailsOpen":"true"})") << false;
        QTest::newRow("false") << QByteArray(R"({"fixtureDetailsOpen":false})") << false;
    }

    void detailsOpen() {
        QFETCH(QByteArray, fixture);
        QFETCH(bool, open);
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        const QString closedTitle = app.deliveryDetailsToggle->text();
        loadPreview(harness, directory, fixture);
        QCOMPARE(app.deliveryDetailsOpen, open);
        QCOMPARE(app.deliveryDetailsGroup->isHidden(), !open);
        QCOMPARE(app.deliveryDetailsToggle->text(), open ? QStringLiteral("Hide details") : closedTitle);
    }

    void unreadableFixture_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("top-level array") << QByteArray(R"([{"auth":{"state":"signed_in"}}])");
        QTest::newRow("not JSON") << QByteArray("{\"status\":");
        QTest::newRow("a bare string") << QByteArray("\"status\"");
        QTest::newRow("empty file") << QByteArray();
    }

    void unreadableFixture() {
        QFETCH(QByteArray, content);
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        loadPreview(harness, directory, content);
        QCOMPARE(app.connectionRow->detail()->text(), QStringLiteral("Could not load preview data"));
        QVERIFY(app.connectionRow->action()->isHidden());
        QCOMPARE(app.footer->text(), QStringLiteral("Preview data"));
        QVERIFY(!app.connected);
        verifyActionsDisabled(app);
    }

    void missingOrDirectoryPathIsUnreadable() {
        QTemporaryDir directory;
        for (const QString& path : {directory.filePath(QStringLiteral("absent.json")), directory.path()}) {
            Harness harness;
            harness.app().fixtureMode = true;
            harness.app().loadFixture(path);
            QCOMPARE(harness.app().connectionRow->detail()->text(), QStringLiteral("Could not load preview data"));
        }
    }

    void taskDetailComesFromTheFixture() {
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        loadPreview(harness, directory,
                    R"({"tasks":{"items":[
                        {"key":"t1","label":"First","state":"succeeded",
                         "detail":{"instruction":"Do the first thing","result":"Done **well**."}},
                        {"key":"t2","label":"Second","state":"running"}]}})");
        QCOMPARE(app.selectedTaskKey, QStringLiteral("t1"));
        QVERIFY(bodyText(app).startsWith(QStringLiteral("Request\nDo the first thing\n")));
        QVERIFY(!app.taskVisuals->isHidden());
        QVERIFY(!app.renderedDetail.isEmpty());
        // A task without a detail object asks the host, which preview mode refuses at once.
        app.taskTable->selectRow(1);
        QCOMPARE(bodyText(app), QStringLiteral("Task content is unavailable. Refresh to try again."));
    }

    // The fixtures shipped for screenshots and demonstrations stay loadable and complete.
    void shippedFixtures_data() {
        QTest::addColumn<QString>("path");
        const QDir fixtures(qEnvironmentVariable("VODU_SOURCE_DIR") + QStringLiteral("/fixtures"));
        const QStringList names = fixtures.entryList({QStringLiteral("*.json")}, QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            QTest::newRow(qPrintable(name)) << fixtures.filePath(name);
        }
    }

    void shippedFixtures() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject fixture = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY(fixture.value("status").isObject());
        QVERIFY(fixture.value("appearance").isString());
        for (const QJsonValue& task : fixture.value("status")["tasks"]["items"].toArray()) {
            QVERIFY(task["detail"].isObject());
        }

        Harness harness;
        AppDelegate& app = harness.app();
        app.fixtureMode = true;
        app.loadFixture(path);
        QVERIFY(app.taskItems.size() >= 5);
        QVERIFY(app.selectedTaskKey);
        QVERIFY(!app.taskVisuals->isHidden());
        QVERIFY(!app.detailActions->isHidden());
        QVERIFY(!app.taskLinks->isHidden());
        QVERIFY(app.connected); // rendered, not the unreadable-fixture presentation
    }
};

VODU_TEST_SUITE(PreviewTest)
#include "PreviewTest.moc"
