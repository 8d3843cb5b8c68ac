#include "DataTables.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString kBundle = QStringLiteral("lib/vodu/VODU.app");

// The keys of a desktop entry's main group.
QHash<QString, QString> desktopEntry(const QString& path) {
    QHash<QString, QString> keys;
    bool inEntry = false;
    for (const QByteArray& line : readFile(path).split('\n')) {
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
        } else if (const qsizetype equals = line.indexOf('='); inEntry && equals > 0) {
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
        }
    }
    return keys;
}

QString viewText(const QJsonObject& ui, const char* name) {
    return ui.value(QLatin1String(name)).toObject().value(QStringLiteral("text")).toString();
}

// The process whose command line starts with `arguments`; 0 when none does.
qint64 processRunning(const QStringList& arguments) {
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QList<QByteArray> line = readFile(QStringLiteral("/proc/%1/cmdline").arg(entry)).split('\0');
        if (entry.toLongLong() > 0 && line.size() > 2 && QString::fromLocal8Bit(line.at(0)) == arguments.at(0) &&
            QString::fromLocal8Bit(line.at(1)) == arguments.at(1)) {
            return entry.toLongLong();
        }
    }
    return 0;
}

// A tool from a Debian package the test scripts install; missing, the check is skipped and says so.
QString requiredTool(const char* name) {
    const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (tool.isEmpty()) {
        qWarning("%s is not installed: SKIPPING its check (scripts/test.sh installs it)", name);
    }
    return tool;
}

} // namespace

