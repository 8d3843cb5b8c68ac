#pragma once

// What the tests of this folder share.
#include "AreaHarness.h"
#include "Harness.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Writes `text` to `path`, creating its directory.
inline bool writeFile(const QString& path, const QByteArray& text, bool executable = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        return false;
    }
    file.close();
    return !executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Lines of a small text file; empty when missing.
inline QStringList fileLines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

// Replaces the bundle's launcher with tests/fixtures/recording-launcher.sh.
inline bool installRecordingLauncher(const QString& bundlePath) {
    const QString launcher = bundlePath + QStringLiteral("/Contents/MacOS/vodu");
    QFile::remove(launcher);
    return QFile::copy(TestBundle::fixturePath(QStringLiteral("recording-launcher.sh")), launcher) &&
           QFile::setPermissions(launcher, QFile::ReadOwner | QFile::ExeOwner);
}

// A release bundle: Contents/Info.json, Contents/MacOS/vodu and, when a script is given, Contents/MacOS/vodu-status.
struct TestRelease {
    QString version = QStringLiteral("1.3.0");
    QString name = QStringLiteral("VODU.app");
    QString identifier = QStringLiteral("com.zuzi.vodu.cli");
    bool executableLauncher = true;
    QByteArray statusScript;
};

// A temporary installation home: installer/releases/<folder>/<bundle> and the installer/current link.
class InstallationHome {
public:
    InstallationHome() { QDir().mkpath(releases()); }
    QString path() const { return m_directory.path(); }
    QString installer() const { return path() + QStringLiteral("/installer"); }
    QString releases() const { return installer() + QStringLiteral("/releases"); }
    QString current() const { return installer() + QStringLiteral("/current"); }
    QString log() const { return installer() + QStringLiteral("/desktop-update.log"); }

    static QString makeBundle(const QString& bundle, const TestRelease& release = {}) {
        const QJsonObject information{{"CFBundleIdentifier", release.identifier},
                                      {"CFBundleShortVersionString", release.version}};
        writeFile(bundle + QStringLiteral("/Contents/Info.json"), QJsonDocument(information).toJson());
        writeFile(bundle + QStringLiteral("/Contents/MacOS/vodu"), "#!/bin/sh\nexit 0\n", release.executableLauncher);
        if (!release.statusScript.isEmpty()) {
            writeFile(bundle + QStringLiteral("/Contents/MacOS/vodu-status"), release.statusScript, true);
        }
        return bundle;
    }
    QString addRelease(const QString& folder, const TestRelease& release = {}) const {
        return makeBundle(releases() + QLatin1Char('/') + folder + QLatin1Char('/') + release.name, release);
    }
    // Points installer/current at `target`, as written.
    bool select(const QString& target) const {
        QFile::remove(current());
        return QFile::link(target, current());
    }
    // VODU_HOME here, and no install error.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VODU_HOME"), path());
        environment.remove(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"));
        return environment;
    }

private:
    QTemporaryDir m_directory;
};

// One data row per entry of `table` (named by its `name`), given to the test as its index "row".
template <typename Table> void addRows(const Table& table) {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(table)); ++row) {
        QTest::newRow(table[row].name) << row;
    }
}
