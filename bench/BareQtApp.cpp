// The baseline the app's start-up, memory and idle figures are divided by: a bare Qt Widgets app with what every
// tray app of ours has at least (a main window, a tray icon, a local server on a private name) and nothing else.
//   --exit-after-show  prints "shown" once the window has painted and the event loop has turned, then exits
//   --stay             keeps running after "shown" (memory and idle CPU); this is the default without either flag
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLocalServer>
#include <QMainWindow>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// Reports the window's first paint once the event loop is back, so "shown" means painted, not just mapped.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(bool exitAfter) : m_exitAfter(exitAfter) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::printf("shown\n");
                std::fflush(stdout);
                if (m_exitAfter) {
                    QCoreApplication::quit();
                }
            });
        }
        return false;
    }

private:
    bool m_exitAfter;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QApplication::arguments();
    const bool exitAfterShow = arguments.contains(QStringLiteral("--exit-after-show"));

    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR", QDir::tempPath());
    server.listen(runtime + QStringLiteral("/bare-qt-app-") + QString::number(::getpid()));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt app"));
    window.setCentralWidget(new QLabel(QStringLiteral("Bare Qt app"), &window));
    window.resize(900, 640);

    QPixmap icon(22, 22);
    icon.fill(Qt::darkGray);
    QSystemTrayIcon tray{QIcon(icon)};
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray.show();
    }

    FirstPaint firstPaint(exitAfterShow);
    window.installEventFilter(&firstPaint);
    window.show();
    return QApplication::exec();
}
