#include "overview/AutostartEntry.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 kLongestEntry = 64 * 1024;

// Folders the XDG base directories ask for are made readable by the user alone.
bool makePrivateDirectories(const QString& path) {
    const QFileInfo existing(path);
    if (existing.isDir()) {
        return true;
    }
    if (existing.exists() || path.isEmpty() || QDir::cleanPath(path) == u"/") {
        return false;
    }
    return makePrivateDirectories(existing.path()) &&
           QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

namespace AutostartEntry {

std::optional<QString> entryPath(const Platform& platform) {
    QString config;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const std::optional<QString> xdg = platform.environmentValue(QStringLiteral("XDG_CONFIG_HOME"));
    if (xdg && QDir::isAbsolutePath(*xdg)) {
        config = *xdg;
    } else {
        const std::optional<QString> home = platform.environmentValue(QStringLiteral("HOME"));
        if (!home || !QDir::isAbsolutePath(*home)) {
            return std::nullopt;
        }
        config = *home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config + QStringLiteral("/autostart/com.zuzi.vodu.cli.desktop"));
}

QString appExecutable(const Platform& platform) {
    const QString name =
        platform.bundleString(QStringLiteral("CFBundleExecutable")).value_or(QStringLiteral("vodu-status"));
    if (const std::optional<QString> baseline = platform.bundleString(QStringLiteral("VODUBaselineAppPath"))) {
        const QFileInfo app(*baseline + QStringLiteral("/Contents/MacOS/") + name);
        if (app.isFile() && app.isExecutable()) {
            return QDir::cleanPath(app.absoluteFilePath());
        }
    }
    return QDir::cleanPath(platform.bundleDirectory() + QStringLiteral("/Contents/MacOS/") + name);
}

QString quotedExecArgument(const QString& argument) {
    QString quoted;
    for (const QChar character : argument) {
        // Inside double quotes these four are escaped for the Exec line...
        if (character == u'"' || character == u'`' || character == u'$' || character == u'\\') {
            quoted += u'\\';
        }
        quoted += character;
    }
    // ...and the line is itself a string value, whose backslashes are escaped once more; "%" starts a field code.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

std::optional<QString> entryText(const QString& executable) {
    for (const QChar character : executable) {
        if (character.category() == QChar::Other_Control) {
            return std::nullopt;
        }
    }
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=VODU\n"
                          "Comment=Supervise your local AI work\n"
                          "Comment[ja]=ローカルの AI 作業を見守ります\n"
                          "Exec=") +
           quotedExecArgument(executable) + u' ' + QLatin1String(kLaunchArgument) +
           QStringLiteral("\n"
                          "Icon=com.zuzi.vodu.cli\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n");
}

bool isEnabled(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bool inEntry = false;
    for (const QByteArray& rawLine : file.read(kLongestEntry).split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inEntry || equals < 0) {
            continue;
        }
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        // Desktops treat a hidden entry as deleted; GNOME also keeps switched-off entries around.
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return false;
        }
    }
    return true;
}

bool write(const QString& path, const QString& text) {
    if (!makePrivateDirectories(QFileInfo(path).path())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

bool remove(const QString& path) {
    const QFileInfo entry(path);
    if (!entry.exists() && !entry.isSymLink()) {
        return true;
    }
    return QFile::remove(path);
}

bool apply(const Platform& platform, bool on) {
    const std::optional<QString> path = entryPath(platform);
    if (!path) {
        return false;
    }
    if (!on) {
        return remove(*path);
    }
    const std::optional<QString> text = entryText(appExecutable(platform));
    return text && write(*path, *text);
}

} // namespace AutostartEntry
