#include "ui/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace {

// Every symbol is drawn in a 16 x 16 design box and scaled to the target.
void drawInDesignBox(QPainter& painter, Symbol symbol) {
    switch (symbol) {
    case Symbol::squareSplit2x2:
        painter.drawRoundedRect(QRectF(2, 2, 12, 12), 2.5, 2.5);
        painter.drawLine(QPointF(8, 2), QPointF(8, 14));
        painter.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case Symbol::checkmarkSquare: {
        painter.drawRoundedRect(QRectF(2, 2, 12, 12), 2.5, 2.5);
        QPainterPath tick;
        tick.moveTo(5, 8.2);
        tick.lineTo(7.2, 10.4);
        tick.lineTo(11, 5.8);
        painter.drawPath(tick);
        break;
    }
    case Symbol::arrowUpRight: {
        painter.drawLine(QPointF(4, 12), QPointF(12, 4));
        QPainterPath head;
        head.moveTo(6, 4);
        head.lineTo(12, 4);
        head.lineTo(12, 10);
        painter.drawPath(head);
        break;
    }
    case Symbol::gearshape: {
        const QPointF centre(8, 8);
        for (int tooth = 0; tooth < 8; ++tooth) {
            const double angle = tooth * std::numbers::pi / 4;
            painter.drawLine(centre + QPointF(std::cos(angle) * 4.6, std::sin(angle) * 4.6),
                             centre + QPointF(std::cos(angle) * 6.6, std::sin(angle) * 6.6));
        }
        painter.drawEllipse(centre, 4.6, 4.6);
        painter.drawEllipse(centre, 1.8, 1.8);
        break;
    }
    case Symbol::moon: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 6, 6);
        QPainterPath bite;
        bite.addEllipse(QPointF(11.5, 5), 5.2, 5.2);
        painter.drawPath(disc.subtracted(bite));
        break;
    }
    case Symbol::sunMax: {
        const QPointF centre(8, 8);
        painter.drawEllipse(centre, 3, 3);
        for (int ray = 0; ray < 8; ++ray) {
            const double angle = ray * std::numbers::pi / 4;
            painter.drawLine(centre + QPointF(std::cos(angle) * 5, std::sin(angle) * 5),
                             centre + QPointF(std::cos(angle) * 7, std::sin(angle) * 7));
        }
        break;
    }
    case Symbol::magnifyingGlass:
        painter.drawEllipse(QPointF(7, 7), 4.4, 4.4);
        painter.drawLine(QPointF(10.3, 10.3), QPointF(13.5, 13.5));
        break;
    case Symbol::checkmark: {
        QPainterPath tick;
        tick.moveTo(3, 8.5);
        tick.lineTo(6.5, 12);
        tick.lineTo(13, 4);
        painter.drawPath(tick);
        break;
    }
    }
}

} // namespace

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& tint) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 16.0, box.height() / 16.0);
    QPen pen(tint, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    drawInDesignBox(painter, symbol);
    painter.restore();
}

QIcon symbolIcon(Symbol symbol, const QColor& tint, int size) {
    QIcon icon;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(QSize(size, size) * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawSymbol(painter, symbol, QRectF(0, 0, size, size), tint);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap appMark(int size, bool monochrome, const QColor& ink) {
    QPixmap pixmap(QSize(size, size) * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    QPainterPath mark;
    mark.moveTo(4.2 * unit, 4.6 * unit);
    mark.lineTo(8 * unit, 11.6 * unit);
    mark.lineTo(11.8 * unit, 4.6 * unit);
    if (monochrome) {
        painter.setPen(QPen(ink, 1.3 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawRoundedRect(
            QRectF(1, 1, size - 2, size - 2).adjusted(0.5 * unit, 0.5 * unit, -0.5 * unit, -0.5 * unit), 3.5 * unit,
            3.5 * unit);
        painter.drawPath(mark);
    } else {
        QLinearGradient tile(0, 0, 0, size);
        tile.setColorAt(0, QColor(0x1A, 0x8C, 0xF0));
        tile.setColorAt(1, QColor(0x00, 0x62, 0xC4));
        painter.setPen(Qt::NoPen);
        painter.setBrush(tile);
        painter.drawRoundedRect(QRectF(0, 0, size, size), 3.6 * unit, 3.6 * unit);
        painter.setPen(QPen(Qt::white, 1.9 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(mark);
    }
    painter.end();
    return pixmap;
}
