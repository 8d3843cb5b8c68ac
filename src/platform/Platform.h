#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>

#include <optional>

class QWidget;

// A modal alert: a message, an informative text, one or two buttons and optionally a text field.
// The confirming button is the last one given; the first is the safe one that Return and Escape choose.
struct AlertRequest {
    enum class Style { warning, informational };
    Style style = Style::warning;
    QString message;
    QString informativeText;
    QStringList buttons;
    bool hasTextField = false;
    QString textFieldValue;
    QString textFieldPlaceholder;
};

// A desktop notification. One per `key` is on screen at a time: a newer one with the same key replaces it.
struct DesktopNotification {
    QString key;
    QString title;
    QString body; // plain text
};

struct AlertAnswer {
    int button = 0; // index into AlertRequest::buttons
    QString text;   // the text field's content, when there is one
};

// Everything the controller asks of the desktop and the process around it, so tests can script it.
class Platform {
public:
    Platform() = default;
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    virtual AlertAnswer runAlert(const AlertRequest& request, QWidget* parent) = 0;
    // True when the desktop reports that it opened the address.
    virtual bool openUrl(const QUrl& url) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    // One informational request for the user's attention.
    virtual void requestAttention(QWidget* window) = 0;
    // Shows `notification` through the desktop's notification service; `delivered` says later whether the service
    // took it (false without one). Never waits for the service.
    virtual void showNotification(const DesktopNotification& notification,
                                  std::function<void(bool delivered)> done) = 0;
    // Takes the notification with `key` off the screen, if one is shown.
    virtual void withdrawNotification(const QString& key) = 0;
    // Called with a notification's key when the user clicks it (its default action).
    virtual void setNotificationHandler(std::function<void(const QString& key)> handler) = 0;

    virtual QDateTime now() const = 0;
    virtual std::optional<QString> environmentValue(const QString& name) const = 0;
    virtual QProcessEnvironment processEnvironment() const = 0;
    virtual QStringList preferredLanguages() const = 0;

    // The bundle directory (two levels above the app's executable) and its information keys.
    virtual QString bundleDirectory() const = 0;
    virtual QJsonObject bundleInformation() const = 0;
    // Visible height of the window's screen; absent when the window has no screen.
    virtual std::optional<int> screenVisibleHeight(const QWidget* window) const = 0;
    // The available area of every screen, the primary one first.
    virtual QList<QRect> screenAreas() const = 0;
    // What the app remembers between runs (window placement); an invalid value when nothing is stored.
    virtual QVariant storedValue(const QString& key) const = 0;
    virtual void storeValue(const QString& key, const QVariant& value) = 0;
    virtual qint64 processId() const = 0;
    // Whether the desktop has a tray to show our item in now; it may come and go while we run.
    virtual bool trayAvailable() const = 0;
    // Ends the event loop; the process then exits normally.
    virtual void terminateApplication() = 0;
    // Ends the process with `status` without asking anyone (the hand-over to an install process).
    virtual void exitProcess(int status) = 0;

    std::optional<QString> bundleIdentifier() const;
    std::optional<QString> bundleString(const QString& key) const;
};

// Reads <bundle>/Contents/Info.json; an empty object when it is missing or not a JSON object.
QJsonObject readBundleInformation(const QString& bundleDirectory);
