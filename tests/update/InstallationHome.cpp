#include "InstallationHome.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

InstallationHome::InstallationHome() {
    QDir().mkpath(releases());
}

QString InstallationHome::makeBundle(const QString& bundlePath, const Release& release) {
    const QString macos = bundlePath + QStringLiteral("/Contents/MacOS");
    QDir().mkpath(macos);
    if (release.information) {
        QFile information(bundlePath + QStringLiteral("/Contents/Info.json"));
        if (information.open(QIODevice::WriteOnly)) {
            information.write(
                QJsonDocument(QJsonObject{{QStringLiteral("CFBundleIdentifier"), release.identifier},
                                          {QStringLiteral("CFBundleShortVersionString"), release.version}})
                    .toJson());
        }
    }
    QFile launcher(macos + QStringLiteral("/vodu"));
    if (launcher.open(QIODevice::WriteOnly)) {
        launcher.write("#!/bin/sh\nexit 0\n");
        launcher.close();
        launcher.setPermissions(release.executableLauncher ? (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                                                           : (QFile::ReadOwner | QFile::WriteOwner));
    }
    if (!release.statusScript.isEmpty()) {
        writeExecutable(macos + QStringLiteral("/vodu-status"), release.statusScript.toUtf8());
    }
    return bundlePath;
}

QString InstallationHome::addRelease(const QString& folder, const Release& release) {
    return makeBundle(releases() + QLatin1Char('/') + folder + QLatin1Char('/') + release.name, release);
}

bool InstallationHome::select(const QString& target) const {
    QFile::remove(current());
    return QFile::link(target, current());
}

QProcessEnvironment InstallationHome::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VODU_HOME"), path());
    environment.remove(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"));
    return environment;
}

bool writeExecutable(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const bool written = file.write(text) == text.size();
    file.close();
    return written && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
