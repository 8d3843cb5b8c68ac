#include "ui/SearchField.h"

#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QAction>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

SearchField::SearchField(QWidget* parent) : QLineEdit(parent) {
    setFont(systemFont(13));
    setFrame(false);
    setClearButtonEnabled(true);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setTextMargins(28, 0, 4, 0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QPalette clear = palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    setPalette(clear);
    // Under the window's style sheet a line edit would otherwise fill itself over our box.
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
}

void SearchField::setClearButtonName(const QString& name) {
    // Qt's own clear action and its button carry no text.
    if (auto* clear = findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"))) {
        clear->setText(name);
        clear->setToolTip(name);
    }
    for (QToolButton* button : findChildren<QToolButton*>()) {
        button->setAccessibleName(name);
    }
}

void SearchField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QSize SearchField::sizeHint() const {
    return {200, 30};
}

void SearchField::paintEvent(QPaintEvent* event) {
    // The line edit itself draws only text, cursor and clear button, over our box: no base fill of its own.
    QPalette themed = palette();
    themed.setColor(QPalette::Base, Qt::transparent);
    themed.setColor(QPalette::Text, Theme::text.resolve(this));
    themed.setColor(QPalette::PlaceholderText, Theme::secondary.resolve(this));
    if (themed != palette()) {
        setPalette(themed);
    }
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::border.resolve(this), 1));
        painter.setBrush(Theme::input.resolve(this));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        drawSymbol(painter, Symbol::magnifyingGlass, QRectF(9, height() / 2.0 - 7, 14, 14),
                   Theme::secondary.resolve(this));
    }
    QLineEdit::paintEvent(event);
}
