// Preview data loaded by the whole app instead of a host: drawn, or said to be unreadable.
#include "Harness.h"
#include "TestRegistry.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class PreviewTest final : public QObject {
    Q_OBJECT

    QTemporaryDir m_directory;

    // Loads `content` (written to a file) or the file at `path` the way a preview launch does.
    void load(AppDelegate& app, const QByteArray& content, QString path = {}) {
        if (path.isEmpty()) {
            QFile file(path = m_directory.filePath(QStringLiteral("fixture.json")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
        }
        app.setFixtureMode(true);
        app.loadFixture(path);
        QCOMPARE(view<QLabel>(app, "footer")->text(), QStringLiteral("Preview data")); // its actions: overview tests
    }

private Q_SLOTS:
    // The preview's own keys: the appearance and the selected conversation (the fixture's key first, else the
    // snapshot's, else the first listed).
    void previewKeys_data() {
        QTest::addColumn<Appearance>("before");
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<Appearance>("after");
        QTest::addColumn<QString>("title");
        const Appearance light = Appearance::light, dark = Appearance::dark;
        const QByteArray both = R"("fixtureSelectedSession":"codex|s1","previewSelectedSession":"claude|s2")";
        QTest::newRow("system means dark")
            << light << R"("appearance":"system","previewSelectedSession":"claude|s2")"_ba << dark << "Two";
        QTest::newRow("Light is not light, the fixture's key first")
            << light << R"("appearance":"Light",)" + both << dark << "One";
        QTest::newRow("missing leaves the appearance") << light << R"("x":1)"_ba << light << "One";
    }

    void previewKeys() {
        QFETCH(Appearance, before);
        QFETCH(QByteArray, keys);
        QFETCH(Appearance, after);
        QFETCH(QString, title);
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
        load(app, content, path);
        QCOMPARE(view<StatusRow>(app, "connectionRow")->detail()->text(),
                 QStringLiteral("Could not load preview data"));
        QVERIFY(view<StatusRow>(app, "connectionRow")->action()->isHidden());
        QVERIFY(!app.linkState().connected);
    }
};

VODU_TEST_SUITE(PreviewTest)
#include "PreviewTest.moc"
