#include "Harness.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Loads `path` the way a preview launch does.
void loadFixture(AppDelegate& app, const QString& path) {
    app.setFixtureMode(true);
    app.loadFixture(path);
}

void verifyActionsDisabled(AppDelegate& app) {
    for (StatusRow* row : {view<StatusRow>(app, "accountRow"), view<StatusRow>(app, "connectionRow"),
                           view<StatusRow>(app, "codexRow"), view<StatusRow>(app, "claudeRow")}) {
        QVERIFY(!row->action()->isEnabled());
    }
    for (QPushButton* button : {view<QPushButton>(app, "webButton"), view<QPushButton>(app, "copyButton"),
                                view<QPushButton>(app, "refreshButton"), view<QPushButton>(app, "updateButton")}) {
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    }
}

} // namespace

class PreviewTest final : public QObject {
    Q_OBJECT

    QTemporaryDir m_directory;

    // Writes `content` as the fixture file and loads it.
    void loadPreview(AppDelegate& app, const QByteArray& content) {
        QFile file(m_directory.filePath(QStringLiteral("fixture.json")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        loadFixture(app, file.fileName());
    }

private Q_SLOTS:
    void bareSnapshotIsRenderedAndItsPreviewKeysApply() {
        Harness harness;
        AppDelegate& app = harness.app();
        loadPreview(app,
                    R"({"fixtureSelectedSession":"codex|s1","auth":{"state":"signed_in","userLabel":"Alex"},
                        "sessionSupervision":{"sessions":[{"provider":"codex","session":"s0"},
                                                          {"provider":"codex","session":"s1"}]},
                        "tasks":{"items":[{"key":"t1","detail":{"instruction":"Do the first thing"}},{"key":"t2"}]}})");
        QCOMPARE(view<StatusRow>(app, "accountRow")->detail()->text(), QStringLiteral("Alex"));
        QCOMPARE(app.supervision().selectedSessionIdentity, QStringLiteral("codex|s1"));
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Preview data"));
        verifyActionsDisabled(app);
        QVERIFY(!app.link().hostIsRunning());
        QVERIFY(view<TaskBodyView>(app, "taskBody")
                    ->document()
                    ->toPlainText()
                    .startsWith(QStringLiteral("Request\nDo the first thing\n")));
        // A task without a detail asks the host; preview mode fails the command at once, keeping nothing waiting.
        view<QTableView>(app, "taskTable")->selectRow(1);
        QCOMPARE(view<TaskBodyView>(app, "taskBody")->document()->toPlainText(),
                 QStringLiteral("Task content is unavailable. Refresh to try again."));
        QVERIFY(app.link().pendingCount() == 0);
    }

    // The preview's own keys: appearance, the details switch, and the selected conversation (the fixture's key
    // first, else the snapshot's).
    void previewKeys_data() {
        QTest::addColumn<Appearance>("before");
        QTest::addColumn<QByteArray>("fixture");
        QTest::addColumn<Appearance>("after");
        QTest::addColumn<bool>("detailsOpen");
        QTest::addColumn<QString>("session");
        const Appearance light = Appearance::light, dark = Appearance::dark;
        QTest::newRow("light, open")
            << dark
            << QByteArray(R"({"appearance":"light","fixtureDetailsOpen":true,"fixtureSelectedSession":"codex|s1"})")
            << light << true << "codex|s1";
        QTest::newRow("system means dark, 1 is not true")
            << light
            << QByteArray(R"({"appearance":"system","fixtureDetailsOpen":1,"previewSelectedSession":"claude|s2"})")
            << dark << false << "claude|s2";
        QTest::newRow("Light is not light, \"true\" is not true")
            << light
            << QByteArray(R"({"appearance":"Light","fixtureDetailsOpen":"true","fixtureSelectedSession":"codex|s1",
                              "previewSelectedSession":"claude|s2"})")
            << dark << false << "codex|s1";
        // Without a preset the first conversation listed is selected.
        QTest::newRow("missing leaves light") << light << QByteArray("{}") << light << false << "codex|s1";
        QTest::newRow("not a string is missing")
            << dark << QByteArray(R"({"appearance":true,"fixtureSelectedSession":7,"previewSelectedSession":7})")
            << dark << false << "codex|s1";
    }

