#pragma once

// What the tests of this folder share.
#include "DataTables.h"
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

// Writes `text` to `path`, creating its directory.
inline bool writeFile(const QString& path, const QByteArray& text, bool executable = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           (!executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// A flag as a table cell: "+" or "-".
inline QChar sign(bool value) {
    return QChar(value ? u'+' : u'-');
}

inline QStringList fileLines(const QString& path) {
    return QString::fromUtf8(readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

// Makes tests/fixtures/recording-launcher.sh the bundle's launcher: it records how it was started in LAUNCHER_RECORD
// ("arg ..." lines, "stdin/stdout/stderr <target>", "session <id>").
inline bool installRecordingLauncher(const QString& bundle) {
    QFile::remove(bundle + QStringLiteral("/Contents/MacOS/vodu")); // it may be a link to the built one
    return writeFile(bundle + QStringLiteral("/Contents/MacOS/vodu"),
                     readFile(TestBundle::fixturePath(QStringLiteral("recording-launcher.sh"))), true);
}

// A bundle at `path`: Contents/Info.json, an executable Contents/MacOS/vodu and, given a script, vodu-status.
inline QString makeBundle(const QString& path, const QString& version = QStringLiteral("1.3.0"),
                          const QString& identifier = QStringLiteral("com.zuzi.vodu.cli"),
                          const QByteArray& statusScript = {}) {
    const QJsonObject information{{"CFBundleIdentifier", identifier}, {"CFBundleShortVersionString", version}};
    writeFile(path + QStringLiteral("/Contents/Info.json"), QJsonDocument(information).toJson());
    writeFile(path + QStringLiteral("/Contents/MacOS/vodu"), "#!/bin/sh\nexit 0\n", true);
    return statusScript.isEmpty() || writeFile(path + QStringLiteral("/Contents/MacOS/vodu-status"), statusScript, true)
               ? path
               : QString();
}

// A temporary installation home: installer/releases/<folder>/<bundle> and the installer/current link.
struct InstallationHome {
    InstallationHome() { QDir().mkpath(releases()); }
    QString path() const { return m_directory.path(); }
    QString releases() const { return path() + QStringLiteral("/installer/releases"); }
    QString current() const { return path() + QStringLiteral("/installer/current"); }
    // Points installer/current at `target`, as written.
    bool select(const QString& target) const {
        QFile::remove(current());
        return QFile::link(target, current());
    }
    // Release 1.3.0 in releases/1.3.0/VODU.app, selected.
    QString selectRelease() const {
        const QString bundle = makeBundle(releases() + QStringLiteral("/1.3.0/VODU.app"));
        return select(bundle) ? bundle : QString();
    }
    // VODU_HOME here, and no install error.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VODU_HOME"), path());
        environment.remove(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"));
        return environment;
    }
    QTemporaryDir m_directory;
};
