#include "app/AppDelegate.h"

#include "app/QuitSignals.h"

#include "app/QtTranslations.h"
#include "platform/QtPlatform.h"
#include "update/InstallProcess.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::atomic<bool> g_leftEventLoop{false};

// Qt's display plugins call exit() when the X server or the compositor goes away. The views must not be torn down
// then (every call into the lost display would crash), so a process still inside its event loop ends at once; the
// host sees the end of its input as the process goes.
extern "C" void endWithoutTeardown() {
    if (!g_leftEventLoop.load()) {
        std::fflush(stderr);
        ::_exit(1);
    }
}

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
    // Before any user interface: a baseline app may have to hand over to the selected release.
    QStringList launchArguments;
    for (int index = 0; index < argc; ++index) {
        launchArguments.append(QString::fromLocal8Bit(argv[index]));
    }
    switch (handOverAtLaunch(launchArguments, runningBundle(), QProcessEnvironment::systemEnvironment(), ::getpid())) {
    case LaunchHandOver::started:
        return 0;
    case LaunchHandOver::failed:
        qputenv("VODU_DESKTOP_INSTALL_ERROR", QByteArrayLiteral("Could not start the app update helper"));
        break;
    case LaunchHandOver::notNeeded:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VODU"));
    QApplication::setApplicationDisplayName(QStringLiteral("VODU"));
    QApplication::setApplicationVersion(QStringLiteral(VODU_APP_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.zuzi.vodu.cli"));
    // The app lives on in the tray when its window is closed.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QApplication::arguments();
    AppDelegate& controller = delegate();
    // Registered after the controller exists, so it runs before the controller's static storage is destroyed.
    std::atexit(endWithoutTeardown);
    // Qt's own texts follow the language the rest of the app speaks.
    const std::unique_ptr<QTranslator> qtTexts = qtTranslator(controller.copy().japanese);
    if (qtTexts) {
        QApplication::installTranslator(qtTexts.get());
    }
    QTimer::singleShot(0, &controller,
                       [&controller, arguments] { controller.applicationDidFinishLaunching(arguments); });
    // A logout or a terminal's signal ends the app within a few seconds, asking the host first.
    const QuitSignals quitSignals([&controller] { controller.quitOnSignal(); });
    QApplication::exec();
    g_leftEventLoop = true;
    // The host may still be finishing its clean-up; the windows go first so nothing frozen stays on screen.
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        shown->hide();
    }
    QApplication::processEvents();
    // Views go before the application object does.
    delegateStorage().reset();
    return 0;
}
