#include "overview/AutostartEntry.h"
#include "FakePlatform.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Environment = QHash<QString, QString>;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The one argument of an entry's Exec line as a desktop reads it: string escapes, then quoting; "%%" is "%".
QString execArgument(const QString& entry) {
    const QRegularExpression escaped(QStringLiteral(R"(\\(.))"));
    QString exec = QRegularExpressionMatch(QRegularExpression(QStringLiteral("\nExec=(.*) --autostart\n")).match(entry))
                       .captured(1)
                       .replace(escaped, QStringLiteral("\\1"));
    if (exec.size() < 2 || !exec.startsWith(u'"') || !exec.endsWith(u'"')) {
        return QStringLiteral("<not quoted>");
    }
    return exec.mid(1, exec.size() - 2)
        .replace(escaped, QStringLiteral("\\1"))
        .replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace

class AutostartEntryTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryPath_data() {
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QString>("expected"); // empty: no path
        const QString file = QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        QTest::newRow("XDG_CONFIG_HOME wins")
            << Environment{{"XDG_CONFIG_HOME", "/srv/cfg/"}, {"HOME", "/home/ada"}} << "/srv/cfg" + file;
        QTest::newRow("unset: HOME/.config") << Environment{{"HOME", "/home/ada"}} << "/home/ada/.config" + file;
        QTest::newRow("empty counts as unset")
            << Environment{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ada"}} << "/home/ada/.config" + file;
        QTest::newRow("relative is ignored")
            << Environment{{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/ada"}} << "/home/ada/.config" + file;
        QTest::newRow("neither") << Environment{} << QString();
        QTest::newRow("relative HOME") << Environment{{"HOME", "ada"}} << QString();
    }

    void entryPath() {
        QFETCH(Environment, environment);
        FakePlatform platform;
        platform.environment = environment;
        QTEST(AutostartEntry::entryPath(platform).value_or(QString()), "expected");
    }

    // The app's path reads back unchanged from a valid entry; a control character cannot be written at all.
    void entryText_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("spaces") << "/home/ada/My Apps/VODU.app/Contents/MacOS/vodu-status";
        QTest::newRow("shell characters") << "/opt/$HOME/`id`/\"q\"/it's;&|<>*?#()~/vodu-status";
        QTest::newRow("backslashes") << "/opt/a\\b\\\\c/vodu-status";
        QTest::newRow("percent, a field code") << "/opt/100%/%U %f/vodu-status";
        QTest::newRow("non-ASCII") << "/home/アダ/VODU.app/Contents/MacOS/vodu-status";
        QTest::newRow("line feed") << "/opt/a\nb/vodu-status";
        QTest::newRow("tab") << "/opt/a\tb/vodu-status";
    }

    void entryText() {
        QFETCH(QString, path);
        const std::optional<QString> text = AutostartEntry::entryText(path);
        QCOMPARE(text.has_value(), !path.contains(u'\n') && !path.contains(u'\t'));
        if (!text) {
            return;
        }
        QCOMPARE(execArgument(*text), path);
        QTemporaryDir scratch;
        const QString file = scratch.filePath(QStringLiteral("com.zuzi.vodu.cli.desktop"));
        QVERIFY(writeFile(file, text->toUtf8()));
        QProcess validate; // when it is installed
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")), {file});
        QVERIFY(!validate.waitForFinished(30000) ||
                (validate.exitCode() == 0 && validate.readAll().trimmed().isEmpty()));
    }

    void isEnabled_data() {
        QTest::addColumn<QByteArray>("content"); // "<dir>": a folder in the entry's place; "<none>": no file
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ours") << AutostartEntry::entryText("/x/vodu-status")->toUtf8() << true;
        QTest::newRow("Hidden = true, spaced") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("Hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("switched off") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("Hidden in an action group")
            << QByteArray("[Desktop Entry]\nExec=/x\n[Desktop Action quit]\nHidden=true\n") << true;
        QTest::newRow("no file") << QByteArray("<none>") << false;
        QTest::newRow("a folder") << QByteArray("<dir>") << false;
    }

    void isEnabled() {
        QFETCH(QByteArray, content);
        QTemporaryDir scratch;
        const QString path = scratch.filePath(QStringLiteral("autostart/com.zuzi.vodu.cli.desktop"));
        QVERIFY(content == "<none>" || (content == "<dir>" ? QDir().mkpath(path) : writeFile(path, content)));
        QTEST(AutostartEntry::isEnabled(path), "enabled");
    }

    // Against the files a user may already have; the folders it makes are the user's alone.
    void apply_data() {
        QTest::addColumn<QString>("before"); // none, hidden, folder, configIsFile
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("on, no folders yet") << "none" << true << true;
        QTest::newRow("on over a hidden entry") << "hidden" << true << true;
        QTest::newRow("off removes the entry") << "hidden" << false << true;
        QTest::newRow("off without an entry") << "none" << false << true;
        QTest::newRow("on, a folder in the way") << "folder" << true << false;
        QTest::newRow("on, the config folder is a file") << "configIsFile" << true << false;
    }

    void apply() {
        QFETCH(QString, before);
        QFETCH(bool, on);
        QFETCH(bool, succeeds);
        QTemporaryDir scratch;
        const QString config = scratch.filePath(QStringLiteral("config"));
        const QString path = config + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        if (before == u"hidden") {
            QVERIFY(writeFile(path, "[Desktop Entry]\nExec=/opt/other\nHidden=true\n"));
        } else if (before != u"none") {
            QVERIFY(before == u"folder" ? QDir().mkpath(path) : writeFile(config, "not a folder"));
        }
        FakePlatform platform;
        platform.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        QCOMPARE(AutostartEntry::apply(platform, on), succeeds);
        QCOMPARE(AutostartEntry::isEnabled(path), on && succeeds);
        QCOMPARE(QFileInfo::exists(path), (on && succeeds) || before == u"folder");
        if (before == u"none" && on) {
            QCOMPARE(QFileInfo(config).permissions() & 0x0077, QFile::Permissions());
            QCOMPARE(QFileInfo(config + QStringLiteral("/autostart")).permissions() & 0x0077, QFile::Permissions());
        }
    }

    // A release the app may run from today is replaced by the next update: the baseline app starts when it exists.
    void startsTheBaselineApp() {
        QTemporaryDir scratch;
        FakePlatform platform;
        platform.bundleDir = scratch.filePath(QStringLiteral("release"));
        platform.bundleInfo.insert(QStringLiteral("VODUBaselineAppPath"), scratch.filePath(QStringLiteral("baseline")));
        platform.bundleInfo.insert(QStringLiteral("CFBundleExecutable"), QStringLiteral("vodu-app"));
        QCOMPARE(AutostartEntry::appExecutable(platform),
                 scratch.filePath(QStringLiteral("release/Contents/MacOS/vodu-app")));
        const QString app = scratch.filePath(QStringLiteral("baseline/Contents/MacOS/vodu-app"));
        QVERIFY(writeFile(app, "#!/bin/sh\n") && QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(AutostartEntry::appExecutable(platform), app);
    }
};

VODU_TEST_SUITE(AutostartEntryTest)
#include "AutostartEntryTest.moc"
