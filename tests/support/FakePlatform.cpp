#include "FakePlatform.h"

AlertAnswer FakePlatform::runAlert(const AlertRequest& request, QWidget*) {
    alerts.append(request);
    return alertAnswers.isEmpty() ? AlertAnswer{} : alertAnswers.takeFirst();
}

bool FakePlatform::openUrl(const QUrl& url) {
    openedUrls.append(url);
    return openUrlSucceeds;
}

void FakePlatform::setClipboardText(const QString& text) {
    clipboardTexts.append(text);
}

void FakePlatform::requestAttention(QWidget*) {
    ++attentionRequests;
}

std::optional<QString> FakePlatform::environmentValue(const QString& name) const {
    return environment.contains(name) ? std::optional(environment.value(name)) : std::nullopt;
}

QProcessEnvironment FakePlatform::processEnvironment() const {
    QProcessEnvironment result;
    for (auto entry = environment.constBegin(); entry != environment.constEnd(); ++entry) {
        result.insert(entry.key(), entry.value());
    }
    return result;
}

void FakePlatform::showNotification(const DesktopNotification& notification, std::function<void(bool)> done) {
    if (notificationServiceAvailable) {
        notifications.append(notification);
    }
    if (done) {
        done(notificationServiceAvailable);
    }
}

void FakePlatform::inheritSystemEnvironment() {
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    for (const QString& key : system.keys()) {
        environment.insert(key, system.value(key));
    }
    for (const char* name : {"VODU_WEB_ORIGIN", "VODU_API_ORIGIN", "VODU_DESKTOP_INSTALL_ERROR"}) {
        environment.remove(QString::fromLatin1(name));
    }
}