// `cmake --install` into a temporary prefix, then the installed app itself: offscreen, on a preview fixture and on
// its own bundled service.
class InstallTest final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_scratch;
    QString m_prefix;

    QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }

    // The installed launcher, in a private home: its own runtime folder (the single-instance socket), install home
    // and automation folder, so nothing here meets a VODU the user runs.
    void startApp(QProcess& app, const QStringList& arguments, const QString& out) {
        const QString home = m_scratch.filePath(QStringLiteral("home"));
        const QString runtime = m_scratch.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(out) && QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"VODU_DESKTOP_INSTALL_ERROR", "VODU_WEB_ORIGIN", "VODU_API_ORIGIN", "XDG_CONFIG_HOME",
                                 "VODU_APPEARANCE"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("VODU_HOME"), home + QStringLiteral("/.vodu"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), out);
        environment.insert(QStringLiteral("VODU_HOST_DISCOVERY"), QStringLiteral("off"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(installed(QStringLiteral("bin/vodu-desktop")), arguments);
        QVERIFY(app.waitForStarted());
    }

    static void stopApp(QProcess& app) {
        if (app.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
            if (!app.waitForFinished(10000)) {
                app.kill();
                app.waitForFinished();
            }
        }
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_scratch.isValid());
        m_prefix = QFileInfo(m_scratch.path()).canonicalFilePath() + QStringLiteral("/prefix");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(VODU_CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(VODU_BUILD_DIR),
                                                           QStringLiteral("--prefix"), m_prefix});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void filesAreWhereTheDesktopLooks_data() {
        columns<QString, bool>({"path", "executable"});
        const auto row = [](const QString& path, bool executable = false) {
            QTest::newRow(qPrintable(path)) << path << executable;
        };
        row(QStringLiteral("bin/vodu-desktop"), true);
        row(kBundle + QStringLiteral("/Contents/MacOS/vodu-status"), true);
        row(kBundle + QStringLiteral("/Contents/MacOS/vodu"), true);
        row(kBundle + QStringLiteral("/Contents/Resources/runtime/bin/node"), true);
        row(kBundle + QStringLiteral("/Contents/Resources/cli/src/desktop-host.js"));
        row(kBundle + QStringLiteral("/Contents/Resources/cli/src/desktop-stop-conflicts.js"));
        row(kBundle + QStringLiteral("/Contents/Resources/VODU.png"));
        row(kBundle + QStringLiteral("/Contents/Resources/VODUMenuTemplate.png"));
        row(QStringLiteral("share/applications/com.zuzi.vodu.cli.desktop"));
        row(QStringLiteral("share/metainfo/com.zuzi.vodu.cli.metainfo.xml"));
        row(QStringLiteral("share/icons/hicolor/scalable/apps/com.zuzi.vodu.cli.svg"));
        row(QStringLiteral("share/icons/hicolor/symbolic/apps/com.zuzi.vodu.cli-symbolic.svg"));
    }

    void filesAreWhereTheDesktopLooks() {
        const auto [path, executable] = fetch<QString, bool>({"path", "executable"});
        const QFileInfo file(installed(path));
        QVERIFY2(file.isFile(), qPrintable(file.filePath()));
        QCOMPARE(file.isExecutable(), executable);
    }

    void iconsHaveTheSizeTheirFolderSays_data() {
        QTest::addColumn<int>("size");
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            QTest::newRow(qPrintable(QString::number(size))) << size;
        }
    }

    void iconsHaveTheSizeTheirFolderSays() {
        QFETCH(int, size);
        const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/com.zuzi.vodu.cli.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
    }

    void launcherAndRuntimeLinks() {
        // The app finds its bundle two levels above its resolved executable, whichever way it was started.
        QCOMPARE(QFileInfo(installed(QStringLiteral("bin/vodu-desktop"))).canonicalFilePath(),
                 installed(kBundle + QStringLiteral("/Contents/MacOS/vodu-status")));
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/vodu-desktop"))).isSymLink());
        QCOMPARE(QFileInfo(installed(kBundle + QStringLiteral("/Contents/Resources/runtime/bin/node"))).symLinkTarget(),
                 QStringLiteral(VODU_INSTALL_NODE));
    }

    void bundleNamesItselfAsTheBaseline() {
        const QJsonObject information = json(readFile(installed(kBundle + QStringLiteral("/Contents/Info.json"))));
        QCOMPARE(information.value(QStringLiteral("CFBundleIdentifier")).toString(),
                 QStringLiteral("com.zuzi.vodu.cli"));
        QCOMPARE(information.value(QStringLiteral("VODUBaselineAppPath")).toString(), installed(kBundle));
        QVERIFY(!information.contains(QStringLiteral("VODUPreviewFixturePath")));
    }

    void desktopEntryStartsTheInstalledApp() {
        const QHash<QString, QString> entry =
            desktopEntry(installed(QStringLiteral("share/applications/com.zuzi.vodu.cli.desktop")));
        QCOMPARE(entry.value(QStringLiteral("Exec")), u'"' + installed(QStringLiteral("bin/vodu-desktop")) + u'"');
        QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("com.zuzi.vodu.cli"));
        // Qt names the window's class after the application name (X11); Wayland matches the desktop file name.
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("VODU"));
        for (const char* key : {"Name", "Name[ja]", "Comment", "Comment[ja]", "Categories"}) {
            QVERIFY2(!entry.value(QString::fromLatin1(key)).isEmpty(), key);
        }
    }

    // The freedesktop validators find nothing to say about the installed entry and metadata.
    void filesValidate_data() {
        columns<QString, QStringList>({"tool", "arguments"});
        QTest::newRow("desktop entry") << "desktop-file-validate"
                                       << QStringList{installed("share/applications/com.zuzi.vodu.cli.desktop")};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", "--pedantic",
                                                 installed("share/metainfo/com.zuzi.vodu.cli.metainfo.xml")};
    }

    void filesValidate() {
        const auto [tool, arguments] = fetch<QString, QStringList>({"tool", "arguments"});
        const QString validator = requiredTool(qPrintable(tool));
        if (validator.isEmpty()) {
            QSKIP("the validator is not installed");
        }
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, arguments);
        QVERIFY(validate.waitForFinished(60000));
        const QByteArray report = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && (tool != u"desktop-file-validate" || report.trimmed().isEmpty()),
                 report.constData());
    }

    void installedAppShowsAPreviewFixture() {
        const QString out = m_scratch.filePath(QStringLiteral("preview"));
        QProcess app;
        startApp(app,
                 {QStringLiteral("--status-fixture"), QStringLiteral(VODU_TEST_SOURCE_DIR "/fixtures/preview-en.json")},
                 out);
        const QString ui = out + QStringLiteral("/ui.json");
        // The fixture's first snapshot is on screen: its summary and its tasks.
        QTRY_COMPARE_WITH_TIMEOUT(viewText(json(readFile(ui)), "connectionSummary"),
                                  QStringLiteral("Preview · sample sessions"), 20000);
        QVERIFY(
            json(readFile(ui)).value(QStringLiteral("window")).toObject().value(QStringLiteral("onScreen")).toBool());
        QCOMPARE(app.state(), QProcess::Running);
        stopApp(app);
    }

    void installedAppStartsItsInstalledService() {
        const QString out = m_scratch.filePath(QStringLiteral("service"));
        const QString node = installed(kBundle + QStringLiteral("/Contents/Resources/runtime/bin/node"));
        const QString script = installed(kBundle + QStringLiteral("/Contents/Resources/cli/src/desktop-host.js"));
        QProcess app;
        startApp(app, {}, out);
        // Its first snapshot reached the window.
        QTRY_COMPARE_WITH_TIMEOUT(viewText(json(readFile(out + QStringLiteral("/ui.json"))), "connectionRow.detail"),
                                  QStringLiteral("Online"), 30000);
        // The service runs from the installed bundle, on the runtime the install linked.
        const qint64 host = processRunning({node, script});
        QVERIFY2(host > 0, "no service process runs the installed desktop-host.js");
        stopApp(app);
        // Its input closed, the service leaves on its own.
        QTRY_VERIFY_WITH_TIMEOUT(readFile(QStringLiteral("/proc/%1/cmdline").arg(host)).isEmpty(), 15000);
    }
};

VODU_TEST_SUITE(InstallTest)
#include "InstallTest.moc"
