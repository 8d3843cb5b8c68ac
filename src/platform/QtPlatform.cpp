#include "platform/QtPlatform.h"

#include "platform/DesktopNotifications.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>

#include <unistd.h>

namespace {

AlertAnswer runTextFieldAlert(const AlertRequest& request, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* message = new QLabel(request.message, &dialog);
    message->setTextFormat(Qt::PlainText);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setWordWrap(true);
    layout->addWidget(message);
    if (!request.informativeText.isEmpty()) {
        auto* informative = new QLabel(request.informativeText, &dialog);
        informative->setTextFormat(Qt::PlainText); // it may quote host text
        informative->setWordWrap(true);
        layout->addWidget(informative);
    }
    auto* field = new QLineEdit(request.textFieldValue, &dialog);
    field->setPlaceholderText(request.textFieldPlaceholder);
    field->setMinimumWidth(360);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(&dialog);
    int chosen = 0;
    for (int index = 0; index < request.buttons.size(); ++index) {
        QPushButton* button = buttons->addButton(request.buttons.at(index), QDialogButtonBox::ActionRole);
        // Return takes the first, safe choice; a confirming button is only ever pressed on purpose.
        button->setAutoDefault(false);
        button->setDefault(index == 0);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &chosen, index] {
            chosen = index;
            dialog.accept();
        });
    }
    layout->addWidget(buttons);
    dialog.exec();
    return AlertAnswer{chosen, field->text()};
}

} // namespace

QtPlatform::QtPlatform()
    : m_bundleDirectory(QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../.."))),
      m_bundleInformation(readBundleInformation(m_bundleDirectory)),
      m_notifications(
          std::make_unique<DesktopNotifications>(m_bundleDirectory + QStringLiteral("/Contents/Resources/VODU.png"))) {}

QtPlatform::~QtPlatform() = default;

AlertAnswer QtPlatform::runAlert(const AlertRequest& request, QWidget* parent) {
    if (request.hasTextField) {
        return runTextFieldAlert(request, parent);
    }
    QMessageBox box(parent);
    box.setIcon(request.style == AlertRequest::Style::warning ? QMessageBox::Warning : QMessageBox::Information);
    // Both may quote host text: plain text, so markup is never read and no link is followed.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.message);
    box.setInformativeText(request.informativeText);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    box.setWindowModality(Qt::WindowModal);
    QList<QAbstractButton*> buttons;
    for (int index = 0; index < request.buttons.size(); ++index) {
        // The first button is the safe one: Return and Escape both take it, so a confirming button (Quit, Stop)
        // is only ever pressed on purpose.
        const auto role = index == 0 && request.buttons.size() > 1 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        QPushButton* button = box.addButton(request.buttons.at(index), role);
        button->setAutoDefault(false);
        buttons.append(button);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
        box.setEscapeButton(buttons.first());
    }
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return AlertAnswer{chosen < 0 ? 0 : static_cast<int>(chosen), {}};
}

bool QtPlatform::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void QtPlatform::setClipboardText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void QtPlatform::showNotification(const DesktopNotification& notification, std::function<void(bool)> done) {
    m_notifications->show(notification, std::move(done));
}

void QtPlatform::withdrawNotification(const QString& key) {
    m_notifications->withdraw(key);
}

void QtPlatform::setNotificationHandler(std::function<void(const QString&)> handler) {
    m_notifications->setHandler(std::move(handler));
}

void QtPlatform::requestAttention(QWidget* window) {
    if (window) {
        QApplication::alert(window, 0);
    }
}

QDateTime QtPlatform::now() const {
    return QDateTime::currentDateTimeUtc();
}

std::optional<QString> QtPlatform::environmentValue(const QString& name) const {
    const QByteArray key = name.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData())) {
        return std::nullopt;
    }
    return qEnvironmentVariable(key.constData());
}

QProcessEnvironment QtPlatform::processEnvironment() const {
    return QProcessEnvironment::systemEnvironment();
}

QStringList QtPlatform::preferredLanguages() const {
    return QLocale::system().uiLanguages();
}

QString QtPlatform::bundleDirectory() const {
    return m_bundleDirectory;
}

QJsonObject QtPlatform::bundleInformation() const {
    return m_bundleInformation;
}

std::optional<int> QtPlatform::screenVisibleHeight(const QWidget* window) const {
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen) {
        return std::nullopt;
    }
    return screen->availableGeometry().height();
}

QList<QRect> QtPlatform::screenAreas() const {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        areas.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            areas.append(screen->availableGeometry());
        }
    }
    return areas;
}

QVariant QtPlatform::storedValue(const QString& key) const {
    if (!m_settings) {
        m_settings = std::make_unique<QSettings>(QStringLiteral("VODU"), QStringLiteral("VODU"));
    }
    return m_settings->value(key);
}

void QtPlatform::storeValue(const QString& key, const QVariant& value) {
    storedValue(key); // opens the store
    m_settings->setValue(key, value);
}

qint64 QtPlatform::processId() const {
    return static_cast<qint64>(::getpid());
}

bool QtPlatform::trayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtPlatform::terminateApplication() {
    // Not quit(): in Qt 6 that first asks every window to close, and a window or an open alert may refuse.
    QCoreApplication::exit(0);
}

void QtPlatform::exitProcess(int status) {
    // Leaving through the event loop lets the views and the instance socket go in order before the process ends.
    if (QCoreApplication::instance()) {
        QCoreApplication::exit(status);
    } else {
        std::exit(status);
    }
}
