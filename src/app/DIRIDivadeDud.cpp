#include "app/AppDelegate.h"

#include "platform/QtPlatform.h"

#include <QApplication>
#include <QTimer>

namespace {

std::unique_ptr<AppDelegate>& delegateStorage() {
    static std::unique_ptr<AppDelegate> storage;
    return storage;
}

} // namespace

AppDelegate& DIRIDivadeDud::delegate() {
    std::unique_ptr<AppDelegate>& storage = delegateStorage();
    if (!storage) {
        storage = std::make_unique<AppDelegate>(std::make_unique<QtPlatform>());
    }
    return *storage;
}

int DIRIDivadeDud::main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VODU"));
    QApplication::setApplicationDisplayName(QStringLiteral("VODU"));
    QApplication::setApplicationVersion(QStringLiteral(VODU_APP_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.zuzi.vodu.cli"));
    // The app lives on in the tray when its window is closed.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QApplication::arguments();
    AppDelegate& controller = delegate();
    QTimer::singleShot(0, &controller, [&controller, arguments] { controller.applicationDidFinishLaunching(arguments); });
    QApplication::exec();
    // Views go before the application object does.
    delegateStorage().reset();
    return 0;
}
