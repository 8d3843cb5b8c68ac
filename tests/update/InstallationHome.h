#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// What a test release bundle looks like.
struct TestRelease {
    QString version = QStringLiteral("1.3.0");
    QString name = QStringLiteral("VODU.app");
    QString identifier = QStringLiteral("com.zuzi.vodu.cli");
    bool executableLauncher = true;
    bool information = true;
    // Written as Contents/MacOS/vodu-status (made executable) when not empty.
    QString statusScript;
};

// A temporary installation home: installer/releases/<folder>/<bundle> releases and the installer/current link.
class InstallationHome {
public:
    using Release = TestRelease;

    InstallationHome();
    QString path() const { return m_directory.path(); }
    QString installer() const { return path() + QStringLiteral("/installer"); }
    QString releases() const { return installer() + QStringLiteral("/releases"); }
    QString current() const { return installer() + QStringLiteral("/current"); }

    // Makes a bundle at `bundlePath` (any place, inside releases or not) and returns the path.
    static QString makeBundle(const QString& bundlePath, const Release& release);
    // A release in releases/<folder>/.
    QString addRelease(const QString& folder, const Release& release = TestRelease());
    // Points installer/current at `target` (a link, as written).
    bool select(const QString& target) const;
    // VODU_HOME pointing here, HOME as the process has it.
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_directory;
};

// Writes `text` to `path` and makes it executable by its owner.
bool writeExecutable(const QString& path, const QByteArray& text);
// Lines of a small text file; empty when missing.
QStringList fileLines(const QString& path);
