#include "ui/ConnectionButton.h"

#include "ui/ControlPainting.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

ConnectionButton::ConnectionButton(QWidget* parent) : QAbstractButton(parent) {
    setFont(systemFont(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ConnectionButton::setTone(Tone tone) {
    if (tone == m_tone) {
        return; // every snapshot sets the tone again
    }
    m_tone = tone;
    update();
}

QSize ConnectionButton::sizeHint() const {
    return {200, 32};
}

void ConnectionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::selected.resolve(this));
        painter.drawRoundedRect(bounds, 6, 6);
    }
    const qreal middle = bounds.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::connectionDotColor(m_tone).resolve(this));
    painter.drawEllipse(QRectF(8, middle - 3, 6, 6));

    const QColor secondary = Theme::secondary.resolve(this);
    painter.setPen(secondary);
    const QRectF titleRect(18, middle - 8.5, bounds.width() - 45, 17);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, static_cast<int>(titleRect.width())));

    drawSymbol(painter, Symbol::gearshape, QRectF(bounds.width() - 8 - 14, middle - 7, 14, 14), secondary);
    if (hasFocus()) {
        drawFocusRing(painter, this, bounds, 0);
    }
}
