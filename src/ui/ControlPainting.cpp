#include "ui/ControlPainting.h"

#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

void drawControlTitle(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& ink,
                      Qt::Alignment horizontal) {
    painter.save();
    painter.setFont(font);
    painter.setPen(ink);
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, box.width());
    painter.drawText(box, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter.restore();
}

void drawFocusRing(QPainter& painter, const QWidget* widget, const QRectF& bounds, qreal radius) {
    // Only keyboard focus is shown; focus given by a click or by the window opening is not.
    if (!widget->window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ring = Theme::accent.resolve(widget);
    ring.setAlphaF(0.75);
    painter.setPen(QPen(ring, 2));
    painter.setBrush(Qt::NoBrush);
    const QRectF inner = bounds.adjusted(1, 1, -1, -1);
    if (radius > 0) {
        painter.drawRoundedRect(inner, radius, radius);
    } else {
        painter.drawRect(inner);
    }
    painter.restore();
}

QColor disabledInk(const QWidget* widget) {
    QColor ink = Theme::secondary.resolve(widget);
    ink.setAlphaF(0.55);
    return ink;
}
