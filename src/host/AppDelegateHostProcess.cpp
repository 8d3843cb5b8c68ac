// Starting the host process and reading its output in order.
#include "app/AppDelegate.h"

#include "host/HostLaunch.h"
#include "platform/Platform.h"

#include <QProcess>
#include <QPushButton>

void AppDelegate::startHost() {
    if (process) {
        send(QStringLiteral("reconnect"));
        return;
    }
    lastStatusReceivedAt.reset();
    hostStartedAt.reset();
    hostConflictMessage.reset();
    conflictingProcesses.clear();
    if (stopConflictButton) {
        stopConflictButton->hide();
    }
    setFooterText(QString());
    renderWaiting();

    const QString bundleDirectory = platform().bundleDirectory();
    if (!HostPaths::inBundle(bundleDirectory).hostFilesPresent()) {
        renderDisconnected(copy.text("サービスがインストールされていません", "Service files are missing"));
        return;
    }
    launchHostProcess(bundleDirectory);
}

void AppDelegate::launchHostProcess(const QString& bundleDirectory) {
    auto* host = new QProcess(this);
    host->setProgram(HostPaths::inBundle(bundleDirectory).launcher);
    host->setArguments({QStringLiteral("--desktop-host")});
    host->setProcessEnvironment(hostEnvironment(platform().processEnvironment()));
    // The host's diagnostics are not shown or kept.
    host->setStandardErrorFile(QProcess::nullDevice());

    // Output is handled on the main thread in the order it was read; the final read happens before the end.
    const QPointer<AppDelegate> self(this);
    connect(host, &QProcess::readyReadStandardOutput, this, [self, host] {
        const QByteArray chunk = host->readAllStandardOutput();
        if (self && !chunk.isEmpty()) {
            self->consumeOnMain(chunk);
        }
    });
    connect(host, &QProcess::finished, this, [self, host](int exitCode, QProcess::ExitStatus) {
        const QByteArray rest = host->readAllStandardOutput();
        host->deleteLater();
        if (!self) {
            return;
        }
        if (!rest.isEmpty()) {
            self->consumeOnMain(rest);
        }
        self->hostEnded(exitCode);
    });
    connect(host, &QProcess::started, this, [self, host] {
        if (self) {
            self->onHostStarted(host);
        }
    });
    connect(host, &QProcess::errorOccurred, this, [self, host](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || !self || self->process != host) {
            return;
        }
        self->process = nullptr;
        self->input = nullptr;
        host->deleteLater();
        self->renderDisconnected(self->copy.text("サービスを開始できません", "Could not start service"));
    });

    // The handle is kept from the start request on, so a second start asks this host to reconnect instead.
    process = host;
    host->start(QIODevice::ReadWrite);
}

void AppDelegate::onHostStarted(QProcess* host) {
    if (process != host) {
        return;
    }
    input = host;
    connected = true;
    hostStartedAt = platform().now();
    runAction(QStringLiteral("refresh"), false);
}

void AppDelegate::consumeOnMain(QByteArrayView chunk) {
    const QPointer<AppDelegate> self(this);
    outputFrames.consume(
        chunk,
        [self](QByteArrayView frame) {
            if (self) {
                self->handleLine(frame);
            }
        },
        [self] {
            if (self) {
                self->renderStale(self->copy.text("サービスから大きすぎる応答を受信しました",
                                                  "Service response was too large"));
            }
        });
}

bool AppDelegate::hostIsRunning() const { return process && process->state() == QProcess::Running; }
