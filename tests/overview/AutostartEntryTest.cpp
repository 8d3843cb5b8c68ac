#include "overview/AutostartEntry.h"
#include "FakePlatform.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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
    QString exec = QRegularExpression(QStringLiteral("\nExec=(.*) --autostart\n")).match(entry).captured(1);
    exec.replace(escaped, QStringLiteral("\\1"));
    if (exec.size() < 2 || !exec.startsWith(u'"') || !exec.endsWith(u'"')) {
        return QStringLiteral("<not quoted>");
    }
    QString argument = exec.mid(1, exec.size() - 2).replace(escaped, QStringLiteral("\\1"));
    return QString(argument).remove(QStringLiteral("%%")).contains(u'%') // a field code
               ? QStringLiteral("<field code>")
               : argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace

class AutostartEntryTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryPath_data() {
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QString>("expected"); // empty: no path
        const QString file = QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop");
        const Environment home{{"HOME", "/home/ada"}};
        QTest::newRow("XDG_CONFIG_HOME wins")
            << Environment{{"XDG_CONFIG_HOME", "/srv/cfg/"}, {"HOME", "/home/ada"}} << "/srv/cfg" + file;
        QTest::newRow("unset: HOME/.config") << home << "/home/ada/.config" + file;
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

    // The app's path reads back unchanged from the entry, a valid one; a control character cannot be written at all.
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
        QCOMPARE(text ? execArgument(*text) : path, path);
        QTemporaryDir scratch; // and the desktop's own validator, when it is installed, finds nothing to say
        const QString file = scratch.filePath(QStringLiteral("com.zuzi.vodu.cli.desktop"));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        QVERIFY(!text || writeFile(file, text->toUtf8()));
        validate.start(QStringLiteral("desktop-file-validate"), {file});
        QVERIFY(!text || !validate.waitForFinished(30000) ||
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

    // A release the app may run from today is replaced by the next update: the baseline app starts when it exists.
    void startsTheBaselineApp() {
        QTemporaryDir scratch;
        FakePlatform platform;
        platform.bundleDir = scratch.filePath(QStringLiteral("release"));
        platform.bundleInfo.insert(QStringLiteral("VODUBaselineAppPath"), scratch.filePath(QStringLiteral("baseline")));
        platform.bundleInfo.insert(QStringLiteral("CFBundleExecutable"), QStringLiteral("vodu-app"));
        QCOMPARE(AutostartEntry::appExecutable(platform),
                 platform.bundleDir + QStringLiteral("/Contents/MacOS/vodu-app"));
        const QString app = scratch.filePath(QStringLiteral("baseline/Contents/MacOS/vodu-app"));
        QVERIFY(writeFile(app, "#!/bin/sh\n") && QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(AutostartEntry::appExecutable(platform), app);
    }
};

VODU_TEST_SUITE(AutostartEntryTest)
#include "AutostartEntryTest.moc"