    void previewKeys() {
        QFETCH(Appearance, before);
        QFETCH(QByteArray, fixture);
        QFETCH(Appearance, after);
        QFETCH(bool, detailsOpen);
        QFETCH(QString, session);
        Harness harness;
        AppDelegate& app = harness.app();
        setWindowAppearance(app.window(), before);
        // The conversations the keys name are listed, so the selection they preset is kept.
        QJsonObject preview = QJsonDocument::fromJson(fixture).object();
        preview.insert(QStringLiteral("sessionSupervision"),
                       QJsonDocument::fromJson(R"({"sessions":[{"provider":"codex","session":"s1"},
                                                               {"provider":"claude","session":"s2"}]})")
                           .object());
        loadPreview(app, QJsonDocument(preview).toJson(QJsonDocument::Compact));
        QCOMPARE(appearanceOf(app.window()), after);
        QCOMPARE(app.delivery().detailsOpen(), detailsOpen);
        QCOMPARE(app.supervision().selectedSessionIdentity, session);
    }

    // Content that is no JSON object, a missing file and a directory all show the same presentation.
    void unreadableFixture_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("path"); // empty: the written content
        QTest::newRow("top-level array") << QByteArray(R"([{"auth":{"state":"signed_in"}}])") << QString();
        QTest::newRow("not JSON") << QByteArray("{\"status\":") << QString();
        QTest::newRow("missing file") << QByteArray() << m_directory.filePath(QStringLiteral("absent.json"));
        QTest::newRow("directory") << QByteArray() << m_directory.path();
        // Neither may stall the start: a FIFO waits for a writer, and preview data is one status frame at most.
        QTest::newRow("FIFO") << QByteArray() << QStringLiteral("<fifo>");
        QTest::newRow("larger than a status frame")
            << QByteArray(8 * 1024 * 1024, ' ') + R"({"auth":{"state":"signed_in"}})" << QString();
    }

    void unreadableFixture() {
        QFETCH(QByteArray, content);
        QFETCH(QString, path);
        if (path == u"<fifo>") {
            path = m_directory.filePath(QStringLiteral("fifo.json"));
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 || errno == EEXIST);
        }
        Harness harness;
        AppDelegate& app = harness.app();
        path.isEmpty() ? loadPreview(app, content) : loadFixture(app, path);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(),
                 QStringLiteral("Could not load preview data"));
        QVERIFY(view<StatusRow>(app, "connectionRow")->action()->isHidden());
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Preview data"));
        QVERIFY(!app.linkState().connected);
        verifyActionsDisabled(app);
    }

    // The fixtures shipped for screenshots stay loadable and fill the task page: every task has its detail.
    void shippedFixtures() {
        const QDir fixtures(TestBundle::sourcePath(QStringLiteral("fixtures")));
        const QStringList names = fixtures.entryList({QStringLiteral("*.json")}, QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            Harness harness;
            AppDelegate& app = harness.app();
            loadFixture(app, fixtures.filePath(name));
            QVERIFY2(app.linkState().connected, qPrintable(name)); // rendered, not the unreadable-fixture presentation
            QVERIFY(app.tasks().taskItems().size() >= 5);
            for (const QJsonObject& task : app.tasks().taskItems()) {
                QVERIFY(task.value("detail").isObject());
            }
            QVERIFY(!view<QWidget>(app, "taskVisuals")->isHidden() &&
                    !view<QWidget>(app, "detailActions")->isHidden() && !view<QWidget>(app, "taskLinks")->isHidden());
        }
    }
};

VODU_TEST_SUITE(PreviewTest)
#include "PreviewTest.moc"
