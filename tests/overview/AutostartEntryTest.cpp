#include "overview/AutostartEntry.h"
#include "DataTables.h"
#include "FakePlatform.h"
#include "TestRegistry.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

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
        columns<QString, QString, QString>({"xdg", "home", "expected"}); // "-": unset; expected empty: no path
        dataRow("XDG_CONFIG_HOME wins", "/srv/cfg/", "/home/ada", "/srv/cfg");
        dataRow("unset: HOME/.config", "-", "/home/ada", "/home/ada/.config");
        dataRow("relative or empty is ignored", "cfg", "/home/ada", "/home/ada/.config");
        dataRow("neither", "-", "-", "");
        dataRow("relative HOME", "-", "ada", "");
    }

    void entryPath() {
        const auto [xdg, home, expected] = fetch<QString, QString, QString>({"xdg", "home", "expected"});
        FakePlatform platform;
        platform.environment.clear();
        for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, std::pair{"HOME", home}}) {
            if (value != u"-") {
                platform.environment.insert(QString::fromLatin1(name), value);
            }
        }
        QCOMPARE(AutostartEntry::entryPath(platform).value_or(QString()),
                 expected.isEmpty() ? expected : expected + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop"));
    }

    // The app's path reads back unchanged from the entry; a control character cannot be written at all.
    void entryText_data() {
        columns<QString>({"path"});
        dataRow("spaces, non-ASCII", "/home/アダ/My Apps/VODU.app/Contents/MacOS/vodu-status");
        dataRow("shell characters", "/opt/$HOME/`id`/\"q\"/it's;&|<>*?#()~/vodu-status");
        dataRow("backslashes", "/opt/a\\b\\\\c/vodu-status");
        dataRow("percent, a field code", "/opt/100%/%U %f/vodu-status");
        dataRow("line feed", "/opt/a\nb/vodu-status");
        dataRow("tab", "/opt/a\tb/vodu-status");
    }

    void entryText() {
        const auto [path] = fetch<QString>({"path"});
        const std::optional<QString> text = AutostartEntry::entryText(path);
        QCOMPARE(text.has_value(), !path.contains(u'\n') && !path.contains(u'\t'));
        QCOMPARE(text ? execArgument(*text) : path, path);
    }

    void isEnabled_data() {
        columns<QString, bool>({"content", "enabled"}); // "<dir>": a folder in the entry's place; "<none>": no file
        dataRow("ours", *AutostartEntry::entryText("/x/vodu-status"), true);
        dataRow("Hidden = true, spaced", "[Desktop Entry]\nHidden = true\n", false);
        dataRow("switched off", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false);
        dataRow("Hidden in an action group", "[Desktop Entry]\nExec=/x\n[Desktop Action quit]\nHidden=true\n", true);
        dataRow("no file", "<none>", false);
        dataRow("a folder", "<dir>", false);
    }

    void isEnabled() {
        const auto [content, enabled] = fetch<QString, bool>({"content", "enabled"});
        QTemporaryDir scratch;
        const QString path = scratch.filePath(QStringLiteral("autostart/com.zuzi.vodu.cli.desktop"));
        QFile file(path);
        QVERIFY(QDir().mkpath(content == u"<dir>" ? path : QFileInfo(path).path()));
        QVERIFY(content.startsWith(u'<') || (file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) > 0));
        file.close();
        QCOMPARE(AutostartEntry::isEnabled(path), enabled);
    }
};

VODU_TEST_SUITE(AutostartEntryTest)
#include "AutostartEntryTest.moc"
