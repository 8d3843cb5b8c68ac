#include "ui/SidebarNavButton.h"

#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QPainter>

SidebarNavButton::SidebarNavButton(const QString& title, Symbol symbol, QWidget* parent)
    : QPushButton(title, parent), m_symbol(symbol) {
    setFont(systemFont(13, QFont::Medium));
    setFlat(true);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SidebarNavButton::setSelected(bool selected) {
    if (selected == m_selected) {
        return; // the page switch runs after every snapshot
    }
    m_selected = selected;
    update();
}

QSize SidebarNavButton::sizeHint() const {
    return {40 + fontMetrics().horizontalAdvance(text()) + 8, 32};
}

QSize SidebarNavButton::minimumSizeHint() const {
    return {64, 32};
}

void SidebarNavButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    std::optional<ThemeColor> fill;
    if (isDown()) {
        fill = Theme::input;
    } else if (m_selected || (underMouse() && isEnabled())) {
        fill = Theme::selected;
    }
    if (fill) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill->resolve(this));
        painter.drawRoundedRect(bounds, 6, 6);
    }
    QColor ink = (m_selected ? Theme::text : Theme::secondary).resolve(this);
    if (!isEnabled()) {
        ink = Theme::secondary.resolve(this);
        ink.setAlphaF(0.55);
    }
    const qreal middle = bounds.height() / 2;
    drawSymbol(painter, m_symbol, QRectF(8, middle - 8, 16, 16), ink);
    drawControlTitle(painter, QRectF(40, middle - 10, bounds.width() - 48, 20), text(), font(), ink, Qt::AlignLeft);
    if (hasFocus()) {
        drawFocusRing(painter, this, bounds, 6);
    }
}
