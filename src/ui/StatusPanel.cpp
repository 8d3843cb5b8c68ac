#include "ui/StatusPanel.h"

#include "ui/Theme.h"

#include <QCloseEvent>
#include <QPainter>

StatusPanel::StatusPanel(QWidget* window) : QDialog(window) {
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);
    // A dialog is a window of its own; without this it would not take the main window's palette.
    setAttribute(Qt::WA_WindowPropagation);
    resize(600, 600);
    setMinimumSize(540, 420);
}

void StatusPanel::reject() {
    if (m_close) {
        m_close();
    } else {
        QDialog::reject();
    }
}

void StatusPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void StatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::canvas.resolve(this));
}
