#include "overview/AutostartEntry.h"
#include "FakePlatform.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Environment = QHash<QString, QString>;

namespace {

// How a desktop reads one argument of an Exec line: string escapes first, then the argument's quoting.
QString execArgumentAsRead(const QString& written) {
    QString unescaped;
    for (qsizetype index = 0; index < written.size(); ++index) {
        if (written.at(index) == u'\\' && index + 1 < written.size()) {
            const QChar next = written.at(++index);
            unescaped += next == u's' ? QChar(u' ') : next;
        } else {
            unescaped += written.at(index);
        }
    }
    if (unescaped.size() < 2 || !unescaped.startsWith(u'"') || !unescaped.endsWith(u'"')) {
        return QStringLiteral("<not quoted>");
    }
    QString argument;
    for (qsizetype index = 1; index + 1 < unescaped.size(); ++index) {
        QChar character = unescaped.at(index);
        if (character == u'\\' && index + 2 < unescaped.size()) {
            character = unescaped.at(++index);
        } else if (character == u'%') {
            ++index; // "%%" is one percent sign
        }
        argument += character;
    }
    return argument;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString execLine(const QByteArray& entry) {
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("Exec=")) {
            return QString::fromUtf8(line.mid(5));
        }
    }
    return {};
}

} // namespace

class AutostartEntryTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryPathFollowsTheBaseDirectoryRules_data() {
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QString>("expected"); // empty: no path
        const QString home = QStringLiteral("/home/ada");
        const QString file = QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        QTest::newRow("XDG_CONFIG_HOME wins")
            << Environment{{"XDG_CONFIG_HOME", "/srv/cfg"}, {"HOME", home}} << "/srv/cfg" + file;
        QTest::newRow("trailing slash") << Environment{{"XDG_CONFIG_HOME", "/srv/cfg/"}} << "/srv/cfg" + file;
        QTest::newRow("unset: HOME/.config") << Environment{{"HOME", home}} << home + "/.config" + file;
        QTest::newRow("empty counts as unset")
            << Environment{{"XDG_CONFIG_HOME", ""}, {"HOME", home}} << home + "/.config" + file;
        QTest::newRow("relative is ignored")
            << Environment{{"XDG_CONFIG_HOME", "cfg"}, {"HOME", home}} << home + "/.config" + file;
        QTest::newRow("neither") << Environment{} << QString();
        QTest::newRow("relative HOME") << Environment{{"HOME", "ada"}} << QString();
    }

    void entryPathFollowsTheBaseDirectoryRules() {
        QFETCH(Environment, environment);
        QFETCH(QString, expected);
        FakePlatform platform;
        platform.environment = environment;
        QCOMPARE(AutostartEntry::entryPath(platform).value_or(QString()), expected);
    }

    void execArgumentsReadBackUnchanged_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/lib/vodu/VODU.app/Contents/MacOS/vodu-status";
        QTest::newRow("spaces") << "/home/ada/My Apps/VODU.app/Contents/MacOS/vodu-status";
        QTest::newRow("shell characters") << "/opt/$HOME/`id`/\"q\"/it's;&|<>*?#()~/vodu-status";
        QTest::newRow("backslashes") << "/opt/a\\b\\\\c/vodu-status";
        QTest::newRow("percent, a field code") << "/opt/100%/%U %f/vodu-status";
        QTest::newRow("non-ASCII") << "/home/アダ/VODU.app/Contents/MacOS/vodu-status";
    }

    void execArgumentsReadBackUnchanged() {
        QFETCH(QString, path);
        const std::optional<QString> text = AutostartEntry::entryText(path);
        QVERIFY(text);
        const QString exec = execLine(text->toUtf8());
        const QString suffix = QStringLiteral(" --autostart");
        QVERIFY2(exec.endsWith(suffix), qPrintable(exec));
        QCOMPARE(execArgumentAsRead(exec.chopped(suffix.size())), path);

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty()) {
            qWarning("desktop-file-validate is not installed: the entry's format is not checked by it");
            return;
        }
        QTemporaryDir scratch;
        const QString file = scratch.filePath(QStringLiteral("com.zuzi.vodu.cli.desktop"));
        QVERIFY(writeFile(file, text->toUtf8()));
        QProcess validate;
        validate.start(validator, {file});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray report = validate.readAllStandardOutput() + validate.readAllStandardError();
        QVERIFY2(validate.exitCode() == 0 && report.trimmed().isEmpty(), report.constData());
    }

    void controlCharactersCannotBeWritten_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("line feed") << "/opt/a\nb/vodu-status";
        QTest::newRow("tab") << "/opt/a\tb/vodu-status";
        QTest::newRow("carriage return") << "/opt/a\rb/vodu-status";
    }

    void controlCharactersCannotBeWritten() {
        QFETCH(QString, path);
        QVERIFY(!AutostartEntry::entryText(path));
    }

    void enabledUnlessHiddenOrSwitchedOff_data() {
        QTest::addColumn<QByteArray>("content"); // "<dir>": a folder in the entry's place; "<none>": no file
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ours") << AutostartEntry::entryText("/x/vodu-status")->toUtf8() << true;
        QTest::newRow("someone else's entry") << QByteArray("[Desktop Entry]\nExec=/opt/vodu\n") << true;
        QTest::newRow("Hidden=true") << QByteArray("[Desktop Entry]\nExec=/x\nHidden=true\n") << false;
        QTest::newRow("Hidden = true, spaced") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("Hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("switched off in GNOME")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("Hidden in an action group")
            << QByteArray("[Desktop Entry]\nExec=/x\n[Desktop Action quit]\nHidden=true\n") << true;
        QTest::newRow("no file") << QByteArray("<none>") << false;
        QTest::newRow("a folder") << QByteArray("<dir>") << false;
    }

    void enabledUnlessHiddenOrSwitchedOff() {
        QFETCH(QByteArray, content);
        QTemporaryDir scratch;
        const QString path = scratch.filePath(QStringLiteral("autostart/com.zuzi.vodu.cli.desktop"));
        if (content == "<dir>") {
            QVERIFY(QDir().mkpath(path));
        } else if (content != "<none>") {
            QVERIFY(writeFile(path, content));
        }
        QTEST(AutostartEntry::isEnabled(path), "enabled");
    }

    // What the settings switch does, against the files a user may already have.
    void applyWritesOrRemovesTheEntry_data() {
        QTest::addColumn<QString>("before"); // none, entry, hidden, folder, configIsFile
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<bool>("enabledAfter");
        QTest::newRow("on, no folders yet") << "none" << true << true << true;
        QTest::newRow("on over someone else's entry") << "entry" << true << true << true;
        QTest::newRow("on over a hidden entry") << "hidden" << true << true << true;
        QTest::newRow("off removes the entry") << "entry" << false << true << false;
        QTest::newRow("off without an entry") << "none" << false << true << false;
        QTest::newRow("on, a folder in the way") << "folder" << true << false << false;
        QTest::newRow("off, a folder in the way") << "folder" << false << false << false;
        QTest::newRow("on, the config folder is a file") << "configIsFile" << true << false << false;
    }

    void applyWritesOrRemovesTheEntry() {
        QFETCH(QString, before);
        QFETCH(bool, on);
        QTemporaryDir scratch;
        const QString config = scratch.filePath(QStringLiteral("config"));
        const QString path = config + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        if (before == u"entry") {
            QVERIFY(writeFile(path, "[Desktop Entry]\nExec=/opt/other\n"));
        } else if (before == u"hidden") {
            QVERIFY(writeFile(path, "[Desktop Entry]\nExec=/opt/other\nHidden=true\n"));
        } else if (before == u"folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (before == u"configIsFile") {
            QVERIFY(writeFile(config, "not a folder"));
        }
        FakePlatform platform;
        platform.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        platform.bundleDir = scratch.filePath(QStringLiteral("VODU.app"));

        QTEST(AutostartEntry::apply(platform, on), "succeeds");
        QTEST(AutostartEntry::isEnabled(path), "enabledAfter");
        if (on && QFileInfo(path).isFile()) {
            QCOMPARE(execLine(readFile(path)), "\"" + platform.bundleDir + "/Contents/MacOS/vodu-status\" --autostart");
        }
        if (!on && before != u"folder") {
            QVERIFY(!QFileInfo::exists(path));
        }
        if (before == u"none" && on) { // folders it made are the user's alone
            QCOMPARE(QFileInfo(config).permissions() & 0x0077, QFile::Permissions());
            QCOMPARE(QFileInfo(config + QStringLiteral("/autostart")).permissions() & 0x0077, QFile::Permissions());
        }
    }

    void entryStartsTheBaselineAppWhenThereIsOne_data() {
        QTest::addColumn<bool>("baselineExists");
        QTest::addColumn<QString>("executableName");
        QTest::addColumn<QString>("expected"); // relative to the scratch folder
        QTest::newRow("installed baseline") << true << QString() << "baseline/Contents/MacOS/vodu-status";
        QTest::newRow("baseline missing") << false << QString() << "release/Contents/MacOS/vodu-status";
        QTest::newRow("named executable") << true << "vodu-app"
                                          << "baseline/Contents/MacOS/vodu-app";
    }

    void entryStartsTheBaselineAppWhenThereIsOne() {
        QFETCH(bool, baselineExists);
        QFETCH(QString, executableName);
        QFETCH(QString, expected);
        QTemporaryDir scratch;
        FakePlatform platform;
        platform.bundleDir = scratch.filePath(QStringLiteral("release"));
        platform.bundleInfo.insert(QStringLiteral("VODUBaselineAppPath"), scratch.filePath(QStringLiteral("baseline")));
        const QString name = executableName.isEmpty() ? QStringLiteral("vodu-status") : executableName;
        if (!executableName.isEmpty()) {
            platform.bundleInfo.insert(QStringLiteral("CFBundleExecutable"), executableName);
        }
        if (baselineExists) {
            const QString app = scratch.filePath(QStringLiteral("baseline/Contents/MacOS/") + name);
            QVERIFY(writeFile(app, "#!/bin/sh\n"));
            QVERIFY(QFile::setPermissions(app, QFile::permissions(app) | QFile::ExeOwner));
        }
        QCOMPARE(AutostartEntry::appExecutable(platform), scratch.filePath(expected));
    }
};

VODU_TEST_SUITE(AutostartEntryTest)
#include "AutostartEntryTest.moc"
