#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class AutomationTest final : public QObject {
    Q_OBJECT
    QTemporaryDir m_directory;
    bool exists(const char* name) const { return QFile::exists(m_directory.filePath(QString::fromLatin1(name))); }
    QJsonObject view(const char* name) const {
        QFile ui(m_directory.filePath(QStringLiteral("ui.json")));
        return ui.open(QIODevice::ReadOnly)
                   ? QJsonDocument::fromJson(ui.readAll()).object().value(QLatin1StringView(name)).toObject()
                   : QJsonObject();
    }

private Q_SLOTS:
    void nothingWithoutTheVariable() {
        Harness harness;
        harness.app().startAutomationOutput();
        QVERIFY(!harness.app().findChild<AutomationOutput*>());
    }

    // Each named view says both whether it is hidden itself and whether it is on screen; views on a page that is
    // not shown (nothing there repaints) follow each render all the same.
    void mirrorsNamedViews() {
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), m_directory.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(json(R"({"connection":{"state":"unauthorized"},"auth":{"state":"signed_in"}, )"
                        R"("tasks":{"activeCount":1,"items":[{"key":"t1","label":"Draft the memo"}]}})"));
        QTRY_COMPARE(view("connectionRow.detail").value(u"text").toString(), QStringLiteral("Sign-in required"));
        const QJsonObject action = view("connectionRow.action");
        QCOMPARE(action.value(u"class").toString(), QStringLiteral("FlatOutlineButton"));
        QCOMPARE(action.value(u"text").toString(), QStringLiteral("Reconnect"));
        QCOMPARE(action.value(u"hidden").toBool(), false);   // its own flag, as render set it
        QCOMPARE(action.value(u"onScreen").toBool(), false); // the panel is closed
        QVERIFY(view("connectionSummary").value(u"onScreen").toBool());
        QVERIFY(view("connectionSummary").value(u"width").toInt() > 0);
        QCOMPARE(view("settingsNavigation").value(u"items").toArray().size(), 3);
        QCOMPARE(view("settingsNavigation").value(u"selectedIndex").toInt(), 0);
        QCOMPARE(view("sessionsNav").value(u"checked").toBool(), true);
        QCOMPARE(view("taskTitle").value(u"text").toString(), QStringLiteral("Draft the memo"));
        QCOMPARE(view("taskTitle").value(u"hidden").toBool(), false);
        QCOMPARE(view("taskTitle").value(u"onScreen").toBool(), false); // its page is hidden
        QCOMPARE(view("tasksPage").value(u"hidden").toBool(), true);
        app.render(json(R"({"tasks":{"items":[{"key":"t2","label":"Second memo"}]}})"));
        QTRY_COMPARE(view("taskTitle").value(u"text").toString(), QStringLiteral("Second memo"));
        QVERIFY(exists("window.png") && !exists("panel.png"));
        // The panel's picture exists exactly while it is open.
        ::view<QAbstractButton>(app, "connectionSummary")->click();
        QTRY_VERIFY(exists("panel.png"));
        QTRY_VERIFY(view("connectionRow.action").value(u"onScreen").toBool());
        ::view<QAbstractButton>(app, "statusPanelDone")->click();
        QTRY_VERIFY(!exists("panel.png"));
    }

    void unchangedScreenIsNotRewritten() {
        QLabel window(QStringLiteral("Ready"));
        window.show();
        AutomationOutput output(m_directory.path(), [&window]() -> AutomationOutput::Sources {
            return {&window, {}, {}, {}};
        });
        QVERIFY(output.writeNow());
        QCoreApplication::processEvents(); // let the freshly shown window lay itself out
        output.writeNow();
        QVERIFY(!output.writeNow());
        window.setText(QStringLiteral("Copied"));
        QVERIFY(output.writeNow());
    }

    void outputFolderIsPrivate_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("written");
        QTest::newRow("new nested folder") << "new" << true;
        QTest::newRow("our folder open to others") << "open" << true;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("a plain file") << "file" << false;
        QTest::newRow("another user's folder") << "foreign" << false;
    }

    void outputFolderIsPrivate() {
        QFETCH(QString, shape);
        QFETCH(bool, written);
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/out/automation");
        const QString elsewhere = root.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        if (shape == u"open") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        } else if (shape == u"link") {
            QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/out")) && QFile::link(elsewhere, folder));
        } else if (shape == u"foreign") {
            if (::geteuid() != 0) {
                QSKIP("giving a folder to another user needs root");
            }
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        } else if (shape == u"file") {
            QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/out")));
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QLabel window(QStringLiteral("Ready"));
        window.show();
        AutomationOutput output(folder, [&window]() -> AutomationOutput::Sources { return {&window, {}, {}, {}}; });
        QCOMPARE(output.writeNow(), written);
        const auto modeOf = [](const QString& path) {
            struct stat status {};
            return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0u;
        };
        if (written) {
            QCOMPARE(modeOf(folder), 0700u);
            QCOMPARE(modeOf(folder + QStringLiteral("/ui.json")), 0600u);
            QCOMPARE(modeOf(folder + QStringLiteral("/window.png")), 0600u);
        } else {
            QVERIFY(QDir(elsewhere).isEmpty());
            QVERIFY(!QFileInfo(folder + QStringLiteral("/ui.json")).exists());
        }
    }
};

VODU_TEST_SUITE(AutomationTest)
#include "AutomationTest.moc"
