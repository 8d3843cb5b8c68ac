#include "DataTables.h"
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    // The value of `key` in the named view of ui.json, as text.
    QString value(const char* name, const char* key) const {
        QFile ui(m_directory.filePath(QStringLiteral("ui.json")));
        const QJsonObject views =
            ui.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(ui.readAll()).object() : QJsonObject();
        return views.value(QLatin1String(name)).toObject().value(QLatin1String(key)).toVariant().toString();
    }

private Q_SLOTS:
    // ui.json and the window's picture follow each render (and only a change), also for views on a hidden page; the
    // panel's picture exists exactly while it is open. What each view says is in the golden views.
    void mirrorsNamedViews() {
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), m_directory.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(json(R"({"connection":{"state":"unauthorized"},"auth":{"state":"signed_in"}, )"
                        R"("tasks":{"activeCount":1,"items":[{"key":"t1","label":"Draft the memo"}]}})"));
        QTRY_COMPARE(value("connectionRow.detail", "text"), QStringLiteral("Sign-in required"));
        QVERIFY(value("taskTitle", "text") == u"Draft the memo" && value("taskTitle", "onScreen") == u"false");
        app.findChild<AutomationOutput*>()->writeNow();
        QVERIFY(!app.findChild<AutomationOutput*>()->writeNow()); // an unchanged screen is not written again
        app.render(json(R"({"tasks":{"items":[{"key":"t2","label":"Second memo"}]}})"));
        QTRY_COMPARE(value("taskTitle", "text"), QStringLiteral("Second memo"));
        QVERIFY(exists("window.png") && !exists("panel.png"));
        ::view<QAbstractButton>(app, "connectionSummary")->click();
        QTRY_VERIFY(exists("panel.png"));
        QTRY_COMPARE(value("connectionRow.action", "onScreen"), QStringLiteral("true"));
        ::view<QAbstractButton>(app, "statusPanelDone")->click();
        QTRY_VERIFY(!exists("panel.png"));
    }

    void outputFolderIsPrivate_data() {
        columns<QString, bool>({"shape", "written"});
        QTest::newRow("new nested folder") << "new" << true;
        QTest::newRow("our folder open to others") << "open" << true;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("another user's folder") << "foreign" << false;
    }

    void outputFolderIsPrivate() {
        const auto [shape, written] = fetch<QString, bool>({"shape", "written"});
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/out/automation");
        const QString elsewhere = root.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere) && QDir().mkpath(root.path() + QStringLiteral("/out")));
        if (shape == u"foreign" && ::geteuid() != 0) {
            QSKIP("giving a folder to another user needs root");
        }
        QVERIFY(shape == u"new" || (shape == u"link" ? QFile::link(elsewhere, folder) : QDir().mkpath(folder)));
        QVERIFY(shape != u"open" || QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        QVERIFY(shape != u"foreign" || ::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        QLabel window(QStringLiteral("Ready"));
        window.show();
        AutomationOutput output(folder, [&window] { return AutomationOutput::Sources{&window, {}, {}, {}}; });
        QCOMPARE(output.writeNow(), written);
        const auto modeOf = [](const QString& path) {
            struct stat status {};
            return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0u;
        };
        QVERIFY(written || (QDir(elsewhere).isEmpty() && !QFileInfo::exists(folder + QStringLiteral("/ui.json"))));
        QVERIFY(!written || (modeOf(folder) == 0700 && modeOf(folder + "/ui.json") == 0600 &&
                             modeOf(folder + "/window.png") == 0600));
    }
};

VODU_TEST_SUITE(AutomationTest)
#include "AutomationTest.moc"
