#include "ui/MainWindow.h"

#include <QCloseEvent>

MainWindow::MainWindow(std::function<bool()> shouldClose, QWidget* parent)
    : QMainWindow(parent), m_shouldClose(std::move(shouldClose)) {}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_shouldClose && !m_shouldClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
